// The frame clock and the waits of the loop. On the desktop a thread of the
// program's own queues the ticks (joined when stopped) and the waits block
// in SDL; in the browser the waits are browser sleeps, so the page keeps
// drawing and taking input while the game waits, and the ticks are queued
// when a wait finds them due.
#pragma once
#include <cstdint>

// An SDL_USEREVENT in the event queue every period_ms milliseconds.
void start_tick_timer(uint32_t period_ms);
void stop_tick_timer();
// The short pause ahead of each frame's wait for its tick (none when the
// frames run back to back).
void pause_before_frame(bool fast);
// Until an event is queued: at the latest the next tick.
void wait_for_event();
void pause_ms(uint32_t ms);
