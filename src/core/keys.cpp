#include "core/keys.h"

#include <array>
#include <cstddef>

namespace {

// The name in place, not a pointer: a constant table with nothing to relocate.
struct NamedKey {
    Key key;
    char name[13];
};

// The keys whose name is a word; the printable keys name themselves and the
// international keys are "world N".
constexpr NamedKey NAMED_KEYS[] = {
    {KEY_BACKSPACE, "backspace"},
    {KEY_TAB, "tab"},
    {KEY_CLEAR, "clear"},
    {KEY_RETURN, "return"},
    {KEY_PAUSE, "pause"},
    {KEY_ESCAPE, "escape"},
    {KEY_SPACE, "space"},
    {KEY_DELETE, "delete"},
    {KEY_KP0, "[0]"},
    {KEY_KP1, "[1]"},
    {KEY_KP2, "[2]"},
    {KEY_KP3, "[3]"},
    {KEY_KP4, "[4]"},
    {KEY_KP5, "[5]"},
    {KEY_KP6, "[6]"},
    {KEY_KP7, "[7]"},
    {KEY_KP8, "[8]"},
    {KEY_KP9, "[9]"},
    {KEY_KP_PERIOD, "[.]"},
    {KEY_KP_DIVIDE, "[/]"},
    {KEY_KP_MULTIPLY, "[*]"},
    {KEY_KP_MINUS, "[-]"},
    {KEY_KP_PLUS, "[+]"},
    {KEY_KP_ENTER, "enter"},
    {KEY_KP_EQUALS, "equals"},
    {KEY_UP, "up"},
    {KEY_DOWN, "down"},
    {KEY_RIGHT, "right"},
    {KEY_LEFT, "left"},
    {KEY_INSERT, "insert"},
    {KEY_HOME, "home"},
    {KEY_END, "end"},
    {KEY_PAGEUP, "page up"},
    {KEY_PAGEDOWN, "page down"},
    {KEY_F1, "f1"},
    {KEY_F2, "f2"},
    {KEY_F3, "f3"},
    {KEY_F4, "f4"},
    {KEY_F5, "f5"},
    {KEY_F6, "f6"},
    {KEY_F7, "f7"},
    {KEY_F8, "f8"},
    {KEY_F9, "f9"},
    {KEY_F10, "f10"},
    {KEY_F11, "f11"},
    {KEY_F12, "f12"},
    {KEY_F13, "f13"},
    {KEY_F14, "f14"},
    {KEY_F15, "f15"},
    {KEY_NUMLOCK, "numlock"},
    {KEY_CAPSLOCK, "caps lock"},
    {KEY_SCROLLOCK, "scroll lock"},
    {KEY_RSHIFT, "right shift"},
    {KEY_LSHIFT, "left shift"},
    {KEY_RCTRL, "right ctrl"},
    {KEY_LCTRL, "left ctrl"},
    {KEY_RALT, "right alt"},
    {KEY_LALT, "left alt"},
    {KEY_RMETA, "right meta"},
    {KEY_LMETA, "left meta"},
    {KEY_LSUPER, "left super"},
    {KEY_RSUPER, "right super"},
    {KEY_MODE, "alt gr"},
    {KEY_COMPOSE, "compose"},
    {KEY_HELP, "help"},
    {KEY_PRINT, "print screen"},
    {KEY_SYSREQ, "sys req"},
    {KEY_BREAK, "break"},
    {KEY_MENU, "menu"},
    {KEY_POWER, "power"},
    {KEY_EURO, "euro"},
    {KEY_UNDO, "undo"},
};

// Each printable character followed by its terminator, so that a key that
// names itself points into this table.
constexpr auto CHARACTER_NAMES = [] {
    std::array<char, 256> names{};
    for (size_t c = 0; c < 128; c++)
        names[2 * c] = char(c);
    return names;
}();

// "world 0" to "world 95".
constexpr auto WORLD_NAMES = [] {
    std::array<std::array<char, 9>, KEY_WORLD_95 - KEY_WORLD_0 + 1> names{};
    for (size_t i = 0; i < names.size(); i++) {
        const char prefix[] = "world ";
        size_t n = 0;
        for (; prefix[n]; n++)
            names[i][n] = prefix[n];
        if (i >= 10)
            names[i][n++] = char('0' + i / 10);
        names[i][n] = char('0' + i % 10);
    }
    return names;
}();

// The printable characters that have a key: no '%', no capitals, nothing
// after 'z'.
constexpr bool has_character_key(int32_t key)
{
    return (key >= KEY_EXCLAIM && key <= KEY_AT && key != '%') || (key >= KEY_LEFTBRACKET && key <= KEY_z);
}

} // namespace

const char* key_name(int32_t key)
{
    if (has_character_key(key))
        return &CHARACTER_NAMES[size_t(2 * key)];
    if (key >= KEY_WORLD_0 && key <= KEY_WORLD_95)
        return WORLD_NAMES[size_t(key - KEY_WORLD_0)].data();
    for (const NamedKey& named : NAMED_KEYS)
        if (named.key == key)
            return named.name;
    return "unknown key";
}
