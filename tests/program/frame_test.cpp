// The frame loop: pacing by timer ticks, pause, Alt+X, quit and the pointer.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/keys.h"
#include "program/frame.h"
#include "view/session.h"
#include "core/input.h"
#include "core/modal.h"
#include "display/screen.h"
#include "display/tiles.h"

namespace {

// The session the frames run on, as the start-up body owns one.
Session session;

int handler_calls;
void counting_handler(Session&) { handler_calls++; }

// A handler whose first call puts up a modal screen that is over at its
// third step; its end action adds its argument to `ended`.
int modal_steps, ended;
bool over_at_third_step(Session&, ModalScreen&, bool) { return ++modal_steps == 3; }
void opening_handler(Session&)
{
    if (handler_calls++ == 0)
        open_modal_screen(ModalKind::SUMMARY, over_at_third_step, [](Session&, int arg) { ended += arg; }, 5);
}

class Frame : public ::testing::Test {
protected:
    std::vector<uint8_t> screen = std::vector<uint8_t>(640 * 480);

    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0);
        ASSERT_NE(SDL_SetVideoMode(640, 480, 8, 0), nullptr);
        ASSERT_TRUE(alloc_display_buffers());
        attach_frame_buffer(screen.data(), 640);
        poll_events();
        reset_input_state();
        handler_calls = 0;
        session.mode = counting_handler;
    }
    void TearDown() override
    {
        SDL_Quit();
        free_display_buffers();
    }
    static void push(int type, int key = 0, bool down = true, int mod = 0)
    {
        SDL_Event e{};
        e.type = static_cast<Uint8>(type);
        if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
            e.key.keysym.sym = static_cast<SDLKey>(key);
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.mod = static_cast<SDLMod>(mod);
        }
        SDL_PushEvent(&e);
    }
    static void push_mouse(int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = static_cast<Uint16>(x);
        e.motion.y = static_cast<Uint16>(y);
        SDL_PushEvent(&e);
    }
};

TEST_F(Frame, ATickRunsOneFrameThenQuitEndsWithoutAnother)
{
    // Two ticks posted during a slow frame: exactly one further frame runs.
    push(SDL_USEREVENT);
    push(SDL_USEREVENT);
    uint8_t before = frame_counter;
    EXPECT_EQ(run_frame(session), 0);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(static_cast<uint8_t>(frame_counter - before), 1);
    push(SDL_QUIT);
    EXPECT_EQ(run_frame(session), 1);
    EXPECT_EQ(handler_calls, 1);
}

TEST_F(Frame, AltXEndsAlsoWhilePausedAndWithoutATick)
{
    for (int alt : {KEY_LALT, KEY_RALT}) {
        SCOPED_TRACE(alt);
        reset_input_state();
        key_state.pause_flag = true;
        push(SDL_KEYDOWN, alt);
        push(SDL_KEYDOWN, KEY_x);
        EXPECT_EQ(run_frame(session), 1);
        EXPECT_EQ(handler_calls, 0);
    }
}

TEST_F(Frame, AltXTappedWithinOneBatchEnds)
{
    // Alt is up again before the frame looks: the x's own event says Alt was down.
    for (int alt : {KEY_LALT, KEY_RALT}) {
        SCOPED_TRACE(alt);
        reset_input_state();
        const int mod = alt == KEY_LALT ? KEYMOD_LALT : KEYMOD_RALT;
        push(SDL_KEYDOWN, alt, true, mod);
        push(SDL_KEYDOWN, KEY_x, true, mod);
        push(SDL_KEYUP, KEY_x, false, mod);
        push(SDL_KEYUP, alt, false);
        EXPECT_EQ(run_frame(session), 1);
        EXPECT_EQ(handler_calls, 0);
    }
}

TEST_F(Frame, XWithoutAltDoesNotEnd)
{
    push(SDL_KEYDOWN, KEY_x);
    push(SDL_USEREVENT);
    EXPECT_EQ(run_frame(session), 0);
    EXPECT_EQ(handler_calls, 1);
}

