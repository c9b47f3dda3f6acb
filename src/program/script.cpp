#include "program/script.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/keys.h"
#include "program/frame.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/status.h"
#include "frontend/help.h"
#include "frontend/modes.h"
#include "gfxedit/gfxedit.h"
#include "view/view.h"
#include "leveledit/leveledit.h"
#include "platform/events.h"

namespace {

// The most lines a script may hold and the longest line (its newline
// included): a script is read whole before the first frame.
constexpr size_t SCRIPT_MAX_LINES = 100000;
constexpr int SCRIPT_LINE_SIZE = 128;

enum class Action { Press, Down, Up };
enum class Kind { Key, Motion, Mouse };

struct ScriptLine {
    long frame;   // -1: in the next modal wait
    Action action;
    int key;      // the key symbol, or the mouse button
    Kind kind = Kind::Key;
    int x = 0, y = 0;
};

// The script being played and what it has done so far; one record because
// one script drives the one program.
struct ScriptDriver {
    std::vector<ScriptLine> lines;
    size_t next_line;
    bool active, fast;
    long frames_run;
    ModeHandler traced_mode;
    int traced_level = -1;
    // What the script holds down, so that its events carry the state the
    // window system would give them: the modifier keys in each key event, the
    // buttons in each motion.
    int held_mod;
    uint8_t held_buttons;
    int pointer_x, pointer_y;
};

ScriptDriver driver;

int modifier_bit(int key)
{
    switch (key) {
    case KEY_LSHIFT: return KEYMOD_LSHIFT;
    case KEY_RSHIFT: return KEYMOD_RSHIFT;
    case KEY_LCTRL: return KEYMOD_LCTRL;
    case KEY_RCTRL: return KEYMOD_RCTRL;
    case KEY_LALT: return KEYMOD_LALT;
    case KEY_RALT: return KEYMOD_RALT;
    case KEY_LMETA: return KEYMOD_LMETA;
    case KEY_RMETA: return KEYMOD_RMETA;
    default: return 0;
    }
}

void push_key(int key, bool down)
{
    // A modifier's own key-down already counts it, its key-up no longer does.
    driver.held_mod = down ? (driver.held_mod | modifier_bit(key)) : (driver.held_mod & ~modifier_bit(key));
    queue_key_event(key, down, uint16_t(driver.held_mod));
}

void push_motion(int x, int y)
{
    queue_pointer_motion(x, y, x - driver.pointer_x, y - driver.pointer_y, driver.held_buttons);
    driver.pointer_x = x;
    driver.pointer_y = y;
}

void push_button(int button, bool down)
{
    const uint8_t bit = uint8_t(1u << (button - 1));
    driver.held_buttons = down ? uint8_t(driver.held_buttons | bit) : uint8_t(driver.held_buttons & ~bit);
    queue_button_event(button, down, driver.pointer_x, driver.pointer_y);
}

void push_line(const ScriptLine& l)
{
    if (l.kind == Kind::Motion) {
        push_motion(l.x, l.y);
        return;
    }
    if (l.kind == Kind::Mouse && (l.x != driver.pointer_x || l.y != driver.pointer_y))
        push_motion(l.x, l.y);
    auto push = l.kind == Kind::Mouse ? push_button : push_key;
    if (l.action != Action::Up)
        push(l.key, true);
    if (l.action != Action::Down)
        push(l.key, false);
}

const char* mode_name(ModeHandler m)
{
    if (m == demo_handler)
        return "demo";
    if (m == play_handler)
        return "play";
    if (m == main_menu_handler)
        return "menu";
    if (m == help_handler)
        return "help";
    if (m == level_editor_mode)
        return "leveledit";
    if (m == test_play_handler)
        return "testplay";
    if (m == gfx_editor_mode)
        return "gfxedit";
    return "other";
}

} // namespace

void reset_script()
{
    driver.lines.clear();
    driver.next_line = 0;
    driver.active = false;
    driver.frames_run = 0;
    driver.held_mod = 0;
    driver.held_buttons = 0;
    driver.pointer_x = driver.pointer_y = 0;
}

