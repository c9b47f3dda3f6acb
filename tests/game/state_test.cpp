// The running level as one value: a copy taken at any tick goes on exactly
// as the original, which is what the search's branching stands on.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/game.h"
#include "level/movie.h"
#include "level/stored.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

TEST(LevelStateValue, ACopyGoesOnAsTheOriginalAndAsARunFromTheStart)
{
    ASSERT_TRUE(unpack_level(0, level_grid));
    const std::vector<uint8_t> inputs = inputs_of_movie(BUILTIN_MOVIE.data(), int(BUILTIN_MOVIE.size()));
    auto events = std::make_unique<TickEvents>();
    auto run = std::make_unique<LevelState>();
    auto whole = std::make_unique<LevelState>();
    begin_level(*run, level_grid, BUILTIN_MOVIE[MOVIE_SEED_OFFSET]);
    *whole = *run;
    for (size_t branch : {size_t(0), size_t(600), size_t(2500)}) {
        SCOPED_TRACE(branch);
        begin_level(*run, level_grid, BUILTIN_MOVIE[MOVIE_SEED_OFFSET]);
        for (size_t i = 0; i < branch; i++)
            tick(*run, inputs[i], *events);
        const LevelState copy = *run;   // the value, as the search stores it
        auto other = std::make_unique<LevelState>(copy);
        for (size_t i = branch; i < branch + 700; i++) {
            tick(*run, inputs[i], *events);
            tick(*other, inputs[i], *events);
        }
        EXPECT_TRUE(*run == *other);
    }
    // The copies also agree with one run straight through.
    for (size_t i = 0; i < 2500 + 700; i++)
        tick(*whole, inputs[i], *events);
    EXPECT_TRUE(*whole == *run);
    EXPECT_EQ(whole->game.death_count, 0);
}

TEST(LevelStateValue, TheLevelStartIsTheSameFromAnyEarlierState)
{
    ASSERT_TRUE(unpack_level(0, level_grid));
    auto events = std::make_unique<TickEvents>();
    auto fresh = std::make_unique<LevelState>();
    auto used = std::make_unique<LevelState>();
    begin_level(*used, level_grid, 5);
    for (int i = 0; i < 300; i++)
        tick(*used, i % 7, *events);   // digs, moves, the hidden enemy maybe
    begin_level(*used, used->snapshot, 5);   // a restart from the state's own snapshot
    begin_level(*fresh, level_grid, 5);
    EXPECT_TRUE(*fresh == *used);
    EXPECT_TRUE(fresh->game.waiting_for_input);
}

TEST(LevelStateValue, EqualitySeesEveryFieldButThePlannersKeptAnswers)
{
    ASSERT_TRUE(unpack_level(0, level_grid));
    auto base = std::make_unique<LevelState>();
    begin_level(*base, level_grid, 3);
    const struct {
        const char* field;
        void (*change)(LevelState&);
        bool equal;
    } cases[] = {
        {"grid", [](LevelState& s) { s.grid[40] ^= 1; }, false},
        {"snapshot", [](LevelState& s) { s.snapshot[40] ^= 1; }, false},
        {"occupancy", [](LevelState& s) { s.occupancy[40] ^= 1; }, false},
        {"actor's anim", [](LevelState& s) { s.actors[3].anim ^= 1; }, false},
        {"actor's trap cell", [](LevelState& s) { s.actors[0].trap_cell ^= 1; }, false},
        {"hole timer", [](LevelState& s) { s.holes[19].timer ^= 1; }, false},
        {"planner mask", [](LevelState& s) { s.planner.down_stop[23] ^= 1; }, false},
        {"planner validity", [](LevelState& s) { s.planner.masks_valid = !s.planner.masks_valid; }, false},
        {"hidden candidate cell", [](LevelState& s) { s.game.hidden_candidates.cells[2] ^= 1; }, false},
        {"cycle counter", [](LevelState& s) { s.game.cycle_counter ^= 1; }, false},
        // A cache: the planner answers the same from its masks without it.
        {"planner's kept answer", [](LevelState& s) { s.planner.answers.cell[5] ^= 1; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        auto changed = std::make_unique<LevelState>(*base);
        c.change(*changed);
        EXPECT_EQ(*changed == *base, c.equal);
    }
}

} // namespace
