// The game rules on small fixture levels, driven tick by tick: tick() on a
// level state of the test's own, with the input it names.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "level/grid.h"
#include "level/movie.h"
#include "support/fixtures.h"

namespace {

class Rules : public ::testing::Test {
protected:
    // Rows from the top of the field; missing rows are empty. The cycle
    // counter starts at 0, as at the program's first frame.
    void load(const std::vector<std::string>& rows)
    {
        begin_level(s(), field_of_rows(rows), 0);
        input = INPUT_NONE;
    }
    void hold(int held) { input = held; }
    void frames(int n)
    {
        for (int i = 0; i < n; i++)
            tick(s(), input, *frame_events);
    }
    LevelState& s() { return *state; }
    Actor& hero() { return state->actors[0]; }

    std::unique_ptr<LevelState> state = std::make_unique<LevelState>();
    std::unique_ptr<TickEvents> frame_events = std::make_unique<TickEvents>();
    int input = INPUT_NONE;
    TickEvents ev{};
};

TEST_F(Rules, FallFromAnAlignedStartLandsTwelveTicksLater)
{
    load({"#P",
          "#.",
          "##"});
    const int y0 = hero().y;
    hold(INPUT_LEFT);   // a wall: only the fall moves him
    frames(1);
    EXPECT_TRUE(hero().flags & ACTOR_FALLING);
    frames(11);
    EXPECT_EQ(hero().y, y0 + 24);
    frames(1);
    EXPECT_FALSE(hero().flags & ACTOR_FALLING);
    EXPECT_EQ(hero().y, y0 + 24);
}

TEST_F(Rules, WalkingOffALedgeFallsOnceTheCentreCrosses)
{
    load({"P...",
          "#..."});
    hold(INPUT_RIGHT);
    int ticks = 0;
    while (!(hero().flags & ACTOR_FALLING) && ticks < 30) {
        frames(1);
        ticks++;
    }
    // Column 0's cell holds him while his centre x + 12 stays inside it: the
    // seventh tick starts at x 44, past the half-cell point, and he falls,
    // drifting on to column 1's line.
    EXPECT_EQ(ticks, 7);
    EXPECT_EQ(hero().x, 46);
}

TEST_F(Rules, DiggingHoldsTheHeroAndFollowsTheHoleTimeline)
{
    load({"....P...",
          "########"});
    const int brick = field_cell(5, 1);
    const int x0 = hero().x, y0 = hero().y;
    hold(INPUT_DIG_RIGHT);
    frames(1);   // frame F: the dig starts, the hole is t = 1
    EXPECT_TRUE(hero().flags & ACTOR_DIGGING);
    hold(INPUT_LEFT);
    for (int t = 1; t <= 360; t++) {
        if (t > 1)
            frames(1);
        const int want = t < 25 ? TILE_SOLID : (t < 360 ? TILE_OPEN_HOLE : TILE_BRICK);
        ASSERT_EQ(s().grid[size_t(brick)], want) << "t = " << t;
        if (t <= 24) {
            ASSERT_TRUE(hero().flags & ACTOR_DIGGING) << t;   // held for 24 ticks
            ASSERT_EQ(hero().x, x0) << t;
        }
        if (t == 13) {
            EXPECT_EQ(hero().state, 4);   // six dig pictures, then facing right
        }
        if (t == 25) {
            EXPECT_FALSE(hero().flags & ACTOR_DIGGING);
            EXPECT_EQ(hero().x, x0 - 2);   // free, and walking in the same tick
            hold(INPUT_NONE);
        }
    }
    EXPECT_EQ(hero().y, y0);
}

TEST_F(Rules, SomethingInFrontAbortsADigBeforeAge12Only)
{
    for (int age : {5, 11, 12}) {
        SCOPED_TRACE(age);
        load({"....P...",
              "########"});
        const int brick = field_cell(5, 1);
        hold(INPUT_DIG_RIGHT);
        frames(age - 1);
        s().occupancy[size_t(brick - 28)] |= 0x40;   // an enemy steps in front
        frames(1);
        s().occupancy[size_t(brick - 28)] &= ~0x40;
        if (age < 12) {
            EXPECT_EQ(s().grid[size_t(brick)], TILE_BRICK);
            EXPECT_FALSE(hero().flags & ACTOR_DIGGING);
        } else {
            EXPECT_EQ(s().grid[size_t(brick)], TILE_SOLID);
            EXPECT_TRUE(hero().flags & ACTOR_DIGGING);
        }
    }
}

TEST_F(Rules, HiddenEnemyComesFromTheFirstBrickDugOnAnOddCount)
{
    load({"P.......",
          "#%#%#%##"});
    const int a = field_cell(1, 1), b = field_cell(3, 1), c = field_cell(5, 1);
    ASSERT_EQ(s().game.hidden_candidates.count, 3);
    s().game.cycle_counter = 4;
    start_hole(s(), a, ev);
    EXPECT_EQ(s().game.enemy_count, 0);
    EXPECT_EQ(s().game.hidden_candidates.count, 2);
    s().game.cycle_counter = 7;
    start_hole(s(), c, ev);
    ASSERT_EQ(s().game.enemy_count, 1);
    EXPECT_EQ(s().actors[1].flags, uint32_t(ACTOR_HIDDEN | ACTOR_TRAPPED | ACTOR_CARRYING));
    EXPECT_EQ(s().actors[1].trap_cell, c);
    EXPECT_EQ(s().game.hidden_candidates.count, 0);
    start_hole(s(), b, ev);   // an ordinary brick now
    EXPECT_EQ(s().game.enemy_count, 1);
}

TEST_F(Rules, LastHiddenCandidateReleasesWhateverTheCount)
{
    load({"P.......",
          "#%#%#%##"});
    s().game.cycle_counter = 2;
    start_hole(s(), field_cell(1, 1), ev);
    start_hole(s(), field_cell(3, 1), ev);
    EXPECT_EQ(s().game.enemy_count, 0);
    start_hole(s(), field_cell(5, 1), ev);
    EXPECT_EQ(s().game.enemy_count, 1);
}

TEST_F(Rules, ScheduleLetsEachEnemyActTwiceInThree)
{
    const struct {
        int enemies;
        std::vector<std::vector<int>> acting;   // per tick, which enemies act
    } cases[] = {
        {1, {{}, {1}, {1}, {}, {1}, {1}}},
        {3, {{1, 2}, {1, 3}, {2, 3}, {1, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.enemies);
        std::string row = "P.";
        for (int i = 0; i < c.enemies; i++)
            row += ".E";
        load({row, "########################"});
        ASSERT_EQ(s().game.enemy_count, c.enemies);
        // Trapped enemies count their turns and stay where they are.
        for (int e = 1; e <= c.enemies; e++) {
            s().actors[size_t(e)].flags = ACTOR_TRAPPED;
            s().actors[size_t(e)].counter = 0;
        }
        for (const auto& tick : c.acting) {
            std::vector<int> before;
            for (int e = 1; e <= c.enemies; e++)
                before.push_back(s().actors[size_t(e)].counter);
            enemies_tick(s(), ev);
            std::vector<int> acted;
            for (int e = 1; e <= c.enemies; e++)
                if (s().actors[size_t(e)].counter != before[size_t(e - 1)])
                    acted.push_back(e);
            EXPECT_EQ(acted, tick);
        }
    }
}

TEST_F(Rules, PlannerWalksStraightOrSearches)
{
    const struct {
        std::vector<std::string> level;
        int expected;
    } cases[] = {
        // A clear walkway in the hero's row.
        {{"P....E", "########################"}, 3},
        {{"E....P", "########################"}, 4},
        // The same with a brick in between: no way at all.
        {{"P..#.E", "########################"}, 0},
        // A ladder down to the hero's row is the way.
        {{"...H.E", "...H##", "P..H..", "######"}, 3},
        // Two ways down at equal distance: left wins the tie.
        {{"..H...E...H..", "..H.#####.H..", "..H.......H..", "......P......", "#############"}, 3},
        // Left 4 away, right 2 away: the nearer wins.
        {{".H....E.H.", ".H.#####H.", ".H......H.", "....P.....", "##########"}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level[0]);
        load(c.level);
        build_hero_masks(s());
        const Actor& e = s().actors[1];
        EXPECT_EQ(plan_move(s(), e.x, e.y), c.expected);
    }
}

TEST_F(Rules, TrappingCostsOnceAndDropsTheLoadAboveTheHole)
{
    load({"P.............E", "###############"});
    const int hole = field_cell(12, 1);
    for (int k = 0; k < 2; k++) {
        s().grid[size_t(hole)] = TILE_OPEN_HOLE;
        open_hole_column_bit(s(), hole);
        Actor& e = s().actors[1];
        e.flags = ACTOR_CARRYING;
        e.x = cell_x(hole);
        e.y = cell_y(hole) - 24;
        e.counter = 0;
        s().occupancy.fill(0);
        s().occupancy[size_t(cell_at(e.x, e.y))] = e.actor_bit;
        s().occupancy[size_t(cell_at(hero().x, hero().y))] |= 0x80;
        const int score = s().game.score;
        for (int i = 0; i < 40 && !(e.flags & ACTOR_TRAPPED); i++)
            enemies_tick(s(), ev);
        ASSERT_TRUE(e.flags & ACTOR_TRAPPED);
        EXPECT_EQ(s().grid[size_t(hole)], TILE_SOLID);
        EXPECT_EQ(s().grid[size_t(hole - 28)], TILE_OBJECT);   // the load, above the hole
        EXPECT_FALSE(e.flags & ACTOR_CARRYING);
        EXPECT_EQ(s().game.score, k == 0 ? score - 10000 : score);
        s().grid[size_t(hole - 28)] = TILE_EMPTY;
        e.flags = 0;
    }
}

TEST_F(Rules, CrushedCarrierLosesItsObjectAndOpensTheWayOut)
{
    load({"P....S...E", "#####S####", ".....S...."});
    ASSERT_EQ(s().game.objects_left, 0);
    s().game.objects_left = 1;   // the one the enemy carries
    Actor& e = s().actors[1];
    const int hole = field_cell(9, 1);
    e.flags = ACTOR_TRAPPED | ACTOR_CARRYING;
    s().occupancy.fill(0);
    e.x = cell_x(hole);
    e.y = cell_y(hole);
    s().occupancy[size_t(hole)] = e.actor_bit;
    const int score = s().game.score;
    crush_enemy(s(), 1, ev);
    EXPECT_EQ(s().game.score, score - 10000);
    EXPECT_EQ(s().game.penalty_flags, PENALTY_TRAPPED | PENALTY_CRUSHED);
    crush_enemy(s(), 1, ev);   // already dead: nothing more
    s().game.cycle_counter = 22;
    for (int i = 0; i < 3 && e.counter == 0; i++)
        enemies_tick(s(), ev);
    EXPECT_EQ(s().game.objects_left, 0);
    EXPECT_EQ(s().grid[size_t(field_cell(5, 0))], TILE_LADDER);   // the escape ladder
    // Back at the top: column 22 is empty, so it comes back there.
    EXPECT_EQ(e.x, cell_x(field_cell(22, 0)));
    EXPECT_EQ(e.y, 60);
}

TEST_F(Rules, ComeBackWaitsWhileTheTopRowIsFull)
{
    load({"########################", "P......................E", "########################"});
    Actor& e = s().actors[1];
    e.flags = ACTOR_DEAD;
    e.counter = 0;
    const int x = e.x;
    for (int i = 0; i < 6; i++)
        enemies_tick(s(), ev);
    EXPECT_EQ(e.x, x);
    EXPECT_EQ(e.counter, 0);
    EXPECT_TRUE(e.flags & ACTOR_DEAD);
}

TEST_F(Rules, BetterResultRule)
{
    load({"P", "#"});
    const struct {
        int score, ticks, best_score, best_ticks;
        bool better;
    } cases[] = {
        {40000, 500, 30000, 100, true},
        {30000, 99, 30000, 100, true},
        {30000, 100, 30000, 100, false},
        {29999, 1, 30000, 100, false},
        {1, 1000, 0, 0, true},
        {0, 1000, 0, 0, false},
    };
    for (const auto& c : cases) {
        s().game.score = c.score;
        s().game.play_ticks = c.ticks;
        EXPECT_EQ(play_is_better(s().game, c.best_score, c.best_ticks), c.better) << c.score << " " << c.ticks;
    }
}

TEST_F(Rules, DamagedInputsMoveNothingAndNoHeroStartStaysInTheGrid)
{
    load({"...", "###"});   // no hero start
    EXPECT_EQ(cell_at(hero().x, hero().y), 30);
    load({".P.", "###"});
    const int x = hero().x, y = hero().y;
    for (int input : {7, 9, 200, 255})
        hero_tick(s(), input, ev);
    EXPECT_EQ(hero().x, x);
    EXPECT_EQ(hero().y, y);
}

TEST_F(Rules, ExtraEnemyStartsAreNotPlaced)
{
    load({"PEEEEEEEEE", "##########"});
    EXPECT_EQ(s().game.enemy_count, MAX_ENEMIES);
    load({"PEEEEEEEEE", "#%#%#%####"});
    EXPECT_EQ(s().game.enemy_count, MAX_ENEMIES - 1);   // room for the hidden enemy
    start_hole(s(), field_cell(1, 1), ev);
    start_hole(s(), field_cell(3, 1), ev);
    start_hole(s(), field_cell(5, 1), ev);
    EXPECT_EQ(s().game.enemy_count, MAX_ENEMIES);
}

} // namespace
