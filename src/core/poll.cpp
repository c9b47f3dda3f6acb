// Filling the input state from the window system's queue (platform/events.h).
#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/settings.h"
#include "platform/events.h"
#include "platform/timer.h"

namespace {

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

} // namespace

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
            key_state.buttons_down |= mouse_button_bit(event.button);
            key_state.buttons_clicked |= mouse_button_bit(event.button);
            break;
        case InputKind::BUTTON_UP:
            key_state.mouse_x = event.x;
            key_state.mouse_y = event.y;
            key_state.buttons_down &= ~mouse_button_bit(event.button);
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
