#include "platform/timer.h"

#include <SDL/SDL.h>

namespace {

// Runs on SDL's timer thread: it only hands an event to SDL's queue, which
// has its own locking. Turning it into a frame tick happens in poll_events.
uint32_t queue_tick(uint32_t interval)
{
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0);
    return interval;
}

} // namespace

void start_tick_timer(uint32_t period_ms) { SDL_SetTimer(period_ms, queue_tick); }
void stop_tick_timer() { SDL_SetTimer(0, nullptr); }

void pause_before_frame(bool fast)
{
    if (!fast)
        SDL_Delay(10);
}

// Sleeps until the next event instead of spinning; the event stays queued
// for poll_events.
void wait_for_event() { SDL_WaitEvent(nullptr); }
void pause_ms(uint32_t ms) { SDL_Delay(ms); }
