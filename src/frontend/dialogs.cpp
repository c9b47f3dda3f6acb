#include "frontend/dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/modal.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "frontend/config.h"
#include "level/archive.h"

namespace {

constexpr char SHIFT_DIGITS[] = ")!@#$%^&*(";

// The first key pressed in the step's batch of events, or 0; a quit request
// cancels the dialogue as Escape does.
int32_t next_key(bool quit)
{
    if (quit)
        return KEY_ESCAPE;
    return pressed_count() ? first_pressed_key() : 0;
}

// The character a key types, 0 for none. Only the plain ASCII key symbols
// below 128 can type: the others (Caps Lock, keypad, function keys) would
// alias an accepted character if cut to one byte.
char key_character(int32_t key)
{
    if (key <= 0 || key >= 128)
        return 0;
    if (key >= 'a' && key <= 'z')
        return char(key - 'a' + 'A');
    const bool shift = key_down(KEY_LSHIFT) || key_down(KEY_RSHIFT);
    if (shift) {
        if (key >= '0' && key <= '9')
            return SHIFT_DIGITS[key - '0'];
        switch (key) {
        case '=':
            return '+';
        case ';':
            return ':';
        case '/':
            return '?';
        case '.':
            return '>';
        case ',':
            return '<';
        case ' ':
            return ' ';
        default:
            return 0;
        }
    }
    if ((key >= '0' && key <= '9') || strchr("-/=\\., ", char(key)) != nullptr)
        return char(key);
    return 0;
}

} // namespace

namespace {

void draw_entry_line(const TextEntry& e)
{
    char shown[80];
    snprintf(shown, sizeof shown, "%.77s~ ", e.line.data());
    draw_text(shown, 140, 468, screen_palette.nearest_white);
    update_whole_screen();
}

bool text_entry_step(Session&, ModalScreen& screen, bool quit)
{
    TextEntry& e = screen.entry;
    int32_t key = next_key(quit);
    if (!key)
        return false;
    if (key == KEY_x && alt_x_pressed()) {
        quit_requested = true;   // the value stays as it was
        key = KEY_ESCAPE;
    }
    if (key == KEY_ESCAPE || key == KEY_RETURN || key == KEY_KP_ENTER) {
        if (key != KEY_ESCAPE) {
            memset(e.value, 0, size_t(e.max_length));
            memcpy(e.value, e.line.data() + e.prompt_length, size_t(e.length));
            char blank[80];
            snprintf(blank, sizeof blank, "%-72s", "");
            draw_text(blank, 0, 468, screen_palette.nearest_white);
        }
        key_state.text_entry_active = false;
        return true;
    }
    const int p = e.prompt_length;
    if (key == KEY_BACKSPACE) {
        if (e.length > 0) {
            e.line[size_t(p + --e.length)] = 0;
            draw_entry_line(e);
        }
        return false;
    }
    char c = key_character(key);
    if (c && e.length < e.max_length && p + e.length < TEXT_ENTRY_LINE) {
        e.line[size_t(p + e.length++)] = c;
        e.line[size_t(p + e.length)] = 0;
        draw_entry_line(e);
    }
    return false;
}

} // namespace

void text_entry(char* value, int max_length, const char* prompt, ModalEnd then)
{
    ModalScreen& screen = open_modal_screen(ModalKind::TEXT_ENTRY, text_entry_step, then, 0);
    TextEntry& e = screen.entry;
    char* line = e.line.data();
    snprintf(line, e.line.size(), "%s%s", prompt, value);
    const int p = int(strlen(prompt));
    int l = int(strlen(line)) - p;
    if (l > max_length)
        l = max_length;
    line[p + l] = 0;
    e.value = value;
    e.max_length = max_length;
    e.prompt_length = p;
    e.length = l;
    // P types a letter here instead of pausing the game.
    key_state.text_entry_active = true;
    draw_entry_line(e);
}

void enter_player_name(ModalEnd then) { text_entry(player_name, PLAYER_NAME_LENGTH, "Enter name:", then); }

namespace {

// The settings the prompts set, in prompt order, and what each prompt asks
// for; member pointers and characters in place, so the tables are constants.
constexpr int32_t Settings::* KEY_BINDINGS[KEY_PROMPT_COUNT] = {
    &Settings::upkey,    &Settings::downkey,    &Settings::leftkey,
    &Settings::rightkey, &Settings::digleftkey, &Settings::digrightkey};
constexpr char KEY_LABELS[KEY_PROMPT_COUNT][24] = {"key for moving up",    "key for moving down",
                                                   "key for moving left",  "key for moving right",
                                                   "key for digging left", "key for digging right"};

void show_key_prompt(int index)
{
    char text[80];
    text_x = 140;
    snprintf(text, sizeof text, "Press %s:", KEY_LABELS[index]);
    print_at_cursor(text);
    update_whole_screen();
}

// The six keys stored in the configuration: false when they could not be
// (errno says why); they are in use all the same.
bool store_key_bindings()
{
    char path[PATH_BUFFER_SIZE];
    errno = 0;
    if (!config_path(path) || !write_config(path)) {
        const int error = errno ? errno : EINVAL;
        log_message("Cannot store the key bindings in %s: %s\n", config_file_name, strerror(error));
        errno = error;
        return false;
    }
    return true;
}

// A key a batch: it is bound and shown, and the next key is asked for;
// Escape (or a quit request) puts all six back as they were.
bool key_prompt_step(Session&, ModalScreen& screen, bool quit)
{
    KeyPrompts& k = screen.keys;
    const int32_t key = next_key(quit);
    if (!key)
        return false;
    if (key == KEY_ESCAPE) {
        for (int j = 0; j < KEY_PROMPT_COUNT; j++)
            settings.*KEY_BINDINGS[j] = k.remembered[size_t(j)];
        screen.arg = 1;   // nothing to store
        return true;
    }
    settings.*KEY_BINDINGS[k.index] = key;
    char text[80];
    snprintf(text, sizeof text, "%x", unsigned(key));
    print_at_cursor(text);
    text_y += 16;
    update_whole_screen();
    if (++k.index < KEY_PROMPT_COUNT) {
        show_key_prompt(k.index);
        return false;
    }
    screen.arg = store_key_bindings() ? 1 : 0;
    return true;
}

} // namespace

void remap_keys(ModalEnd then)
{
    ModalScreen& screen = open_modal_screen(ModalKind::KEY_PROMPTS, key_prompt_step, then, 1);
    for (int i = 0; i < KEY_PROMPT_COUNT; i++)
        screen.keys.remembered[size_t(i)] = settings.*KEY_BINDINGS[i];
    clear_screen();
    text_y = 160;
    text_x = 140;
    print_at_cursor("Remapping keys, press Escape to cancel");
    text_y += 32;
    show_key_prompt(0);
}
