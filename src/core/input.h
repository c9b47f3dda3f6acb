// The input state: held and newly pressed keys, the mouse, the pause toggle
// and the timer ticks that pace the frame loop, all refilled from the window
// system's queue (platform/events.h).
#pragma once
#include <array>
#include <cstdint>

constexpr int KEY_LIST_CAPACITY = 128;
constexpr int JOY_DEAD_ZONE = 3280;

struct KeyList {
    std::array<int32_t, KEY_LIST_CAPACITY> keys;
    int count;
};

struct KeyState {
    KeyList held;                 // keys down now, no duplicates
    KeyList pressed;              // key-downs since begin_input_frame, in order
    // The modifier bits (core/keys.h) that came with each key-down of pressed.
    std::array<uint16_t, KEY_LIST_CAPACITY> pressed_mod;
    int32_t mouse_x, mouse_y;
    uint32_t buttons_down;        // bit b-1 for mouse button b
    uint32_t buttons_clicked;
    bool pause_flag;
    bool text_entry_active;       // the name prompt is running
    int tick_pending;             // never above 1
};

// The one keyboard, mouse and joystick's state and how it is filled; each
// part keeps its own name, an alias of its place in the record.
struct InputState {
    KeyState keys;
    // True while the frame loop waits for its tick, false while it takes
    // the events of a modal screen's step.
    bool in_frame_wait;
    // Set by the script driver: queues its key events before poll_events
    // takes the queue.
    void (*script_event_source)(bool in_frame);
};

extern InputState input_state;
inline constexpr KeyState& key_state = input_state.keys;
inline constexpr bool& in_frame_wait = input_state.in_frame_wait;
inline constexpr auto& script_event_source = input_state.script_event_source;

// The bit of mouse button b (numbered from 1; wheel buttons go up to 5) in
// buttons_down and buttons_clicked.
constexpr uint32_t mouse_button_bit(int button) { return (button >= 1 && button <= 32) ? (1u << (button - 1)) : 0; }

// mod: the modifier bits (KEYMOD_, core/keys.h) that came with the event.
void key_event(int32_t key, bool down, uint16_t mod = 0);
void begin_input_frame();
int poll_events();          // 1 when a quit request was among the events
bool key_down(int32_t key);
// Alt+X pressed in this batch (pressed_with_alt): ends the program everywhere.
bool alt_x_pressed();
bool key_pressed(int32_t key);
// The key went down in this batch while Alt was down: by the modifier state
// of its own event, so that Alt let go before the frame looks still counts,
// or by Alt held now.
bool pressed_with_alt(int32_t key);
// The same for Ctrl.
bool pressed_with_ctrl(int32_t key);
int pressed_count();
int32_t first_pressed_key();
int32_t mouse_x();
int32_t mouse_y();
bool mouse_button_down(int button);
bool mouse_button_clicked(int button);
void reset_input_state();   // back to the start-up state (tests)
