// Level 0's built-in movie is the record of a real play: replayed through the
// rules it must finish the level exactly as recorded.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "game/game.h"
#include "level/movie.h"
#include "level/stored.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

TEST(Oracle, BuiltInMovieFinishesLevel0AsRecorded)
{
    auto m = std::make_unique<MovieBuffer>();
    memcpy(m->bytes.data(), BUILTIN_MOVIE.data(), BUILTIN_MOVIE.size());
    m->length = int(BUILTIN_MOVIE.size());
    m->cursor = MOVIE_HEADER_SIZE;
    ASSERT_TRUE(unpack_level(0, level_grid));
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    const GameState& g = s.game;
    begin_level(s, level_grid, BUILTIN_MOVIE[MOVIE_SEED_OFFSET]);
    int ticks = 0;
    int frames = 0;
    while (g.exit_count == 0 && frames < 20000) {
        const bool waiting = g.waiting_for_input;
        tick(s, replay_input_from(*m), *events);
        frames++;
        if (!waiting || !g.waiting_for_input)
            ticks++;
        ASSERT_EQ(g.death_count, 0) << "caught at tick " << ticks << ", hero at " << s.actors[0].x << ","
                                    << s.actors[0].y;
        if (g.exit_count == 0) {
            ASSERT_LT(m->cursor, int(BUILTIN_MOVIE.size())) << "the movie ran out at tick " << ticks;
        }
    }
    EXPECT_EQ(g.exit_count, 1);
    EXPECT_EQ(events->end, LEVEL_WON);
    EXPECT_EQ(ticks, 4392);
    EXPECT_EQ(m->cursor, int(BUILTIN_MOVIE.size()));   // the last tick was just used
    EXPECT_EQ(g.score, 43450);
    EXPECT_EQ(g.flash_status, 1);
    EXPECT_EQ(g.hidden_status, 1);
    EXPECT_EQ(g.objects_left, 0);
}

} // namespace
