// The running level as one value: a copy taken at any tick goes on exactly
// as the original, which is what the search's branching stands on.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "game/game.h"
#include "level/movie.h"
#include "level/stored.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

bool same_planner(const PlannerMasks& a, const PlannerMasks& b)
{
    return a.not_ladder == b.not_ladder && a.stand == b.stand && a.enterable == b.enterable &&
           a.floor_below == b.floor_below && a.up_stop == b.up_stop && a.down_stop == b.down_stop &&
           a.rows_above_hero == b.rows_above_hero && a.rows_below_hero == b.rows_below_hero &&
           a.masks_valid == b.masks_valid;
}

bool same_game(const GameState& a, const GameState& b)
{
    return a.score == b.score && a.time_bonus == b.time_bonus && a.subsecond_ticks == b.subsecond_ticks &&
           a.seconds == b.seconds && a.play_ticks == b.play_ticks && a.flash_status == b.flash_status &&
           a.hidden_status == b.hidden_status && a.penalty_flags == b.penalty_flags &&
           a.objects_left == b.objects_left && a.enemy_count == b.enemy_count &&
           a.schedule_index == b.schedule_index && a.holes_in_use == b.holes_in_use &&
           a.hidden_candidates.count == b.hidden_candidates.count && a.flashing_cell == b.flashing_cell &&
           a.exit_count == b.exit_count && a.death_count == b.death_count &&
           a.waiting_for_input == b.waiting_for_input && a.cycle_counter == b.cycle_counter;
}

// Actors and hole slots have no padding: compared as bytes.
bool same_state(const LevelState& a, const LevelState& b)
{
    return a.grid == b.grid && a.snapshot == b.snapshot && a.occupancy == b.occupancy &&
           memcmp(a.actors.data(), b.actors.data(), sizeof a.actors) == 0 &&
           memcmp(a.holes.data(), b.holes.data(), sizeof a.holes) == 0 && same_planner(a.planner, b.planner) &&
           same_game(a.game, b.game);
}

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
        EXPECT_TRUE(same_state(*run, *other));
    }
    // The copies also agree with one run straight through.
    for (size_t i = 0; i < 2500 + 700; i++)
        tick(*whole, inputs[i], *events);
    EXPECT_TRUE(same_state(*whole, *run));
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
    EXPECT_TRUE(same_state(*fresh, *used));
    EXPECT_TRUE(fresh->game.waiting_for_input);
}

} // namespace
