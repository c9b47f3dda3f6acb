#include "frontend/modes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/dialogs.h"
#include "frontend/help.h"
#include "frontend/userdir.h"
#include "view/view.h"
#include "gfxedit/gfxedit.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/movie.h"
#include "level/stored.h"
#include "leveledit/leveledit.h"
#include "sound/sound.h"

namespace {

bool level_down_pressed() { return key_pressed(KEY_F7) || key_pressed(KEY_KP_MINUS) || key_pressed(KEY_MINUS); }
bool level_up_pressed() { return key_pressed(KEY_F8) || key_pressed(KEY_KP_PLUS) || key_pressed(KEY_EQUALS); }

// True when the level's record can be unpacked; the grid is left alone.
bool level_readable(int level)
{
    return level == 0 || record_holds(level_record(level), LEVEL_RECORD_SIZE);
}

// Tells the player that a level cannot be played: a line under the main
// menu, or the message area in the demonstration.
void report_unreadable_level(const Session& session, int level)
{
    log_message("Level %d cannot be read from %s\n", level, archive_path);
    char text[40];
    if (session.mode == main_menu_handler) {
        snprintf(text, sizeof text, "LEVEL %04d CANNOT BE READ", level);
        show_under_menu(text);
    } else {
        snprintf(text, sizeof text, "NO LEVEL %04d", level);
        show_message(text, 180);
    }
    pass_notice(text);
}

// F4: play at the start level, unless it cannot be unpacked; then the mode
// stays and the player is told.
void play_from_start_level(Session& session)
{
    if (!level_readable(session.start_level)) {
        report_unreadable_level(session, session.start_level);
        return;
    }
    if (session.mode == demo_handler)
        leave_game(session);
    session.mode = play_handler;
    step_level(session, STEP_TO, session.start_level);
    start_play(session, session.grid);
}

} // namespace

void demo_mode(Session& session)
{
    session.mode = demo_handler;
    start_demo(session);
}

void draw_main_menu()
{
    restore_sprite_backgrounds();
    clear_screen();
    text_y = 130;
    char player_line[40];
    snprintf(player_line, sizeof player_line, "PLAYER:%s", player_name);
    const char* const lines[] = {
        "SDL Vorbix version 1.4.5.4 (1/5/2015)",
        "",
        player_line,
        "",
        "SPACE     START GAME AT FIRST UNSOLVED LEVEL",
        "F2        GRAPHICS EDITOR",
        "F3        LEVEL EDITOR",
        "F4        PLAY LEVEL 1, OR -L LEVEL",
        "F5        CHANGE PLAYER NAME",
        "KP_MINUS  GO TO PREVIOUS LEVEL",
        "KP_PLUS   GO TO NEXT LEVEL",
        "F10       REMAP MOVEMENT KEYS",
        "ESC       TOGGLE DEMO/PLAY MODES",
        "F         TOGGLE FULLSCREEN MODE",
        "ALT-X     EXIT GAME",
        "H         HOW TO PLAY",
    };
    for (const char* line : lines)
        print_menu_line(line);
}

void show_main_menu()
{
    draw_main_menu();
    update_whole_screen();
}

void show_under_menu(const char* text)
{
    text_y = 400;
    print_centred(text);
    update_whole_screen();
}

namespace {

// F2 in any of the game's modes: the game stops and the graphics editor
// takes over.
void open_gfx_editor(Session& session)
{
    leave_game(session);
    session.mode = gfx_editor_mode;
    enter_gfx_editor();
}

// After the name prompt: the name is stored (also after a cancelled
// prompt) and the menu drawn again.
void player_name_entered(Session&, int)
{
    const bool stored = write_player_name();
    const int error = errno;
    show_main_menu();
    if (!stored) {
        log_message("Cannot store the player name: %s\n", strerror(error));
        char text[80];
        snprintf(text, sizeof text, "NAME NOT STORED: %s", strerror(error));
        show_under_menu(text);
        pass_notice(text);
    }
}

// After the key prompts: the menu again, and a line when the keys could
// not be stored.
void keys_remapped(Session&, int stored)
{
    const int error = errno;
    show_main_menu();
    if (!stored) {
        char text[80];
        snprintf(text, sizeof text, "KEYS NOT STORED: %s", strerror(error));
        show_under_menu(text);
        pass_notice(text);
    }
}

// A level won in the demonstration: the next one, after the victory sound.
void next_demo_level(Session& session, int)
{
    leave_game(session);
    session.level = level_target(session, STEP_NEXT);
    demo_mode(session);
}

} // namespace

