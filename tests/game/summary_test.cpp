// What the player reads at the end of a level and in the demonstration's top
// line: the summary's lines with their values, and the record holder's name.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/flags.h"
#include "core/keys.h"
#include "program/frame.h"
#include "core/input.h"
#include "core/modal.h"
#include "program/script.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "game/game.h"
#include "view/view.h"
#include "level/archive.h"
#include "picture/artwork.h"
#include "picture/gfxset.h"
#include "support/fixtures.h"
#include "support/script_lines.h"

namespace {

std::vector<uint8_t>* captured;
const std::vector<uint8_t>* shown_pixels;

// The first whole-screen update is the summary, drawn and waiting for SPACE.
void capture_first_whole_update(int, int, int w, int h)
{
    if (captured->empty() && w == 0 && h == 0)
        *captured = *shown_pixels;
}

class Summary : public ::testing::Test {
protected:
    HeadlessScreen screen;
    TempDir dir;
    std::vector<uint8_t> set_pixels[GFX_SET_COUNT];
    Session session;

    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
        reset_input_state();
        set_first_start_config();
        archive_path[0] = 0;   // no archive: nothing is stored, level 0's movie is built in
        for (int s = 0; s < GFX_SET_COUNT; s++) {
            set_pixels[s].assign(GFX_SET_PIXELS, 0);
            gfx_sets[s].pixels = set_pixels[s].data();
            for (int i = 1; i < 256; i++)
                gfx_sets[s].remap[i] = uint8_t(i);
        }
        // Glyph g's first row spells g + 1 in binary, so every text has its own pixels.
        for (int g = 0; g < GLYPH_COUNT; g++)
            for (int x = 0; x < 8; x++)
                if ((g + 1) >> x & 1)
                    set_pixels[0][size_t(square_offset(GLYPH_SQUARE) +
                                         (GLYPH_HEIGHT * (g / GLYPHS_PER_ROW)) * SET_PICTURE_WIDTH +
                                         GLYPH_WIDTH * (g % GLYPHS_PER_ROW) + x)] = 1;
        build_tile_cache();
        screen_palette.nearest_white = 15;
        start_frame_timer();   // its ticks wake the summary's wait
    }
    void TearDown() override
    {
        update_hook = nullptr;
        for (auto& set : gfx_sets)
            set.pixels = nullptr;
        stop_frame_timer();
        unsetenv("VORBIX_SCRIPT");
        reset_script();
        session.game_active = false;
        SDL_Quit();
    }
};

TEST_F(Summary, LinesShowTheLevelsResult)
{
    const struct {
        int hidden, flash, penalties, score, best_score, best_ticks;
        std::vector<const char*> lines;   // from y 130 on
    } cases[] = {
        {1, -1, 1, 43000, 42000, 3005,
         {"YOU PASSED THE LEVEL!", "HIDDEN MONSTER - YES\n", "FLASHING FIRST - N/A\n", "-----------",
          "TIME BONUS     05500", "NO KILLING     10000\n", "-----------", "YOUR SCORE     43000",
          "BEST SCORE     42000", "-----------", "YOUR TIME 0045.30 SECS.", "BEST TIME 0050.05 SECS.", "",
          "YOU JUST GOT THE HIGH SCORE FOR LEVEL 0000!!!"}},
        {0, 1, 0, 42000, 42000, 3005,
         {"YOU PASSED THE LEVEL!", "HIDDEN MONSTER -  NO\n", "FLASHING FIRST - YES\n", "-----------",
          "TIME BONUS     05500", "NO TRAPPING    20000\n", "-----------", "YOUR SCORE     42000",
          "BEST SCORE     42000", "-----------", "YOUR TIME 0045.30 SECS.", "BEST TIME 0050.05 SECS.", "",
          "SCORE TIED WITH A BETTER TIME ON LEVEL 0000!"}},
        {-1, 0, 3, 1000, 42000, 3005,
         {"YOU PASSED THE LEVEL!", "HIDDEN MONSTER - N/A\n", "FLASHING FIRST -  NO\n", "-----------",
          "TIME BONUS     05500", "-----------", "YOUR SCORE     01000", "BEST SCORE     42000",
          "-----------", "YOUR TIME 0045.30 SECS.", "BEST TIME 0050.05 SECS."}},
    };
    for (const auto& c : cases) {
        write_file(dir.file("script"), scriptline::modal(KEY_SPACE));
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        ASSERT_TRUE(load_script());
        session.level = 0;
        session.recording = true;
        session.game_active = true;
        load_level(session, 0);
        start_running_level(session, session.grid);
        GameState& g = session.running.game;
        g.hidden_status = c.hidden;
        g.flash_status = c.flash;
        g.penalty_flags = c.penalties;
        g.time_bonus = 55;
        g.score = c.score;
        session.best.score = c.best_score;
        g.seconds = 45;
        g.play_ticks = 45 * 60 + 30;
        session.best.seconds = 50;
        session.best.ticks = c.best_ticks;

        std::vector<uint8_t> summary;
        captured = &summary;
        shown_pixels = &screen.pixels;
        update_hook = capture_first_whole_update;
        finish_level(session, 1, STEP_NEXT);
        EXPECT_TRUE(modal_screen_open()) << "the summary waits for its key";
        EXPECT_EQ(run_frame(session), 0);
        EXPECT_FALSE(modal_screen_open());
        update_hook = nullptr;
        ASSERT_FALSE(summary.empty());
        ASSERT_NE(std::count(summary.begin(), summary.end(), 15), 0);

        clear_screen();
        text_y = 130;
        for (const char* line : c.lines)
            print_centred(line);
        text_y = 444;
        print_centred("PRESS SPACE FOR NEXT LEVEL");
        for (int y = 0; y < 480; y++)
            ASSERT_EQ(memcmp(&summary[size_t(y * 640)], &screen.pixels[size_t(y * 640)], 640), 0)
                << "row " << y << ", summary of score " << c.score;
    }
}

TEST_F(Summary, DemonstrationTopLineNamesTheRecordHolder)
{
    session.level = 0;
    start_demo(session);
    format_top_line(session);
    EXPECT_STREQ(top_status.wanted.data(),
                 "LEVEL 0000 lord mobrin        SCORE-TIME 30000-0000  BEST 43450-0073.12 ");
    start_play(session, session.grid);   // in play the name field is blank
    format_top_line(session);
    EXPECT_STREQ(top_status.wanted.data(),
                 "LEVEL 0000                    SCORE-TIME 30000-0000  BEST 43450-0073.12 ");
}

} // namespace
