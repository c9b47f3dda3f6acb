// The name and key dialogues, fed one key a step by a script.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "core/keys.h"
#include "program/frame.h"
#include "core/flags.h"
#include "core/input.h"
#include "core/modal.h"
#include "program/script.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/dialogs.h"
#include "frontend/userdir.h"
#include "support/process.h"
#include "support/script_lines.h"
#include "support/fixtures.h"
#include "view/session.h"

namespace {

using namespace scriptline;

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
    // Puts a prompt up and lets the frame loop step it to its end; the
    // argument its end action was given.
    static int run_prompt(void (*open)(ModalEnd))
    {
        static int ended;
        ended = -1;
        open([](Session&, int arg) { ended = arg; });
        EXPECT_TRUE(modal_screen_open());
        Session session;
        EXPECT_EQ(run_frame(session), 0);
        EXPECT_FALSE(modal_screen_open());
        return ended;
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
    script(modal(KEY_a) + modal(KEY_b) + modal("down", KEY_LSHIFT) + modal(KEY_1) + modal("up", KEY_LSHIFT) +
           modal(KEY_KP7) + modal(KEY_RETURN));
    std::fill(screen.begin() + 468 * 640, screen.begin() + 480 * 640, 7);
    run_prompt(enter_player_name);
    EXPECT_STREQ(player_name, "AB!");   // keypad 7 (263) types nothing
    EXPECT_FALSE(key_state.text_entry_active);
    for (int x = 0; x < 576; x++)
        ASSERT_EQ(screen[size_t(468 * 640 + x)], 0) << "the line at y 468 is blanked";
}

// Alt+X leaves the entry as Escape does and asks the frame loop to end.
TEST_F(Dialogs, AltXLeavesTheNameAndEndsTheProgram)
{
    strcpy(player_name, "OLD");
    quit_requested = false;
    script(modal(KEY_a) + modal("down", KEY_LALT) + modal(KEY_x));
    run_prompt(enter_player_name);
    EXPECT_STREQ(player_name, "OLD");
    EXPECT_TRUE(quit_requested);
    quit_requested = false;
}

TEST_F(Dialogs, OnlyAcceptedKeysType)
{
    // Each row: the keys typed after an empty name, then Return.
    const struct {
        const char* what;
        std::string keys;
        const char* typed;
    } cases[] = {
        {"Caps Lock", modal(KEY_CAPSLOCK), ""},
        {"Num Lock", modal(KEY_NUMLOCK), ""},
        {"Scroll Lock", modal(KEY_SCROLLOCK), ""},
        {"F7", modal(KEY_F7), ""},
        {"SysReq", modal(KEY_SYSREQ), ""},
        {"Caps Lock then a", modal(KEY_CAPSLOCK) + modal(KEY_a), "A"},
        {"keypad 0, 1, 9", modal(KEY_KP0) + modal(KEY_KP1) + modal(KEY_KP9), ""},
        {"letters", modal(KEY_z) + modal(KEY_a), "ZA"},
        {"letters with shift", modal("down", KEY_LSHIFT) + modal(KEY_q) + modal("up", KEY_LSHIFT), "Q"},
        {"shifted digits",
         modal("down", KEY_RSHIFT) + modal(KEY_0) + modal(KEY_2) + modal(KEY_9) + modal("up", KEY_RSHIFT), ")@("},
        {"digits", modal(KEY_0) + modal(KEY_9), "09"},
        {"space", modal(KEY_SPACE) + modal(KEY_SPACE), "  "},
        {"minus", modal(KEY_MINUS), "-"},
        {"minus with shift", modal("down", KEY_LSHIFT) + modal(KEY_MINUS) + modal("up", KEY_LSHIFT), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reset_input_state();
        player_name[0] = 0;
        script(c.keys + modal(KEY_RETURN));
        run_prompt(enter_player_name);
        EXPECT_STREQ(player_name, c.typed);
    }
}

TEST_F(Dialogs, SixteenCharactersAtMostAndBackspaceStillWorks)
{
    std::string keys;
    for (int i = 0; i < 18; i++)
        keys += modal(KEY_a + i);
    // Two backspaces, z, keypad Enter.
    keys += modal(KEY_BACKSPACE) + modal(KEY_BACKSPACE) + modal(KEY_z) + modal(KEY_KP_ENTER);
    script(keys);
    player_name[0] = 0;
    run_prompt(enter_player_name);
    EXPECT_STREQ(player_name, "ABCDEFGHIJKLMNZ");
}

TEST_F(Dialogs, EscapeKeepsTheOldName)
{
    strcpy(player_name, "keeper");
    script(modal(KEY_a) + modal(KEY_ESCAPE));
    run_prompt(enter_player_name);
    EXPECT_STREQ(player_name, "keeper");
}

TEST_F(Dialogs, EscapeAtTheFourthKeyRestoresAllAndWritesNothing)
{
    script(modal(KEY_w) + modal(KEY_s) + modal(KEY_a) + modal(KEY_ESCAPE));
    EXPECT_EQ(run_prompt(remap_keys), 1) << "a cancel is no failure to store";
    EXPECT_EQ(upkey, KEY_UP);
    EXPECT_EQ(downkey, KEY_DOWN);
    EXPECT_EQ(leftkey, KEY_LEFT);
    EXPECT_EQ(access(dir.file(".zuzezodov/vrbxrc").c_str(), F_OK), -1);
}

TEST_F(Dialogs, RemappedKeysAreShownAndWritten)
{
    // Every glyph inked, so whatever is printed shows.
    for (int cell : {69, 70, 71, 81, 82, 83, 93, 94, 95})
        memset(tile_cache + cell * CELL_BYTES, 1, CELL_BYTES);
    script(modal(KEY_w) + modal(KEY_s) + modal(KEY_a) + modal(KEY_d) + modal(KEY_q) + modal(KEY_e));
    EXPECT_EQ(run_prompt(remap_keys), 1);
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