bool load_script()
{
    reset_script();
    script_event_source = inject_script_events;
    const char* f = getenv("VORBIX_FAST");
    driver.fast = f && *f && strcmp(f, "0") != 0;
    const char* path = getenv("VORBIX_SCRIPT");
    if (!path || !*path)
        return true;
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "Cannot read the script %s\n", path);
        return false;
    }
    char text[SCRIPT_LINE_SIZE];
    int number = 0;
    while (fgets(text, sizeof text, file)) {
        number++;
        const size_t length = strlen(text);
        const bool cut = length == sizeof text - 1 && text[length - 1] != '\n' && !feof(file);
        if (cut || driver.lines.size() >= SCRIPT_MAX_LINES) {
            fprintf(stderr, cut ? "%s:%d: a line longer than %d characters\n" : "%s:%d: more than %d lines\n", path,
                    number, cut ? SCRIPT_LINE_SIZE - 2 : int(SCRIPT_MAX_LINES));
            fclose(file);
            return false;
        }
        char word[16];
        long frame;
        int key, x, y;
        if (text[0] == '#' || text[0] == '\n')
            continue;
        auto action = [](const char* w) {
            return !strcmp(w, "down") ? Action::Down : (!strcmp(w, "up") ? Action::Up : Action::Press);
        };
        auto on_screen = [](int px, int py) { return px >= 0 && px < 640 && py >= 0 && py < 480; };
        auto known = [](const char* w) { return !strcmp(w, "press") || !strcmp(w, "down") || !strcmp(w, "up"); };
        // Only key codes (core/keys.h) reach the events: any other number
        // would arrive as a key no key code names.
        auto key_symbol = [](int k) { return k >= 0 && k < KEY_LAST; };
        // Frame numbers count from 0; a negative one would read as a modal line.
        if (sscanf(text, "modal %15s %d", word, &key) == 2 && known(word) && key_symbol(key)) {
            driver.lines.push_back({-1, action(word), key});
        } else if (sscanf(text, "modal %d", &key) == 1 && key_symbol(key)) {
            driver.lines.push_back({-1, Action::Press, key});
        } else if (sscanf(text, "%ld %15s %d", &frame, word, &key) == 3 && frame >= 0 && known(word) &&
                   key_symbol(key)) {
            driver.lines.push_back({frame, action(word), key});
        } else if (sscanf(text, "%ld motion %d %d", &frame, &x, &y) == 3 && frame >= 0 && on_screen(x, y)) {
            driver.lines.push_back({frame, Action::Press, 0, Kind::Motion, x, y});
        } else if (sscanf(text, "%ld mouse %15s %d %d %d", &frame, word, &key, &x, &y) == 5 && frame >= 0 &&
                   known(word) && key >= 1 && key <= 5 && on_screen(x, y)) {
            driver.lines.push_back({frame, action(word), key, Kind::Mouse, x, y});
        } else {
            fprintf(stderr, "%s:%d: not a script line\n", path, number);
            fclose(file);
            return false;
        }
    }
    fclose(file);
    driver.active = true;
    notice_listener = trace_notice;
    return true;
}

bool fast_frames() { return driver.fast; }

void inject_script_events(bool in_frame)
{
    if (!driver.active)
        return;
    while (driver.next_line < driver.lines.size()) {
        const ScriptLine& l = driver.lines[driver.next_line];
        const bool modal = l.frame < 0;
        if (modal ? in_frame : l.frame > driver.frames_run)
            return;
        push_line(l);
        driver.next_line++;
        if (modal)
            return;   // one modal line a wait: each is its own batch
    }
}

void trace_notice(const char* text)
{
    if (driver.active)
        fprintf(stderr, "frame %ld: notice %s\n", driver.frames_run, text);
}

void trace_frame(ModeHandler mode, int level)
{
    driver.frames_run++;
    if (!driver.active)
        return;
    if (mode != driver.traced_mode || level != driver.traced_level) {
        driver.traced_mode = mode;
        driver.traced_level = level;
        fprintf(stderr, "frame %ld: %s level %d\n", driver.frames_run, mode_name(driver.traced_mode),
                driver.traced_level);
    }
}
