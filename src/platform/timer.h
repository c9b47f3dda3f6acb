// The frame clock and the main loop. On the desktop a thread of the
// program's own queues the ticks (joined when stopped) and the loop sleeps
// in SDL between its steps; in the browser the loop's steps are the page's
// main-loop callbacks, nothing ever sleeps, and a tick is queued when a step
// finds it due.
#pragma once
#include <cstdint>

// An SDL_USEREVENT in the event queue every period_ms milliseconds.
void start_tick_timer(uint32_t period_ms);
void stop_tick_timer();
// Queues the tick whose time has come (the browser's timer; the desktop's
// runs on its own thread and needs nothing here).
void queue_due_ticks();

// What a step of the main loop did, and so how long the loop may sleep
// before the next one.
enum class LoopStep : uint8_t {
    FRAME,        // a frame ran (or a modal screen ended)
    WAIT_EVENT,   // nothing to do until the next event (at the latest the next tick)
    WAIT_TIME,    // a wait on the clock: a few milliseconds
    END,          // the program ends
};

// Sleeps as a step asked: in SDL until the next event, a few milliseconds,
// or the short pause ahead of the next frame's wait (none when the frames
// run back to back). The browser never sleeps: it returns at once.
void sleep_between_steps(LoopStep asked, bool fast);
// Calls step(context) until it says END, then end(context). The desktop loops here, sleeping
// between steps as they ask, and returns after end. In the browser step is
// the page's main-loop callback, one call a turn of the page (back to back
// when fast), and this never returns: end runs after the last step and the
// runtime exits (its exit handlers run).
void run_main_loop(LoopStep (*step)(void* context), void (*end)(void* context), void* context, bool fast);
