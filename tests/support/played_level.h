// A level played as the program plays it: a session with a small field of
// level-text rows started in play, the held keys turned into its input and
// game_tick() run as the frame loop runs it, drawn into a screen in memory.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "level/archive.h"
#include "support/fixtures.h"
#include "view/session.h"
#include "view/view.h"

class PlayedLevel : public ::testing::Test {
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
    // Holds the key of one input code (none: every movement key let go).
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
