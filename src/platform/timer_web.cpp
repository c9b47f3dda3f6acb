#include "platform/timer.h"

#include <SDL/SDL.h>
#include <emscripten.h>

namespace {

// The browser has no timer thread: a tick is queued when a step of the
// loop finds its time passed. A page that was hidden for a while gets one
// tick, not a burst of them.
uint32_t period;
double next_tick;
bool ticking;

struct MainLoop {
    LoopStep (*step)(void*);
    void (*end)(void*);
    void* context;
    bool fast;
    bool timing_set;
};
MainLoop main_loop;

// One step a call of the page's main-loop hook: at most one frame, none
// when no tick is due.
void main_loop_turn()
{
    if (main_loop.fast && !main_loop.timing_set) {
        // Frames back to back: a turn as soon as the page has handled its
        // events, not one a display refresh.
        main_loop.timing_set = true;
        emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
    }
    if (main_loop.step(main_loop.context) != LoopStep::END)
        return;
    emscripten_cancel_main_loop();
    main_loop.end(main_loop.context);
    // The runtime exits although the page's timers would keep it alive:
    // the exit handlers end the session ("End.").
    emscripten_force_exit(0);
}

} // namespace

void start_tick_timer(uint32_t period_ms)
{
    period = period_ms;
    next_tick = emscripten_get_now() + period_ms;
    ticking = true;
}

void stop_tick_timer() { ticking = false; }

void queue_due_ticks()
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

// Between the page's turns the browser draws, plays and takes input.
void sleep_between_steps(LoopStep, bool) {}

void run_main_loop(LoopStep (*step)(void*), void (*end)(void*), void* context, bool fast)
{
    main_loop = MainLoop{step, end, context, fast, false};
    // Each display refresh (requestAnimationFrame) gives the game a turn.
    emscripten_set_main_loop(main_loop_turn, 0, 1);
}
