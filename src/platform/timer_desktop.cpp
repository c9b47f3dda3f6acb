#include "platform/timer.h"

#include <SDL/SDL.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// The ticks come from a thread of our own rather than SDL's timer: stopping
// SDL's timer does not wait for a callback under way, so the exit could
// take SDL's event queue away from a tick still being queued. This thread
// is joined before stop_tick_timer returns.
struct TickSource {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    // A tick source still running when the process ends is stopped here,
    // never abandoned to a running thread.
    ~TickSource() { stop_tick_timer(); }
};

TickSource tick_source;

// VORBIX_TICK_DELAY_MS (tests only) holds every tick that long inside the
// tick source before it is queued, so that a stop finds a tick under way.
uint32_t tick_delay_ms()
{
    const char* text = getenv("VORBIX_TICK_DELAY_MS");
    return text ? uint32_t(strtoul(text, nullptr, 10)) : 0;
}

void run_ticks(uint32_t period_ms, uint32_t delay_ms)
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(period_ms);
    auto next = Clock::now() + period;
    std::unique_lock<std::mutex> hold(tick_source.lock);
    for (;;) {
        if (tick_source.wake.wait_until(hold, next, [] { return tick_source.stopping; }))
            return;
        hold.unlock();
        if (delay_ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        // SDL's queue has its own locking; poll_events turns the event into
        // a frame tick.
        SDL_Event event{};
        event.type = SDL_USEREVENT;
        SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0);
        // A late tick does not bring a burst of ticks to catch up.
        next += period;
        const auto now = Clock::now();
        if (next < now)
            next = now;
        hold.lock();
    }
}

} // namespace

void start_tick_timer(uint32_t period_ms)
{
    if (tick_source.thread.joinable())
        return;
    tick_source.stopping = false;
    tick_source.thread = std::thread(run_ticks, period_ms, tick_delay_ms());
}

void stop_tick_timer()
{
    if (!tick_source.thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(tick_source.lock);
        tick_source.stopping = true;
    }
    tick_source.wake.notify_all();
    tick_source.thread.join();
}

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

void run_main_loop(LoopStep (*step)(void*), void (*end)(void*), void* context, bool fast)
{
    for (;;) {
        const LoopStep done = step(context);
        if (done == LoopStep::END)
            break;
        sleep_between_steps(done, fast);
    }
    end(context);
}
