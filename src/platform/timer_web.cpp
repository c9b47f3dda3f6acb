#include "platform/timer.h"

#include <SDL/SDL.h>
#include <emscripten.h>

namespace {

// The browser has no timer thread: a tick is queued when a wait or pause
// finds its time passed. A page that was hidden for a while gets one tick,
// not a burst of them.
uint32_t period;
double next_tick;
bool ticking;
double last_yield;

void queue_due_tick()
{
    if (!ticking)
        return;
    const double now = emscripten_get_now();
    if (now < next_tick)
        return;
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);
    next_tick += period;
    if (next_tick < now)
        next_tick = now + period;
}

} // namespace

void start_tick_timer(uint32_t period_ms)
{
    period = period_ms;
    next_tick = emscripten_get_now() + period_ms;
    ticking = true;
}

void stop_tick_timer() { ticking = false; }

void pause_before_frame(bool fast)
{
    if (!fast) {
        pause_ms(10);
        return;
    }
    // Frames back to back still hand the page its turn now and then, so it
    // draws, takes input and stays responsive.
    const double now = emscripten_get_now();
    if (now - last_yield >= 50) {
        emscripten_sleep(0);
        last_yield = emscripten_get_now();
    }
}

void wait_for_event()
{
    for (;;) {
        queue_due_tick();
        if (SDL_PollEvent(nullptr))
            return;
        // Browser events arrive only while the page has its turn: sleep
        // until the next tick, at most 10 ms, and look again.
        double wait = ticking ? next_tick - emscripten_get_now() : 10;
        if (wait > 10)
            wait = 10;
        if (wait < 1)
            wait = 1;
        emscripten_sleep(unsigned(wait));
    }
}

void pause_ms(uint32_t ms)
{
    emscripten_sleep(ms);
    queue_due_tick();
}
