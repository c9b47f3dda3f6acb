// The timer-paced frame loop and the current mode handler.
#pragma once
#include <cstdint>

constexpr uint32_t FRAME_PERIOD_MS = 20;

using ModeHandler = void (*)();

struct PointerState {
    int32_t pointer_x;        // mouse x limited to 12..628
    int32_t pointer_y;        // mouse y limited to 12..468
    uint32_t pointer_held;    // bit 0 left, bit 1 right button
    uint32_t pointer_clicked;
};

extern ModeHandler mode_handler;
extern bool game_active;
extern bool recording;
extern uint8_t frame_counter;
extern PointerState pointer_state;

void start_frame_timer();
void stop_frame_timer();
uint32_t frame_timer_callback(uint32_t interval);
// One frame; 0 to go on, 1 when the program is to end.
int run_frame();
// Steps 6 to 19 of a frame, once it may run (tests drive frames without a timer).
void run_frame_body();
