#include "core/input.h"

#include "core/flags.h"

#include <cstdlib>

#include "core/keys.h"
#include "core/settings.h"
#include "platform/events.h"
#include "platform/timer.h"

KeyState key_state;
bool in_frame_wait;
void (*script_event_source)(bool in_frame);

namespace {

int find_key(const KeyList& list, int32_t key)
{
    for (int i = 0; i < list.count; i++)
        if (list.keys[i] == key)
            return i;
    return -1;
}

// Joystick axes: even axes steer left/right, odd axes up/down, whichever
// joystick sent them. Every event outside the dead zone is a fresh press.
void axis_event(int axis, int value)
{
    int32_t negative = (axis & 1) ? upkey : leftkey;
    int32_t positive = (axis & 1) ? downkey : rightkey;
    if (value < -JOY_DEAD_ZONE) {
        key_event(negative, true);
        key_event(positive, false);
    } else if (value > JOY_DEAD_ZONE) {
        key_event(positive, true);
        key_event(negative, false);
    } else {
        key_event(negative, false);
        key_event(positive, false);
    }
}

int32_t joystick_button_key(int button)
{
    if (button == 0)
        return digleftkey;
    if (button == 1 || button == 2)
        return digrightkey;
    return KEY_SPACE;
}

uint32_t button_bit(int button)
{
    // Buttons are numbered from 1; wheel buttons go up to 5.
    return (button >= 1 && button <= 32) ? (1u << (button - 1)) : 0;
}

} // namespace

void key_event(int32_t key, bool down, uint16_t mod)
{
    KeyList& held = key_state.held;
    if (down) {
        KeyList& pressed = key_state.pressed;
        if (pressed.count < KEY_LIST_CAPACITY) {
            key_state.pressed_mod[size_t(pressed.count)] = mod;
            pressed.keys[pressed.count++] = key;
        }
        if (find_key(held, key) < 0 && held.count < KEY_LIST_CAPACITY)
            held.keys[held.count++] = key;
        return;
    }
    int i = find_key(held, key);
    if (i >= 0)
        held.keys[i] = held.keys[--held.count];
}

bool alt_x_pressed() { return pressed_with_alt(KEY_x); }

int wait_input()
{
    wait_for_event();
    begin_input_frame();
    // A quit request (the window closed, SIGTERM or SIGINT, which the window
    // system turns into one) ends the modal wait; the frame loop then ends the program.
    if (poll_events()) {
        quit_requested = true;
        return 1;
    }
    return 0;
}

void begin_input_frame()
{
    key_state.pressed.count = 0;
    key_state.buttons_clicked = 0;
}

int poll_events()
{
    if (script_event_source)
        script_event_source(in_frame_wait);
    int quit = 0;
    InputEvent event;
    while (next_event(event)) {
        switch (event.kind) {
        case InputKind::KEY_DOWN:
            key_event(event.key, true, event.mod);
            break;
        case InputKind::KEY_UP:
            key_event(event.key, false);
            if (event.key == KEY_PAUSE || (event.key == KEY_p && !key_state.text_entry_active))
                key_state.pause_flag = !key_state.pause_flag;
            break;
        case InputKind::POINTER_MOTION:
            key_state.mouse_x = event.x;
            key_state.mouse_y = event.y;
            break;
        case InputKind::BUTTON_DOWN:
            key_state.mouse_x = event.x;
            key_state.mouse_y = event.y;
            key_state.buttons_down |= button_bit(event.button);
            key_state.buttons_clicked |= button_bit(event.button);
            break;
        case InputKind::BUTTON_UP:
            key_state.mouse_x = event.x;
            key_state.mouse_y = event.y;
            key_state.buttons_down &= ~button_bit(event.button);
            break;
        case InputKind::JOY_AXIS:
            axis_event(event.axis, event.value);
            break;
        case InputKind::JOY_BUTTON_DOWN:
        case InputKind::JOY_BUTTON_UP:
            key_event(joystick_button_key(event.button), event.kind == InputKind::JOY_BUTTON_DOWN);
            break;
        case InputKind::QUIT:
            quit = 1;   // keep draining: events behind the quit still count
            break;
        case InputKind::TICK:
            if (key_state.tick_pending < 1)
                key_state.tick_pending++;
            break;
        case InputKind::OTHER:
            break;
        }
    }
    return quit;
}

bool key_down(int32_t key) { return find_key(key_state.held, key) >= 0; }
bool key_pressed(int32_t key) { return find_key(key_state.pressed, key) >= 0; }

namespace {

bool pressed_with_modifier(int32_t key, int32_t left, int32_t right, int mask)
{
    if (!key_pressed(key))
        return false;
    if (key_down(left) || key_down(right))
        return true;
    const KeyList& pressed = key_state.pressed;
    for (int i = 0; i < pressed.count; i++)
        if (pressed.keys[i] == key && (key_state.pressed_mod[size_t(i)] & mask))
            return true;
    return false;
}

} // namespace

bool pressed_with_alt(int32_t key) { return pressed_with_modifier(key, KEY_LALT, KEY_RALT, KEYMOD_ALT); }
bool pressed_with_ctrl(int32_t key) { return pressed_with_modifier(key, KEY_LCTRL, KEY_RCTRL, KEYMOD_CTRL); }
int pressed_count() { return key_state.pressed.count; }
int32_t first_pressed_key() { return key_state.pressed.count ? key_state.pressed.keys[0] : 0; }
int32_t mouse_x() { return key_state.mouse_x; }
int32_t mouse_y() { return key_state.mouse_y; }
bool mouse_button_down(int button) { return (key_state.buttons_down & button_bit(button)) != 0; }
bool mouse_button_clicked(int button) { return (key_state.buttons_clicked & button_bit(button)) != 0; }

void reset_input_state() { key_state = KeyState{}; }
