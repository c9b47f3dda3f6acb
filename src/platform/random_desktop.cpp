#include "platform/random.h"

#include <cstdlib>

int unseeded_random() { return rand(); }
