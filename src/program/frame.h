// The timer-paced frame loop and the current mode handler.
#pragma once
#include <cstdint>

#include "core/flags.h"

constexpr uint32_t FRAME_PERIOD_MS = 20;

void start_frame_timer();
void stop_frame_timer();
// One frame; 0 to go on, 1 when the program is to end.
int run_frame(Session& session);
// The body of one frame once it may run: the editors, the rules, the drawing,
// the mode handler and the screenshot key (tests drive frames without a timer).
void run_frame_body(Session& session);