void main_menu_handler(Session& session)
{
    if (key_pressed(KEY_F1) || key_pressed(KEY_SPACE)) {
        if (step_level(session, STEP_FIRST_UNSOLVED) >= 0) {
            session.mode = play_handler;
            start_play(session, session.grid);
        } else {
            report_unreadable_level(session, 1);
        }
    } else if (key_pressed(KEY_F4)) {
        play_from_start_level(session);
    } else if (key_pressed(KEY_ESCAPE)) {
        demo_mode(session);
    } else if (key_pressed(KEY_F2)) {
        open_gfx_editor(session);
    } else if (key_pressed(KEY_F5)) {
        enter_player_name(player_name_entered);
    } else if (key_pressed(KEY_F10)) {
        remap_keys(keys_remapped);
    } else if (key_pressed(KEY_F3)) {
        leave_game(session);
        enter_level_editor(session);
    } else if (key_pressed(KEY_h)) {
        show_help();
        session.mode = help_handler;
    }
    if (key_pressed(KEY_f))
        toggle_fullscreen();
}

void take_over_demo(Session& session)
{
    text_y = 444;
    print_centred("                          ");
    text_y = 444;
    char text[40];
    snprintf(text, sizeof text, "PLAYER:%s", player_name);
    print_centred(text);
    update_whole_screen();
    take_over_replay(session.movie, session.level);
    session.running.game.waiting_for_input = true;
    session.recording = true;
    session.mode = play_handler;
}

void demo_handler(Session& session)
{
    if (key_pressed(KEY_F12) && session.level != 0) {
        take_over_demo(session);
    } else if (key_pressed(KEY_ESCAPE)) {
        leave_game(session);
        session.mode = play_handler;
        clear_bonus_icons();
        start_play(session, session.grid);
    } else if (key_pressed(KEY_SPACE)) {
        leave_game(session);
        show_main_menu();
        session.mode = main_menu_handler;
    } else if (key_pressed(KEY_F1)) {
        if (!level_readable(1)) {
            report_unreadable_level(session, 1);
            return;
        }
        leave_game(session);
        session.mode = play_handler;
        step_level(session, STEP_FIRST_UNSOLVED);
        start_play(session, session.grid);
    } else if (key_pressed(KEY_F2)) {
        open_gfx_editor(session);
    } else if (key_pressed(KEY_F3)) {
        leave_game(session);
        enter_level_editor(session);
    } else if (key_pressed(KEY_F4)) {
        play_from_start_level(session);   // leaves the demonstration when it plays
    } else if (level_down_pressed() && session.level > 0) {
        stop_all_sounds();
        leave_game(session);
        // The demonstration falls back to level 0 itself (start_demo).
        session.level = level_target(session, STEP_PREVIOUS);
        demo_mode(session);
    } else if (session.running.game.exit_count != 0 || level_up_pressed()) {
        stop_all_sounds();
        if (session.running.game.exit_count != 0) {
            play_sound(SOUND_VICTORY);
            wait_sounds_then(session, next_demo_level, 0);
            return;
        }
        next_demo_level(session, 0);
    }
}

void play_handler(Session& session)
{
    const GameState& g = session.running.game;
    if (key_pressed(KEY_q) || key_pressed(KEY_ESCAPE)) {
        leave_game(session);
        demo_mode(session);
    } else if (key_pressed(KEY_F2)) {
        open_gfx_editor(session);
    } else if (key_pressed(KEY_F3)) {
        leave_game(session);
        enter_level_editor(session);
    } else if (level_down_pressed() && session.level > 0) {
        stop_all_sounds();
        finish_level(session, 0, STEP_PREVIOUS);
    } else if (g.exit_count != 0 || level_up_pressed()) {
        stop_all_sounds();
        if (g.exit_count != 0) {
            play_sound(SOUND_VICTORY);
            wait_sounds_then(session, [](Session& s, int exits) { finish_level(s, exits, STEP_NEXT); }, g.exit_count);
            return;
        }
        finish_level(session, g.exit_count, STEP_NEXT);
    } else if (g.death_count != 0 || key_pressed(KEY_k) || key_pressed(KEY_LSHIFT)) {
        stop_all_sounds();
        if (g.death_count != 0) {
            play_sound(SOUND_DEATH);
            wait_sounds_then(session, [](Session& s, int) { restart_level(s); }, 0);
            return;
        }
        restart_level(session);
    }
}
