// The timer-paced frame loop and the current mode handler.
#pragma once
#include <cstdint>

#include "core/flags.h"

constexpr uint32_t FRAME_PERIOD_MS = 20;

void start_frame_timer();
void stop_frame_timer();
// One frame; 0 to go on, 1 when the program is to end.
int run_frame();
// Steps 6 to 19 of a frame, once it may run (tests drive frames without a timer).
void run_frame_body();
