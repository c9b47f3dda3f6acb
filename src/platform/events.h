// The window system's input as plain records: keys by their key codes (the
// numbers of SDL 1.2's key symbols on every build), the modifier bits that
// came with them, the pointer and its buttons, the joystick, a quit request
// and the frame timer's tick. The same SDL queue serves the desktop and the
// browser, so one file holds both.
#pragma once
#include <cstdint>

enum class InputKind : uint8_t {
    OTHER,            // nothing the game reads
    KEY_DOWN,
    KEY_UP,
    POINTER_MOTION,
    BUTTON_DOWN,      // button numbered from 1 (left), wheel buttons up to 5
    BUTTON_UP,
    JOY_AXIS,
    JOY_BUTTON_DOWN,  // button numbered from 0
    JOY_BUTTON_UP,
    QUIT,             // the window closed, SIGTERM or SIGINT
    TICK,             // the frame timer's tick
};

struct InputEvent {
    InputKind kind;
    int32_t key;      // KEY_DOWN, KEY_UP
    uint16_t mod;     // KEY_DOWN, KEY_UP: the modifier bits
    int32_t x, y;     // POINTER_MOTION, BUTTON_DOWN, BUTTON_UP
    int button;       // BUTTON_*, JOY_BUTTON_*
    int axis;         // JOY_AXIS
    int value;        // JOY_AXIS
};

// Takes the next queued event; false when the queue is empty.
bool next_event(InputEvent& event);

// Queue events as the window system would deliver them (the script driver).
// buttons: the mouse buttons held, bit b-1 for button b.
void queue_key_event(int32_t key, bool down, uint16_t mod);
void queue_pointer_motion(int x, int y, int dx, int dy, uint8_t buttons);
void queue_button_event(int button, bool down, int x, int y);
