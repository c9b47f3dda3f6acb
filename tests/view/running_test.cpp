// The running level as the program shows it: the poses, the bonus icons and
// the top line drawn from the rules' state, driven through the held keys and
// game_tick() as the frame loop drives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"
#include "picture/artwork.h"
#include "support/played_level.h"
#include "view/session.h"
#include "view/view.h"

namespace {

using ShownLevel = PlayedLevel;

TEST_F(ShownLevel, HangingOnARopeAndLettingGo)
{
    load({"P----",
          "#...."});
    hold(INPUT_RIGHT);
    frames(24);   // one cell to the right, on the rope
    EXPECT_EQ(hero().x, 32 + 24 * 2);
    EXPECT_FALSE(hero().flags & ACTOR_FALLING);
    hold(INPUT_NONE);
    frames(5);
    EXPECT_FALSE(hero().flags & ACTOR_FALLING);
    EXPECT_EQ(actor_pose(s(), hero()), 48);   // hanging, facing right, still
    hold(INPUT_DOWN);
    frames(1);
    EXPECT_TRUE(hero().flags & ACTOR_FALLING);
}


TEST_F(ShownLevel, CrushingIconReplacesTheTrappingIcon)
{
    load({"P....S...E", "#####S####"});
    // The trapping icon fills its square; the crushing icon only its top half.
    memset(tile_cache + SQUARE_TRAP_PENALTY * CELL_BYTES, 9, CELL_BYTES);
    memset(tile_cache + SQUARE_CRUSH_PENALTY * CELL_BYTES, 0, CELL_BYTES);
    memset(tile_cache + SQUARE_CRUSH_PENALTY * CELL_BYTES, 8, CELL_BYTES / 2);
    const int icon_x = bonus_icon_x(ICON_PENALTY);
    draw_cell(icon_x, BONUS_ICON_Y, SQUARE_TRAP_PENALTY);
    s().game.penalty_flags = PENALTY_TRAPPED;   // the first trapping is past
    Actor& e = s().actors[1];
    e.flags = ACTOR_TRAPPED;
    crush_enemy(s(), 1, ev);
    show_tick_events(session, ev);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
            ASSERT_EQ(screen.at(icon_x + x, BONUS_ICON_Y + y), y < 12 ? 8 : 0) << x << "," << y;
}


TEST_F(ShownLevel, TopLineStaysInsideItsBuffer)
{
    load({"P", "#"});
    s().game.score = 1234567;
    s().game.seconds = 99999;
    session.best.score = 7654321;
    format_top_line(session);
    EXPECT_LT(strlen(top_status.wanted.data()), top_status.wanted.size());
    s().game.score = 30000;
    s().game.seconds = 45;
    session.best.score = 0;
    format_top_line(session);
    EXPECT_STREQ(top_status.wanted.data(),
                 "LEVEL 0005                    SCORE-TIME 30000-0045  BEST 00000-0000.00 ");
    EXPECT_EQ(strlen(top_status.wanted.data()), 72u);
}

} // namespace
