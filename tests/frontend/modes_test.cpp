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
#include "support/fixtures.h"
#include "view/session.h"
#include "view/view.h"

namespace {

class PlayMode : public ::testing::Test {
protected:
    HeadlessScreen screen;
    Session session;

    void SetUp() override
    {
        reset_input_state();
        set_first_start_config();
        archive_path[0] = 0;   // no archive: no stored movies
        session.level = 5;
        frame_counter = 0;
    }
    void TearDown() override { session.game_active = false; }
    // Rows from the top of the field; missing rows are empty.
    void load(const std::vector<std::string>& rows)
    {
        load_field_rows(session.grid, rows);
        release_game_sprites(session);
        restore_sprite_backgrounds();
        clear_sprite_slots();
        session.recording = true;
        session.game_active = true;
        start_running_level(session, session.grid);
    }
    void hold(int input)
    {
        for (int32_t key : {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey})
            key_event(key, false);
        const int32_t keys[] = {0, upkey, downkey, leftkey, rightkey, digleftkey, digrightkey};
        if (input)
            key_event(keys[input], true);
    }
    void frames(int n)
    {
        for (int i = 0; i < n; i++)
            game_tick(session);
    }
    LevelState& s() { return session.running; }
    Actor& hero() { return session.running.actors[0]; }
    TickEvents ev{};
};

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
