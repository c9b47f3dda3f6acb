// The shortening pass and the figures of a movie, on a small level whose
// way out is plain: walk right over the chest to the escape ladder, climb.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "level/movie.h"
#include "game/replay.h"
#include "level/grid.h"
#include "level/textformat.h"
#include "solver/shorten.h"
#include "support/fixtures.h"
#include "solver/solver.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

const std::vector<std::string> FLAT = {
    "............S",
    "............S",
    "....P...$...S",
    "@@@@@@@@@@@@@@@@@@@@@@@@",
};

void load(const std::vector<std::string>& rows) { load_field_rows(level_grid, rows); }

std::vector<uint8_t> inputs(std::initializer_list<std::pair<int, int>> runs)
{
    std::vector<uint8_t> out;
    for (auto [count, input] : runs)
        out.insert(out.end(), size_t(count), uint8_t(input));
    return out;
}

TEST(Shorten, FiguresCountCellMovesBackStepsAndStandingStill)
{
    load(FLAT);
    const struct {
        std::vector<uint8_t> movie;
        int cell_moves, back_steps, fetch_steps, standing;
    } cases[] = {
        // The first step takes twelve ticks more than the next (the hero
        // turns); a turn back counts one back-step.
        {inputs({{36, INPUT_RIGHT}}), 2, 0, 0, 0},
        {inputs({{36, INPUT_RIGHT}, {24, INPUT_LEFT}}), 4, 1, 0, 0},
        {inputs({{24, INPUT_LEFT}, {36, INPUT_RIGHT}, {24, INPUT_LEFT}}), 6, 2, 0, 0},
        {inputs({{24, INPUT_RIGHT}, {10, INPUT_NONE}, {12, INPUT_RIGHT}}), 2, 0, 0, 10},
        // The wait for the first key is not play.
        {inputs({{30, INPUT_NONE}, {24, INPUT_RIGHT}}), 1, 0, 0, 0},
        // Back from the chest he went to take: a fetch. Turning back a cell
        // beyond it, or in a cell where nothing was taken, is not.
        {inputs({{56, INPUT_RIGHT}, {24, INPUT_LEFT}}), 4, 1, 1, 0},
        {inputs({{60, INPUT_RIGHT}, {24, INPUT_LEFT}}), 6, 1, 0, 0},
        {inputs({{48, INPUT_RIGHT}, {12, INPUT_LEFT}, {24, INPUT_RIGHT}, {12, INPUT_LEFT}}), 7, 3, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const MovieFigures f = measure_movie(level_grid, c.movie, 0);
        EXPECT_FALSE(f.won);
        EXPECT_EQ(f.cell_moves, c.cell_moves);
        EXPECT_EQ(f.back_steps, c.back_steps);
        EXPECT_EQ(f.fetch_steps, c.fetch_steps);
        EXPECT_EQ(f.standing, c.standing);
    }
}

TEST(Shorten, CutsADetourAndAWaitAndKeepsTheWin)
{
    load(FLAT);
    const SolveResult solved = solve_level(level_grid, SolveOptions{});
    ASSERT_EQ(solved.status, SOLVE_FOUND);
    // Two cells left and back, then a wait, before the way out.
    std::vector<uint8_t> movie = inputs({{36, INPUT_LEFT}, {36, INPUT_RIGHT}, {40, INPUT_NONE}});
    movie.insert(movie.end(), solved.inputs.begin(), solved.inputs.end());
    const MovieFigures before = measure_movie(level_grid, movie, 0);
    ASSERT_TRUE(before.won);
    EXPECT_GE(before.back_steps, 1);
    EXPECT_GE(before.standing, 40);

    const ShortenResult r = shorten_movie(level_grid, movie, 0, ShortenOptions{});
    ASSERT_TRUE(r.won);
    EXPECT_EQ(r.ticks_before, before.ticks);
    EXPECT_LE(r.ticks_after, solved.ticks);
    EXPECT_GE(r.score_after, r.score_before);
    const MovieFigures after = measure_movie(level_grid, r.inputs, 0);
    EXPECT_TRUE(after.won);
    EXPECT_EQ(after.ticks, r.ticks_after);
    EXPECT_EQ(after.score, r.score_after);
    EXPECT_EQ(after.back_steps, 0);
    EXPECT_LT(after.standing, 40);
}

// Two ways down to the chest: dig the brick beside the hero and drop, or
// walk right to the ladder, climb down and walk back. Stones stop each walk
// where it turns, so the long way's inputs hold no run that a cut could turn
// into the short way: only a search that digs finds it.
const std::vector<std::string> TWO_WAYS = {
    "............S",
    "............S",
    "....P......@S",
    "@@@@@#@@@@H@S",
    "..........H.S",
    "....@$....H.S@",
    "@@@@@@@@@@@@@@@@@@@@@@@@",
};

// The search finds the short way; the rest of the movie goes on from the
// chest as before.
TEST(Shorten, ShortcutTakesTheShortWayInsteadOfTheLongWayRound)
{
    load(TWO_WAYS);
    const SolveResult straight = solve_level(level_grid, SolveOptions{});
    ASSERT_EQ(straight.status, SOLVE_FOUND);
    // Right to the ladder, down, left to the chest, right to the escape
    // ladder and up.
    const std::vector<uint8_t> long_way = inputs({{100, INPUT_RIGHT}, {48, INPUT_DOWN}, {80, INPUT_LEFT},
                                                  {100, INPUT_RIGHT}, {61, INPUT_UP}});
    const MovieFigures before = measure_movie(level_grid, long_way, 0);
    ASSERT_TRUE(before.won);
    ASSERT_GT(before.ticks, straight.ticks + 60);

    ShortenOptions without;
    without.shortcut_states = 0;
    const ShortenResult cut_only = shorten_movie(level_grid, long_way, 0, without);
    ASSERT_TRUE(cut_only.won);
    EXPECT_GT(cut_only.ticks_after, straight.ticks + 60);

    const ShortenResult r = shorten_movie(level_grid, long_way, 0, ShortenOptions{});
    ASSERT_TRUE(r.won);
    EXPECT_GE(r.shortcuts, 1);
    EXPECT_LE(r.ticks_after, straight.ticks + 12);
    EXPECT_GE(r.score_after, r.score_before);
    const MovieFigures after = measure_movie(level_grid, r.inputs, 0);
    EXPECT_TRUE(after.won);
    EXPECT_EQ(after.ticks, r.ticks_after);
    EXPECT_EQ(after.score, r.score_after);
}

// A movie that does not win is given back as it is.
TEST(Shorten, LeavesALosingMovieAlone)
{
    load(FLAT);
    const std::vector<uint8_t> movie = inputs({{24, INPUT_LEFT}, {24, INPUT_RIGHT}});
    const ShortenResult r = shorten_movie(level_grid, movie, 0, ShortenOptions{});
    EXPECT_FALSE(r.won);
    EXPECT_EQ(r.inputs, movie);
    EXPECT_EQ(r.cuts, 0);
}

} // namespace
