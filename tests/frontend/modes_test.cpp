// The play mode's own keys, on a level started as the program starts it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/settings.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/modes.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"
#include "support/played_level.h"
#include "view/session.h"
#include "view/view.h"

namespace {

using PlayMode = PlayedLevel;

TEST_F(PlayMode, KRestartsTheLevelInPlay)
{
    load({"....P...", "########"});
    const int x0 = hero().x;
    session.mode = play_handler;
    hold(INPUT_RIGHT);
    frames(10);
    ASSERT_NE(hero().x, x0);
    hold(INPUT_NONE);
    begin_input_frame();
    key_event(KEY_k, true);
    play_handler(session);
    key_event(KEY_k, false);
    EXPECT_EQ(hero().x, x0);
    EXPECT_TRUE(s().game.waiting_for_input);
    EXPECT_EQ(session.mode, play_handler);
}

} // namespace
