#include "core/flags.h"

uint8_t frame_counter;
PointerState pointer_state;
bool quit_requested;
