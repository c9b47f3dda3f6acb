// Level 0's built-in movie is the record of a real play: replayed through the
// rules it must finish the level exactly as recorded.
#include <gtest/gtest.h>

#include <vector>

#include "program/frame.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/movie.h"
#include "support/fixtures.h"

namespace {

TEST(Oracle, BuiltInMovieFinishesLevel0AsRecorded)
{
    HeadlessScreen headless;
    current_level = 0;
    recording = false;
    game_active = true;
    ASSERT_TRUE(unpack_level(0));
    begin_level();
    int ticks = 0;
    int frames = 0;
    while (game_state.exit_count == 0 && frames < 20000) {
        const bool waiting = game_state.waiting_for_input;
        game_tick();
        frames++;
        if (!waiting || !game_state.waiting_for_input)
            ticks++;
        ASSERT_EQ(game_state.death_count, 0) << "caught at tick " << ticks << ", hero at " << actors[0].x << ","
                                             << actors[0].y;
        if (game_state.exit_count == 0) {
            ASSERT_LT(movie.cursor, int(BUILTIN_MOVIE.size())) << "the movie ran out at tick " << ticks;
        }
    }
    EXPECT_EQ(game_state.exit_count, 1);
    EXPECT_EQ(ticks, 4392);
    EXPECT_EQ(movie.cursor, int(BUILTIN_MOVIE.size()));   // the last tick was just used
    EXPECT_EQ(game_state.score, 43450);
    EXPECT_EQ(game_state.flash_status, 1);
    EXPECT_EQ(game_state.hidden_status, 1);
    EXPECT_EQ(game_state.objects_left, 0);
}

} // namespace
