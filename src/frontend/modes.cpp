#include "frontend/modes.h"

// The demonstration's keys come with the front end.
void demo_handler() {}
