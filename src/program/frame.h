// The timer-paced frame loop and the current mode handler.
#pragma once
#include <cstdint>

#include "core/flags.h"
#include "platform/timer.h"

constexpr uint32_t FRAME_PERIOD_MS = 20;

void start_frame_timer();
void stop_frame_timer();
// One step of the frame loop; it never waits. A frame that is due runs (at
// most one a step), a frame that is not yet due takes in the events that
// came; while a modal screen is up, the step is the screen's instead.
LoopStep step_frame(Session& session);
// One frame, waiting for it as the desktop does, together with the modal
// screen it puts up (or that is up) to its end; 0 to go on, 1 when the
// program is to end. For the desktop's tests: the browser only steps.
int run_frame(Session& session);
// The body of one frame once it may run: the editors, the rules, the drawing,
// the mode handler and the screenshot key (tests drive frames without a timer).
void run_frame_body(Session& session);
