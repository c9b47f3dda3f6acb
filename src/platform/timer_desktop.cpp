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
void queue_due_ticks() {}

void sleep_between_steps(LoopStep asked, bool fast)
{
    switch (asked) {
    case LoopStep::FRAME:
        // The short pause ahead of each frame's wait for its tick gives the
        // processor away.
        if (!fast)
            SDL_Delay(10);
        break;
    case LoopStep::WAIT_EVENT:
        // Sleeps until the next event instead of spinning; the event stays
        // queued for poll_events.
        SDL_WaitEvent(nullptr);
        break;
    case LoopStep::WAIT_TIME:
        SDL_Delay(10);
        break;
    case LoopStep::END:
        break;
    }
}

void run_main_loop(LoopStep (*step)(), void (*end)(), bool fast)
{
    for (;;) {
        const LoopStep done = step();
        if (done == LoopStep::END)
            break;
        sleep_between_steps(done, fast);
    }
    end();
}
