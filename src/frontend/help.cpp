#include "frontend/help.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/modes.h"

namespace {

constexpr int TOP_Y = 12;
constexpr int LINE_STEP = 15;
constexpr int LEFT_X = 12;
constexpr int KEY_NAME_LENGTH = 16;

// A line of the fixed text; "%KEYS%" and "%DIGS%" stand for the lines that
// name the bound keys.
// Characters in place, not pointers: a constant table with nothing to relocate.
constexpr char FIXED_LINES[][HELP_LINE_WIDTH + 1] = {
    "                                HOW TO PLAY",
    "COLLECT EVERY OBJECT OF THE LEVEL WHILE THE GUARDS CHASE YOU. DIG A HOLE",
    "IN THE BRICK BESIDE YOUR FEET TO TRAP A GUARD OR TO DROP THROUGH IT. WHEN",
    "THE LAST OBJECT IS TAKEN, LADDERS APPEAR: CLIMB OUT THROUGH THE TOP.",
    "",
    "PLAY",
    "%KEYS%",
    "%DIGS%",
    " K, LEFT SHIFT  GIVE UP, RESTART        Q, ESC    LEAVE TO THE DEMO",
    " P, PAUSE       PAUSE                   F7, F8    LEVEL BACK, LEVEL ON",
    " PRINT          SCREENSHOT              ALT-X     EXIT THE GAME",
    " F12 IN THE DEMO TAKES OVER THE REPLAYED GAME",
    "",
    "LEVEL EDITOR (F3)",
    " LEFT BUTTON PAINTS, RIGHT ERASES. F1-F12 OR THE PALETTE ROW PICK A TILE",
    " ARROWS, PAGE UP/DOWN, DIGITS: LEVEL NUMBER     L, RETURN: LOAD IT",
    " W WRITES   ALT-F FILLS   CTRL-Z UNDOES   ESC, SPACE: PLAY THE LEVEL",
    " ALT-ESC, ALT-SPACE: LEAVE A CHANGED LEVEL   T TEST-PLAYS",
    " V ASKS: IS IT WINNABLE? ESC STOPS IT, V AGAIN SHOWS THE WAY OUT",
    "",
    "GRAPHICS EDITOR (F2)",
    " LEFT BUTTON PAINTS THE FOREGROUND COLOUR, RIGHT THE BACKGROUND COLOUR",
    " D F B R L V TOOLS   . - + BRUSH   U UNDO   X Y Z MIRROR, ROTATE",
    " ALT-1..4 SETS   SHIFT-S SAVES   SHIFT-L RELOADS   ESC LEAVES",
    "",
    "MENU: SPACE PLAYS   F4 THE -L LEVEL   F5 NAME   F10 KEYS   F FULL SCREEN",
    "",
    "                          PRESS ANY KEY FOR THE MENU",
};
static_assert(std::size(FIXED_LINES) <= HELP_LINE_COUNT);
static_assert(sizeof FIXED_LINES[0] == sizeof(HelpLine));

// The key's name in capitals ("LEFT CTRL"); a keypad key "[1]" reads "KP1".
// A name with a character the font cannot draw (";") becomes "KEY" and the
// key's number.
void key_label(int32_t key, char (&out)[KEY_NAME_LENGTH + 1])
{
    const char* name = key_name(key);
    size_t used = 0;
    bool drawable = name && *name;
    for (; drawable && *name && used < KEY_NAME_LENGTH; name++) {
        const auto c = static_cast<unsigned char>(toupper(static_cast<unsigned char>(*name)));
        if (c == '[' && used + 2 <= KEY_NAME_LENGTH) {
            out[used++] = 'K';
            out[used++] = 'P';
        } else if (c != ']') {
            drawable = c == ' ' || (c < 128 && glyph_map[c] != BLANK_GLYPH);
            out[used++] = char(c);
        }
    }
    out[used] = '\0';
    if (!drawable || used == 0)
        snprintf(out, sizeof out, "KEY %d", int(key));
}

struct BoundKey {
    const char* label;
    int32_t key;
};

// " LABEL: NAME   LABEL: NAME ..." cut at the line's width.
void key_line(HelpLine& line, std::initializer_list<BoundKey> keys)
{
    size_t used = 0;
    for (const BoundKey& bound : keys) {
        char name[KEY_NAME_LENGTH + 1];
        key_label(bound.key, name);
        if (used + 1 >= line.size())
            break;
        int n = snprintf(line.data() + used, line.size() - used, " %s: %s  ", bound.label, name);
        used = n < 0 ? used : std::min(line.size() - 1, used + size_t(n));
    }
    for (size_t i = strlen(line.data()); i > 0 && line[i - 1] == ' '; i--)
        line[i - 1] = '\0';
}

} // namespace

void build_help_text(HelpText& text)
{
    for (HelpLine& line : text)
        line.fill('\0');
    for (size_t i = 0; i < std::size(FIXED_LINES); i++) {
        if (strcmp(FIXED_LINES[i], "%KEYS%") == 0)
            key_line(text[i], {{"UP", upkey}, {"DOWN", downkey}, {"LEFT", leftkey}, {"RIGHT", rightkey}});
        else if (strcmp(FIXED_LINES[i], "%DIGS%") == 0)
            key_line(text[i], {{"DIG LEFT", digleftkey}, {"DIG RIGHT", digrightkey}});
        else
            memcpy(text[i].data(), FIXED_LINES[i], sizeof FIXED_LINES[i]);   // a line fits a HelpLine
    }
}

void show_help()
{
    restore_sprite_backgrounds();
    clear_screen();
    HelpText text;
    build_help_text(text);
    for (int i = 0; i < HELP_LINE_COUNT; i++)
        draw_text(text[size_t(i)].data(), LEFT_X, TOP_Y + i * LINE_STEP, screen_palette.nearest_white);
    update_whole_screen();
}

namespace {

// Print takes a screenshot of the help and the modifier keys start Alt+X or
// a combination: none of them leaves the help.
bool leaves_help(int32_t key)
{
    return key != KEY_PRINT && key != KEY_SYSREQ && !(key >= KEY_NUMLOCK && key <= KEY_COMPOSE);
}

} // namespace

void help_handler(Session& session)
{
    bool leave = false;
    for (int i = 0; i < key_state.pressed.count; i++)
        leave = leave || leaves_help(key_state.pressed.keys[size_t(i)]);
    if (!leave)
        return;
    show_main_menu();
    session.mode = main_menu_handler;
}
