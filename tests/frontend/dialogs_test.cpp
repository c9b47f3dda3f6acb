// The name and key dialogues, fed one key a wait by a script.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "program/frame.h"
#include "core/input.h"
#include "program/script.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/dialogs.h"
#include "frontend/userdir.h"
#include "support/process.h"
#include "support/fixtures.h"

namespace {

class Dialogs : public ::testing::Test {
protected:
    TempUserDir home;
    const TempDir& dir = home.dir;
    std::vector<uint8_t> screen = std::vector<uint8_t>(640 * 480, 0);

    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0);
        ASSERT_NE(SDL_SetVideoMode(640, 480, 8, 0), nullptr);
        attach_frame_buffer(screen.data(), 640);
        ASSERT_TRUE(alloc_display_buffers());
        build_glyph_map();
        screen_palette.nearest_black = 0;
        screen_palette.nearest_white = 1;
        reset_input_state();
        set_first_start_config();
        strcpy(config_file_name, "vrbxrc");
        start_frame_timer();   // its ticks wake the dialogues' waits
    }
    void TearDown() override
    {
        stop_frame_timer();
        unsetenv("VORBIX_SCRIPT");
        reset_script();
        free_display_buffers();
        SDL_Quit();
    }
    void script(const std::string& text)
    {
        write_file(dir.file("script"), text);
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        ASSERT_TRUE(load_script());
    }
};

TEST_F(Dialogs, TypedNameWithShiftAndReturn)
{
    player_name[0] = 0;
    script("modal 97\nmodal 98\nmodal down 304\nmodal 49\nmodal up 304\nmodal 263\nmodal 13\n");
    std::fill(screen.begin() + 468 * 640, screen.begin() + 480 * 640, 7);
    enter_player_name();
    EXPECT_STREQ(player_name, "AB!");   // keypad 7 (263) types nothing
    EXPECT_FALSE(key_state.text_entry_active);
    for (int x = 0; x < 576; x++)
        ASSERT_EQ(screen[size_t(468 * 640 + x)], 0) << "the line at y 468 is blanked";
}

TEST_F(Dialogs, OnlyAcceptedKeysType)
{
    // Each row: the keys typed after an empty name, then Return.
    const struct {
        const char* what;
        const char* keys;
        const char* typed;
    } cases[] = {
        {"Caps Lock", "modal 301\n", ""},
        {"Num Lock", "modal 300\n", ""},
        {"Scroll Lock", "modal 302\n", ""},
        {"F7", "modal 288\n", ""},
        {"SysReq", "modal 317\n", ""},
        {"Caps Lock then a", "modal 301\nmodal 97\n", "A"},
        {"keypad 0, 1, 9", "modal 256\nmodal 257\nmodal 265\n", ""},
        {"letters", "modal 122\nmodal 97\n", "ZA"},
        {"letters with shift", "modal down 304\nmodal 113\nmodal up 304\n", "Q"},
        {"shifted digits", "modal down 303\nmodal 48\nmodal 50\nmodal 57\nmodal up 303\n", ")@("},
        {"digits", "modal 48\nmodal 57\n", "09"},
        {"space", "modal 32\nmodal 32\n", "  "},
        {"minus", "modal 45\n", "-"},
        {"minus with shift", "modal down 304\nmodal 45\nmodal up 304\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reset_input_state();
        player_name[0] = 0;
        script(std::string(c.keys) + "modal 13\n");
        enter_player_name();
        EXPECT_STREQ(player_name, c.typed);
    }
}

TEST_F(Dialogs, SixteenCharactersAtMostAndBackspaceStillWorks)
{
    std::string keys;
    for (int i = 0; i < 18; i++)
        keys += "modal " + std::to_string('a' + i) + "\n";
    keys += "modal 8\nmodal 8\nmodal 122\nmodal 271\n";   // two backspaces, z, keypad Enter
    script(keys);
    player_name[0] = 0;
    enter_player_name();
    EXPECT_STREQ(player_name, "ABCDEFGHIJKLMNZ");
}

TEST_F(Dialogs, EscapeKeepsTheOldName)
{
    strcpy(player_name, "keeper");
    script("modal 97\nmodal 27\n");
    enter_player_name();
    EXPECT_STREQ(player_name, "keeper");
}

TEST_F(Dialogs, EscapeAtTheFourthKeyRestoresAllAndWritesNothing)
{
    script("modal 119\nmodal 115\nmodal 97\nmodal 27\n");
    remap_keys();
    EXPECT_EQ(upkey, SDLK_UP);
    EXPECT_EQ(downkey, SDLK_DOWN);
    EXPECT_EQ(leftkey, SDLK_LEFT);
    EXPECT_EQ(access(dir.file(".zuzezodov/vrbxrc").c_str(), F_OK), -1);
}

TEST_F(Dialogs, RemappedKeysAreShownAndWritten)
{
    // Every glyph inked, so whatever is printed shows.
    for (int cell : {69, 70, 71, 81, 82, 83, 93, 94, 95})
        memset(tile_cache + cell * CELL_BYTES, 1, CELL_BYTES);
    script("modal 119\nmodal 115\nmodal 97\nmodal 100\nmodal 113\nmodal 101\n");
    remap_keys();
    EXPECT_EQ(upkey, 'w');
    EXPECT_EQ(digrightkey, 'e');
    const std::string config = read_file(dir.file(".zuzezodov/vrbxrc"));
    EXPECT_NE(config.find("upkey=77\n"), std::string::npos) << config;
    EXPECT_NE(config.find("digrightkey=65\n"), std::string::npos) << config;
    // "77" stands behind the first prompt, on line 192: two characters, no more.
    const int prompt_end = 140 + 8 * int(strlen("Press key for moving up:"));
    EXPECT_EQ(screen[size_t(192 * 640 + prompt_end)], 1);
    EXPECT_EQ(screen[size_t(192 * 640 + prompt_end + 15)], 1);
    EXPECT_EQ(screen[size_t(192 * 640 + prompt_end + 16)], 0);
}

} // namespace
