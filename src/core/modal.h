// The screen that waits, when one is up: the level summary, the test-play
// summary, the name prompt, the key prompts, or the wait for a sound to end.
// It is one plain record that the frame loop steps once a pass instead of
// running a frame, so that nothing ever waits inside a frame (the browser
// cannot); what its opener did after the wait is its end action.
#pragma once
#include <array>
#include <cstdint>

enum class ModalKind : uint8_t { NONE, SOUND_WAIT, SUMMARY, TEST_PLAY_SUMMARY, TEXT_ENTRY, KEY_PROMPTS };

constexpr int TEXT_ENTRY_LINE = 111;
constexpr int KEY_PROMPT_COUNT = 6;

// The text prompt's line: the prompt, then what is typed so far.
struct TextEntry {
    std::array<char, TEXT_ENTRY_LINE + 1> line;
    char* value;          // where Return stores the text
    int max_length;
    int prompt_length;
    int length;           // characters typed
};

// The six movement keys asked one after another.
struct KeyPrompts {
    int index;                                          // the key asked now
    std::array<int32_t, KEY_PROMPT_COUNT> remembered;   // put back on Escape
};

struct ModalScreen;
struct Session;   // the program's session (view/session.h), handed through
// One step with the batch of events taken in since the last one (quit: a
// quit request was among them); true once the screen is over.
using ModalStep = bool (*)(Session& session, ModalScreen& screen, bool quit);
// What follows the screen; it may open the next one.
using ModalEnd = void (*)(Session& session, int arg);

struct ModalScreen {
    ModalKind kind;
    ModalStep step;
    ModalEnd then;
    int arg;                 // handed to then; a step may set what the screen ends with
    uint32_t next_check_ms;  // the sound wait's next look at the channels
    TextEntry entry;
    KeyPrompts keys;
};

extern ModalScreen modal_screen;

bool modal_screen_open();
// Puts up a screen of `kind` (its first picture is the opener's to draw);
// then(arg) runs once step says it is over.
ModalScreen& open_modal_screen(ModalKind kind, ModalStep step, ModalEnd then, int arg);
// One step of the open screen; when it is over the screen is taken down and
// its end action runs.
void step_modal_screen(Session& session, bool quit);
