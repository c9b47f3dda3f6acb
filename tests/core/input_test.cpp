// Input state driven by real SDL events pushed into SDL's queue.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include "core/input.h"
#include "core/keys.h"
#include "frontend/config.h"

namespace {

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(640, 480, 8, 0), nullptr);
        reset_input_state();
        set_first_start_config();
        poll_events();   // drop whatever the video start queued
        reset_input_state();
    }
    void TearDown() override { SDL_Quit(); }

    static void push_key(int key, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = static_cast<SDLKey>(key);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    static void push_axis(int axis, int value)
    {
        SDL_Event e{};
        e.type = SDL_JOYAXISMOTION;
        e.jaxis.axis = static_cast<Uint8>(axis);
        e.jaxis.value = static_cast<Sint16>(value);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    static void push_joy_button(int button, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        e.jbutton.button = static_cast<Uint8>(button);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    static void push_type(int type)
    {
        SDL_Event e{};
        e.type = static_cast<Uint8>(type);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
};

TEST_F(Input, PressAndReleaseBetweenFramesIsPressedButNotHeld)
{
    push_key('a', true);
    push_key('a', false);
    EXPECT_EQ(poll_events(), 0);
    EXPECT_TRUE(key_pressed('a'));
    EXPECT_FALSE(key_down('a'));
}

TEST_F(Input, HeldKeyIsPressedOnlyInTheFirstFrame)
{
    push_key(KEY_RIGHT, true);
    poll_events();
    EXPECT_TRUE(key_pressed(KEY_RIGHT));
    begin_input_frame();
    poll_events();
    EXPECT_FALSE(key_pressed(KEY_RIGHT));
    EXPECT_TRUE(key_down(KEY_RIGHT));
}

TEST_F(Input, DoubleTapGivesTwoPressesAndOneHeld)
{
    push_key('z', true);
    push_key('z', true);
    poll_events();
    EXPECT_EQ(pressed_count(), 2);
    EXPECT_EQ(key_state.held.count, 1);
    push_key('z', false);
    poll_events();
    EXPECT_FALSE(key_down('z'));
}

TEST_F(Input, ShiftThenDigitKeepsArrivalOrder)
{
    push_key(KEY_LSHIFT, true);
    push_key('1', true);
    push_key('1', false);
    poll_events();
    ASSERT_EQ(pressed_count(), 2);
    EXPECT_EQ(first_pressed_key(), KEY_LSHIFT);
    EXPECT_EQ(key_state.pressed.keys[1], '1');
    EXPECT_TRUE(key_down(KEY_LSHIFT));
}

TEST_F(Input, ListsDropThe129thKeyAndIgnoreUnheldReleases)
{
    for (int k = 0; k < 130; k++)
        key_event(1000 + k, true);
    EXPECT_EQ(pressed_count(), KEY_LIST_CAPACITY);
    EXPECT_EQ(key_state.held.count, KEY_LIST_CAPACITY);
    EXPECT_FALSE(key_down(1000 + 128));
    key_event(5, false);
    EXPECT_EQ(key_state.held.count, KEY_LIST_CAPACITY);
    key_event(1000, false);   // the last held key moves into its place
    EXPECT_EQ(key_state.held.keys[0], 1000 + 127);
    EXPECT_EQ(key_state.held.count, KEY_LIST_CAPACITY - 1);
}

TEST_F(Input, JoystickAxesAndDeadZone)
{
    struct Step {
        int axis, value;
        bool left, right, up, down;
    } steps[] = {
        {0, -3281, true, false, false, false},
        {0, 3280, false, false, false, false},    // the edge counts as centred
        {2, 3281, false, true, false, false},     // any even axis is horizontal
        {0, -3280, false, false, false, false},
        {1, -20000, false, false, true, false},
        {3, 20000, false, false, false, true},    // any odd axis is vertical
        {1, 0, false, false, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "axis " << s.axis << " value " << s.value);
        push_axis(s.axis, s.value);
        poll_events();
        EXPECT_EQ(key_down(KEY_LEFT), s.left);
        EXPECT_EQ(key_down(KEY_RIGHT), s.right);
        EXPECT_EQ(key_down(KEY_UP), s.up);
        EXPECT_EQ(key_down(KEY_DOWN), s.down);
    }
}

TEST_F(Input, AxisHeldOverRepeatsPressesAndCentreReleasesKeyboardKeys)
{
    push_axis(0, 30000);
    push_axis(0, 31000);
    poll_events();
    EXPECT_EQ(pressed_count(), 2);
    key_event(KEY_LEFT, true);   // also held on the keyboard
    push_axis(0, 0);
    poll_events();
    EXPECT_FALSE(key_down(KEY_LEFT));
    EXPECT_FALSE(key_down(KEY_RIGHT));
}

TEST_F(Input, JoystickButtonsBecomeKeys)
{
    const struct {
        int button;
        int key;
    } cases[] = {{0, KEY_LCTRL}, {1, KEY_LALT}, {2, KEY_LALT}, {3, KEY_SPACE}, {7, KEY_SPACE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        push_joy_button(c.button, true);
        poll_events();
        EXPECT_TRUE(key_down(c.key));
        push_joy_button(c.button, false);
        poll_events();
        EXPECT_FALSE(key_down(c.key));
    }
}

TEST_F(Input, TimerEventsSaturateTickPending)
{
    for (int i = 0; i < 5; i++)
        push_type(SDL_USEREVENT);
    poll_events();
    EXPECT_EQ(key_state.tick_pending, 1);
}

TEST_F(Input, EventsBehindQuitAreStillHandled)
{
    push_type(SDL_QUIT);
    push_key('q', true);
    push_type(SDL_USEREVENT);
    EXPECT_EQ(poll_events(), 1);
    EXPECT_TRUE(key_down('q'));
    EXPECT_EQ(key_state.tick_pending, 1);
    EXPECT_EQ(poll_events(), 0);
}

TEST_F(Input, PauseTogglesOnRelease)
{
    push_key(KEY_p, true);
    poll_events();
    EXPECT_FALSE(key_state.pause_flag);
    push_key(KEY_p, false);
    poll_events();
    EXPECT_TRUE(key_state.pause_flag);
    push_key(KEY_PAUSE, true);
    push_key(KEY_PAUSE, false);
    poll_events();
    EXPECT_FALSE(key_state.pause_flag);
    // While a name is typed, p is a letter; only Pause toggles.
    key_state.text_entry_active = true;
    push_key(KEY_p, true);
    push_key(KEY_p, false);
    poll_events();
    EXPECT_FALSE(key_state.pause_flag);
    push_key(KEY_PAUSE, false);
    poll_events();
    EXPECT_TRUE(key_state.pause_flag);
}

TEST_F(Input, MouseButtonsAndPosition)
{
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = 3;
    e.button.x = 100;
    e.button.y = 200;
    SDL_PushEvent(&e);
    poll_events();
    EXPECT_TRUE(mouse_button_down(3));
    EXPECT_TRUE(mouse_button_clicked(3));
    EXPECT_EQ(mouse_x(), 100);
    EXPECT_EQ(mouse_y(), 200);
    begin_input_frame();
    EXPECT_FALSE(mouse_button_clicked(3));
    EXPECT_TRUE(mouse_button_down(3));
    e.type = SDL_MOUSEBUTTONUP;
    e.button.x = 7;
    SDL_PushEvent(&e);
    poll_events();
    EXPECT_FALSE(mouse_button_down(3));
    EXPECT_EQ(mouse_x(), 7);
}

} // namespace
