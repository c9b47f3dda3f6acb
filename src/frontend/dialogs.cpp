#include "frontend/dialogs.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "frontend/config.h"
#include "level/archive.h"

namespace {

constexpr char SHIFT_DIGITS[] = ")!@#$%^&*(";
constexpr int TEXT_LINE = 111;

// Waits for the next batch of events and returns its first key press, or 0;
// a quit request cancels the dialogue as Escape does.
int32_t next_key()
{
    if (wait_input())
        return SDLK_ESCAPE;
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
    const bool shift = key_down(SDLK_LSHIFT) || key_down(SDLK_RSHIFT);
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

void text_entry(char* value, int max_length, const char* prompt)
{
    char line[TEXT_LINE + 1];
    snprintf(line, sizeof line, "%s%s", prompt, value);
    const int p = int(strlen(prompt));
    int l = int(strlen(line)) - p;
    if (l > max_length)
        l = max_length;
    line[p + l] = 0;
    bool redraw = true;
    int32_t key = 0;
    for (;;) {
        if (redraw) {
            char shown[80];
            snprintf(shown, sizeof shown, "%s~ ", line);
            draw_text(shown, 140, 468, screen_palette.nearest_white);
            update_whole_screen();
            redraw = false;
        }
        key = next_key();
        if (!key)
            continue;
        if (key == SDLK_x && alt_x_pressed()) {
            quit_requested = true;   // the value stays as it was
            key = SDLK_ESCAPE;
            break;
        }
        if (key == SDLK_ESCAPE || key == SDLK_RETURN || key == SDLK_KP_ENTER)
            break;
        if (key == SDLK_BACKSPACE) {
            if (l > 0) {
                line[p + --l] = 0;
                redraw = true;
            }
            continue;
        }
        char c = key_character(key);
        if (c && l < max_length && p + l < TEXT_LINE) {
            line[p + l++] = c;
            line[p + l] = 0;
            redraw = true;
        }
    }
    if (key != SDLK_ESCAPE) {
        memset(value, 0, size_t(max_length));
        memcpy(value, line + p, size_t(l));
        char blank[80];
        snprintf(blank, sizeof blank, "%-72s", "");
        draw_text(blank, 0, 468, screen_palette.nearest_white);
    }
}

void enter_player_name()
{
    key_state.text_entry_active = true;
    text_entry(player_name, PLAYER_NAME_LENGTH, "Enter name:");
    key_state.text_entry_active = false;
}

bool prompt_key(const char* label, int* binding)
{
    char text[80];
    text_x = 140;
    snprintf(text, sizeof text, "Press %s:", label);
    print_at_cursor(text);
    update_whole_screen();
    int32_t key = 0;
    while (!key)
        key = next_key();
    if (key == SDLK_ESCAPE)
        return false;
    *binding = key;
    snprintf(text, sizeof text, "%x", unsigned(key));
    print_at_cursor(text);
    text_y += 16;
    update_whole_screen();
    return true;
}

bool remap_keys()
{
    int32_t* const bindings[] = {&upkey, &downkey, &leftkey, &rightkey, &digleftkey, &digrightkey};
    const char* const labels[] = {"key for moving up", "key for moving down", "key for moving left",
                                  "key for moving right", "key for digging left", "key for digging right"};
    int32_t remembered[6];
    for (int i = 0; i < 6; i++)
        remembered[i] = *bindings[i];
    clear_screen();
    text_y = 160;
    text_x = 140;
    print_at_cursor("Remapping keys, press Escape to cancel");
    text_y += 32;
    for (int i = 0; i < 6; i++) {
        if (!prompt_key(labels[i], bindings[i])) {
            for (int j = 0; j < 6; j++)
                *bindings[j] = remembered[j];
            return true;
        }
    }
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
