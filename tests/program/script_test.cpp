// The script driver's events as SDL delivers them: pointer lines, buttons,
// and the modifier state that key events carry.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/keys.h"
#include "program/script.h"
#include "support/process.h"

namespace {

class Script : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override
    {
        unsetenv("VORBIX_SCRIPT");
        reset_script();
        SDL_Quit();
    }
    bool load(const std::string& text)
    {
        write_file(dir.file("script"), text);
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        return load_script();
    }
    // The events one frame's poll would see.
    static std::vector<SDL_Event> events()
    {
        inject_script_events(false);
        std::vector<SDL_Event> seen;
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP || e.type == SDL_MOUSEMOTION ||
                e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP)
                seen.push_back(e);
        return seen;
    }
};

TEST_F(Script, PointerLinesMoveThePointerAndPressButtons)
{
    ASSERT_TRUE(load("0 motion 100 50\n"
                     "0 mouse down 1 200 60\n"
                     "0 motion 210 70\n"
                     "0 mouse up 1 210 70\n"
                     "0 mouse press 3 5 6\n"));
    SDL_PumpEvents();
    SDL_Event drop;
    while (SDL_PollEvent(&drop)) {
    }
    const std::vector<SDL_Event> seen = events();
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(seen[0].type, SDL_MOUSEMOTION);
    EXPECT_EQ(seen[0].motion.x, 100);
    EXPECT_EQ(seen[0].motion.y, 50);
    EXPECT_EQ(seen[1].type, SDL_MOUSEMOTION);   // the button line moves the pointer first
    EXPECT_EQ(seen[1].motion.x, 200);
    EXPECT_EQ(seen[2].type, SDL_MOUSEBUTTONDOWN);
    EXPECT_EQ(seen[2].button.button, SDL_BUTTON_LEFT);
    EXPECT_EQ(seen[2].button.x, 200);
    EXPECT_EQ(seen[3].type, SDL_MOUSEMOTION);   // a drag: the left button is held
    EXPECT_EQ(seen[3].motion.state, SDL_BUTTON(SDL_BUTTON_LEFT));
    EXPECT_EQ(seen[4].type, SDL_MOUSEBUTTONUP);   // already there: no motion
    EXPECT_EQ(seen[5].type, SDL_MOUSEMOTION);
    EXPECT_EQ(seen[5].motion.state, 0);
    EXPECT_EQ(seen[6].type, SDL_MOUSEBUTTONDOWN);
    EXPECT_EQ(seen[6].button.button, SDL_BUTTON_RIGHT);
    EXPECT_EQ(seen[7].type, SDL_MOUSEBUTTONUP);
}

TEST_F(Script, KeyEventsCarryTheHeldModifiers)
{
    ASSERT_TRUE(load("0 down 308\n0 press 120\n0 up 308\n0 press 120\n"));
    SDL_PumpEvents();
    SDL_Event drop;
    while (SDL_PollEvent(&drop)) {
    }
    const std::vector<SDL_Event> seen = events();
    ASSERT_EQ(seen.size(), 6u);
    const int expected_mod[] = {KEYMOD_LALT, KEYMOD_LALT, KEYMOD_LALT, KEYMOD_NONE, KEYMOD_NONE, KEYMOD_NONE};
    for (size_t i = 0; i < seen.size(); i++)
        EXPECT_EQ(seen[i].key.keysym.mod, expected_mod[i]) << "event " << i;
}

TEST_F(Script, MalformedPointerLinesAreRefused)
{
    for (const char* line : {"0 motion 640 10\n", "0 motion 10\n", "0 mouse press 0 1 1\n",
                             "0 mouse click 1 1 1\n", "0 mouse press 1 1 -1\n",
                             // Keys that are no key symbol, a frame before the first.
                             "5 press -1\n", "5 press 323\n", "modal 99999\n", "modal down -7\n", "-5 press 1\n",
                             "-1 motion 1 1\n"})
        EXPECT_FALSE(load(line)) << line;
}

// A line too long for the reader is refused whole, not cut into a line and a
// second one made of its tail; a script beyond its line limit is refused.
TEST_F(Script, OverlongLinesAndEndlessScriptsAreRefused)
{
    // The tail "5 press 32" would otherwise read as a line of its own.
    EXPECT_FALSE(load("# " + std::string(125, 'x') + "5 press 32\n"));
    EXPECT_TRUE(load("# " + std::string(120, 'x') + "\n5 press 32\n"));
    std::string endless;
    for (int i = 0; i < 100001; i++)
        endless += "1 press 32\n";
    EXPECT_FALSE(load(endless));
    EXPECT_TRUE(load(endless.substr(11)));
}

} // namespace
