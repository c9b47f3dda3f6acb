// The help screen's text: what the font can draw, and the play keys named as
// they are bound.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/keys.h"
#include "core/settings.h"
#include "display/status.h"
#include "frontend/help.h"

namespace {

struct Bindings {
    int32_t up, down, left, right, digleft, digright;
};

void bind(const Bindings& b)
{
    upkey = b.up;
    downkey = b.down;
    leftkey = b.left;
    rightkey = b.right;
    digleftkey = b.digleft;
    digrightkey = b.digright;
}

std::string whole_text()
{
    HelpText text;
    build_help_text(text);
    std::string all;
    for (const HelpLine& line : text)
        all += std::string(line.data()) + "\n";
    return all;
}

struct KeyCase {
    Bindings bindings;
    const char* moves;
    const char* digs;
};

const KeyCase KEY_CASES[] = {
    // The first-start bindings.
    {{KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_LCTRL, KEY_LALT},
     " UP: UP   DOWN: DOWN   LEFT: LEFT   RIGHT: RIGHT\n", " DIG LEFT: LEFT CTRL   DIG RIGHT: LEFT ALT\n"},
    // After F10 remapping to letters and the keypad.
    {{KEY_w, KEY_s, KEY_a, KEY_d, KEY_KP1, KEY_KP3},
     " UP: W   DOWN: S   LEFT: A   RIGHT: D\n", " DIG LEFT: KP1   DIG RIGHT: KP3\n"},
};

class Help : public ::testing::Test {
protected:
    Bindings saved{upkey, downkey, leftkey, rightkey, digleftkey, digrightkey};
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    }
    void TearDown() override
    {
        bind(saved);
        SDL_Quit();
    }
};

TEST_F(Help, NamesThePlayKeysAsBound)
{
    for (const KeyCase& c : KEY_CASES) {
        bind(c.bindings);
        const std::string text = whole_text();
        EXPECT_NE(text.find(c.moves), std::string::npos) << text;
        EXPECT_NE(text.find(c.digs), std::string::npos) << text;
    }
}

// Every character has a glyph of its own (the font draws anything else as
// a blank), and the longest key names still leave the text on the screen.
TEST_F(Help, EveryCharacterIsInTheFontAndEveryLineFits)
{
    const Bindings cases[] = {
        {KEY_RSUPER, KEY_KP_ENTER, KEY_SCROLLOCK, KEY_BACKSPACE, KEY_RCTRL, KEY_RALT},
        {KEY_KP_MULTIPLY, KEY_KP_PERIOD, KEY_SEMICOLON, KEY_QUOTE, KEY_LEFTBRACKET, KEY_BACKQUOTE},
    };
    for (const Bindings& b : cases) {
        bind(b);
        HelpText text;
        build_help_text(text);
        for (const HelpLine& line : text) {
            EXPECT_LE(strlen(line.data()), size_t(HELP_LINE_WIDTH));
            for (const char* c = line.data(); *c; c++)
                EXPECT_TRUE(*c == ' ' || glyph_map[static_cast<unsigned char>(*c)] != BLANK_GLYPH)
                    << "'" << *c << "' in " << line.data();
        }
    }
}

TEST_F(Help, SaysTheGoalAndTheEditorsKeys)
{
    const std::string text = whole_text();
    for (const char* part : {"COLLECT EVERY OBJECT", "CLIMB OUT THROUGH THE TOP", "GIVE UP", "PAUSE", "SCREENSHOT",
                             "ALT-X", "LEVEL EDITOR (F3)", "T TEST-PLAYS", "IS IT WINNABLE?",
                             "ALT-ESC, ALT-SPACE", "GRAPHICS EDITOR (F2)", "PRESS ANY KEY"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

} // namespace
