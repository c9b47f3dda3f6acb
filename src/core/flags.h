// The frame's shared values: the mode handler's type, the frame counter and
// the pointer state (the current mode, whether a game runs and records are
// the session's, view/session.h). Read by every subsystem, set by the frame
// loop.
#pragma once
#include <cstdint>

// Handlers act on the session they are given (view/session.h).
struct Session;
using ModeHandler = void (*)(Session&);

struct PointerState {
    int32_t pointer_x;        // mouse x limited to 12..628
    int32_t pointer_y;        // mouse y limited to 12..468
    uint32_t pointer_held;    // bit 0 left, bit 1 right button
    uint32_t pointer_clicked;
};

extern uint8_t frame_counter;
extern PointerState pointer_state;
// Alt+X in a modal wait (the level summary, a dialogue): the wait ends as if
// left, and the frame loop ends the program after the frame it is in.
extern bool quit_requested;
