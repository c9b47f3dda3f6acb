// The input state itself: what the modes read. Filling it from the window
// system's queue is core/poll.cpp, so that a tool that only runs levels
// links no window system.
#include "core/input.h"

#include <cstddef>

#include "core/keys.h"

InputState input_state;

namespace {

int find_key(const KeyList& list, int32_t key)
{
    for (int i = 0; i < list.count; i++)
        if (list.keys[i] == key)
            return i;
    return -1;
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

void begin_input_frame()
{
    key_state.pressed.count = 0;
    key_state.buttons_clicked = 0;
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
bool mouse_button_down(int button) { return (key_state.buttons_down & mouse_button_bit(button)) != 0; }
bool mouse_button_clicked(int button) { return (key_state.buttons_clicked & mouse_button_bit(button)) != 0; }

void reset_input_state() { key_state = KeyState{}; }
