#include "core/input.h"

#include <cstdlib>

#include <SDL/SDL.h>

#include "core/settings.h"

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
    return SDLK_SPACE;
}

uint32_t button_bit(int button)
{
    // SDL 1.2 numbers buttons from 1; wheel buttons go up to 5.
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

bool alt_x_pressed() { return pressed_with_alt(SDLK_x); }

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
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            key_event(event.key.keysym.sym, true, uint16_t(event.key.keysym.mod));
            break;
        case SDL_KEYUP: {
            int32_t key = event.key.keysym.sym;
            key_event(key, false);
            if (key == SDLK_PAUSE || (key == SDLK_p && !key_state.text_entry_active))
                key_state.pause_flag = !key_state.pause_flag;
            break;
        }
        case SDL_MOUSEMOTION:
            key_state.mouse_x = event.motion.x;
            key_state.mouse_y = event.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
            key_state.mouse_x = event.button.x;
            key_state.mouse_y = event.button.y;
            key_state.buttons_down |= button_bit(event.button.button);
            key_state.buttons_clicked |= button_bit(event.button.button);
            break;
        case SDL_MOUSEBUTTONUP:
            key_state.mouse_x = event.button.x;
            key_state.mouse_y = event.button.y;
            key_state.buttons_down &= ~button_bit(event.button.button);
            break;
        case SDL_JOYAXISMOTION:
            axis_event(event.jaxis.axis, event.jaxis.value);
            break;
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            key_event(joystick_button_key(event.jbutton.button),
                      event.type == SDL_JOYBUTTONDOWN);
            break;
        case SDL_QUIT:
            quit = 1;   // keep draining: events behind the quit still count
            break;
        case SDL_USEREVENT:
            if (key_state.tick_pending < 1)
                key_state.tick_pending++;
            break;
        default:
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

bool pressed_with_alt(int32_t key) { return pressed_with_modifier(key, SDLK_LALT, SDLK_RALT, KMOD_ALT); }
bool pressed_with_ctrl(int32_t key) { return pressed_with_modifier(key, SDLK_LCTRL, SDLK_RCTRL, KMOD_CTRL); }
int pressed_count() { return key_state.pressed.count; }
int32_t first_pressed_key() { return key_state.pressed.count ? key_state.pressed.keys[0] : 0; }
int32_t mouse_x() { return key_state.mouse_x; }
int32_t mouse_y() { return key_state.mouse_y; }
bool mouse_button_down(int button) { return (key_state.buttons_down & button_bit(button)) != 0; }
bool mouse_button_clicked(int button) { return (key_state.buttons_clicked & button_bit(button)) != 0; }

void reset_input_state() { key_state = KeyState{}; }
