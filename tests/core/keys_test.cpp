// The game's key names: a fixed table, the same on every build, that names
// keys as the desktop's SDL 1.2 does.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "core/keys.h"

namespace {

TEST(KeyName, NamesEachKindOfKey)
{
    const struct {
        int32_t key;
        const char* name;
    } cases[] = {
        {KEY_BACKSPACE, "backspace"}, {KEY_SPACE, "space"},     {KEY_EXCLAIM, "!"},
        {KEY_SEMICOLON, ";"},         {KEY_AT, "@"},            {KEY_LEFTBRACKET, "["},
        {KEY_BACKQUOTE, "`"},         {KEY_a, "a"},             {KEY_z, "z"},
        {KEY_DELETE, "delete"},       {KEY_WORLD_0, "world 0"}, {KEY_WORLD_9, "world 9"},
        {KEY_WORLD_10, "world 10"},   {KEY_WORLD_95, "world 95"}, {KEY_KP0, "[0]"},
        {KEY_KP_PLUS, "[+]"},         {KEY_KP_ENTER, "enter"},  {KEY_UP, "up"},
        {KEY_PAGEDOWN, "page down"},  {KEY_F1, "f1"},           {KEY_F15, "f15"},
        {KEY_LCTRL, "left ctrl"},     {KEY_RALT, "right alt"},  {KEY_PRINT, "print screen"},
        {KEY_SYSREQ, "sys req"},      {KEY_UNDO, "undo"},
        // Numbers no key has.
        {0, "unknown key"},           {1, "unknown key"},       {37, "unknown key"},
        {'A', "unknown key"},         {'{', "unknown key"},     {128, "unknown key"},
        {297, "unknown key"},         {KEY_LAST, "unknown key"}, {-1, "unknown key"},
        {100000, "unknown key"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(key_name(c.key), c.name) << c.key;
}

TEST(KeyName, AgreesWithTheDesktopSdlForEveryKey)
{
    ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
    int named = 0;
    for (int32_t key = 0; key < KEY_LAST; key++) {
        std::string sdl = SDL_GetKeyName(static_cast<SDLKey>(key));
        // Debian's SDL 1.2 compatibility layer spells the semicolon ");",
        // SDL 1.2 itself ";".
        if (key == KEY_SEMICOLON && sdl == ");")
            sdl = ";";
        EXPECT_EQ(key_name(key), sdl) << key;
        named += sdl != "unknown key";
    }
    EXPECT_EQ(named, 231);
    SDL_Quit();
}

TEST(KeyName, ModifierBitsAreSdlsOwn)
{
    EXPECT_EQ(KEYMOD_SHIFT, KMOD_SHIFT);
    EXPECT_EQ(KEYMOD_CTRL, KMOD_CTRL);
    EXPECT_EQ(KEYMOD_ALT, KMOD_ALT);
    EXPECT_EQ(KEYMOD_META, KMOD_META);
    EXPECT_EQ(KEYMOD_CAPS, KMOD_CAPS);
    EXPECT_EQ(KEY_LAST, SDLK_LAST);
}

} // namespace
