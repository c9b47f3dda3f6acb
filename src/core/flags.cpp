#include "core/flags.h"

ModeHandler mode_handler;
bool game_active;
bool recording;
uint8_t frame_counter;
PointerState pointer_state;
bool quit_requested;