TEST_F(Frame, PauseHoldsTheFrameUntilReleased)
{
    key_state.pause_flag = true;
    push(SDL_USEREVENT);
    // The p release that ends the pause is queued behind the tick: the frame
    // waits through the paused pass and runs once the pause is over.
    push(SDL_KEYUP, KEY_p, false);
    EXPECT_EQ(run_frame(session), 0);
    EXPECT_FALSE(key_state.pause_flag);
    EXPECT_EQ(handler_calls, 1);
}

TEST_F(Frame, PointerIsClampedAndMiddleButtonIgnored)
{
    const struct {
        int x, y, want_x, want_y;
    } cases[] = {{3, 475, 12, 468}, {639, 0, 628, 12}, {320, 240, 320, 240}};
    for (const auto& c : cases) {
        push_mouse(c.x, c.y);
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = 2;
        e.button.x = static_cast<Uint16>(c.x);
        e.button.y = static_cast<Uint16>(c.y);
        SDL_PushEvent(&e);
        push(SDL_USEREVENT);
        ASSERT_EQ(run_frame(session), 0);
        EXPECT_EQ(pointer_state.pointer_x, c.want_x);
        EXPECT_EQ(pointer_state.pointer_y, c.want_y);
        EXPECT_EQ(pointer_state.pointer_held, 0u);
        EXPECT_EQ(pointer_state.pointer_clicked, 0u);
    }
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = 3;
    SDL_PushEvent(&e);
    push(SDL_USEREVENT);
    ASSERT_EQ(run_frame(session), 0);
    EXPECT_EQ(pointer_state.pointer_held, 2u);
    EXPECT_EQ(pointer_state.pointer_clicked, 2u);
}

TEST_F(Frame, AStepNeverWaitsAndRunsAFrameOnlyWithATick)
{
    const uint8_t before = frame_counter;
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(step_frame(session), LoopStep::WAIT_EVENT);
    EXPECT_EQ(handler_calls, 0);
    push(SDL_USEREVENT);
    push(SDL_USEREVENT);
    EXPECT_EQ(step_frame(session), LoopStep::FRAME);
    EXPECT_EQ(step_frame(session), LoopStep::WAIT_EVENT) << "the second tick was the first one's";
    EXPECT_EQ(handler_calls, 1);
    // The waiting steps belong to the frame that ran: one count for it.
    EXPECT_EQ(static_cast<uint8_t>(frame_counter - before), 2);
}

TEST_F(Frame, AModalScreenStepsInsteadOfFramesAndTheCounterStandsStill)
{
    session.mode = opening_handler;
    modal_steps = ended = 0;
    const uint8_t before = frame_counter;
    push(SDL_USEREVENT);
    EXPECT_EQ(step_frame(session), LoopStep::FRAME);
    ASSERT_TRUE(modal_screen_open());
    // Each step takes one batch of events, ticks or not; no frame runs.
    EXPECT_EQ(step_frame(session), LoopStep::WAIT_EVENT);
    push(SDL_USEREVENT);
    EXPECT_EQ(step_frame(session), LoopStep::WAIT_EVENT);
    EXPECT_EQ(step_frame(session), LoopStep::FRAME) << "the screen is over";
    EXPECT_FALSE(modal_screen_open());
    EXPECT_EQ(modal_steps, 3);
    EXPECT_EQ(ended, 5);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(static_cast<uint8_t>(frame_counter - before), 1);
    // The tick that came while the screen was up is used up by it.
    EXPECT_EQ(step_frame(session), LoopStep::WAIT_EVENT);
    push(SDL_USEREVENT);
    EXPECT_EQ(step_frame(session), LoopStep::FRAME);
    EXPECT_EQ(handler_calls, 2);
    EXPECT_EQ(static_cast<uint8_t>(frame_counter - before), 2);
}

TEST_F(Frame, TimerPacesFramesAtFiftyASecond)
{
    start_frame_timer();
    start_frame_timer();   // a second start adds no second timer
    Uint32 begin = SDL_GetTicks();
    for (int i = 0; i < 25; i++)
        ASSERT_EQ(run_frame(session), 0);
    Uint32 elapsed = SDL_GetTicks() - begin;
    stop_frame_timer();
    stop_frame_timer();
    EXPECT_EQ(handler_calls, 25);
    // 25 frames at one per 20 ms tick: never a burst, so at least about half
    // a second (a busy machine can only make it longer).
    EXPECT_GE(elapsed, 460u);
}

} // namespace
