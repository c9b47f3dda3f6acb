// The clock, the score line, the escape ladders and the end of a level.
#include <SDL/SDL.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"
#include "sound/sound.h"
#include "picture/artwork.h"

void update_clock()
{
    GameState& g = game_state;
    if (!game_active || g.waiting_for_input)
        return;
    g.play_ticks++;
    expire_message();
    if (++g.subsecond_ticks == 60) {
        g.subsecond_ticks = 0;
        if (g.time_bonus > 0) {
            g.time_bonus--;
            g.score = g.score > 100 ? g.score - 100 : 0;
        }
        g.seconds++;
        g.top_line_stale++;
    }
}

bool top_line_stale() { return game_state.top_line_stale != 0; }

void format_top_line()
{
    const GameState& g = game_state;
    // Bounded by the line's buffer: six-digit scores or five-digit times are
    // cut at its end instead of running past it.
    char text[160];
    snprintf(text, sizeof text, "LEVEL %04d %-18s SCORE-TIME %05d-%04d  BEST %05d-%04d.%02d ", current_level,
             g.best_name, g.score, g.seconds, g.best_score, g.best_seconds, g.best_ticks % 60);
    const size_t length = std::min(strlen(text), top_status.wanted.size() - 1);
    memcpy(top_status.wanted.data(), text, length);
    top_status.wanted[length] = 0;
    game_state.top_line_stale = 0;
}

void clear_bonus_icons()
{
    for (int slot = ICON_FLASHING; slot <= ICON_PENALTY; slot++)
        clear_cell(bonus_icon_x(slot), BONUS_ICON_Y);
}

void show_bonus_icon(BonusIcon slot, int cell)
{
    draw_cell(bonus_icon_x(slot), BONUS_ICON_Y, cell);
    update_rect(bonus_icon_x(slot), BONUS_ICON_Y, CELL_SIZE, CELL_SIZE);
}

bool load_level(int level)
{
    clear_bonus_icons();
    return unpack_level(level);
}

void charge_penalty(int32_t penalty, const char* message, int cell)
{
    GameState& g = game_state;
    if (!(g.penalty_flags & penalty)) {
        g.score = g.score > 10000 ? g.score - 10000 : 0;
        show_message(message, 120);
        clear_cell(bonus_icon_x(ICON_PENALTY), BONUS_ICON_Y);   // it replaces the other penalty icon
        show_bonus_icon(ICON_PENALTY, cell);
        g.top_line_stale++;
    }
    g.penalty_flags |= penalty;
}

void object_collected()
{
    GameState& g = game_state;
    if (--g.objects_left != 0)
        return;
    show_bonus_icon(ICON_SAFE, tile_square(TILE_LADDER, 0));
    show_message("SAFE TO EXIT", 120);
    for (int i = 0; i < GRID_CELLS; i++) {
        if (level_snapshot[size_t(i)] == TILE_ESCAPE_LADDER) {
            play_grid[size_t(i)] = TILE_LADDER;
            draw_grid_image(i, tile_square(TILE_LADDER, cell_variant[size_t(i)]));
        }
    }
    build_planner_masks();
}

bool play_is_better()
{
    const GameState& g = game_state;
    return g.score > g.best_score || (g.score == g.best_score && g.play_ticks < g.best_ticks);
}

namespace {

const char* status_word(int status)
{
    return status == 1 ? "YES\n" : (status == -1 ? "N/A\n" : " NO\n");
}

void print_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void print_line(const char* format, ...)
{
    char text[96];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    print_centred(text);
}

// A play that could not be stored is said so on the summary, in one line
// with the reason (the log has the details).
void report_store(int result)
{
    if (result == ARCHIVE_OK)
        return;
    char text[96];
    snprintf(text, sizeof text, result == ARCHIVE_NOT_SYNCED ? "RESULT MAY BE LOST: %s" : "RESULT NOT STORED: %s",
             archive_failure_reason(result));
    print_centred(text);
    pass_notice(text);
}

void show_summary()
{
    const GameState& g = game_state;
    clear_screen();
    text_y = 130;
    print_centred("YOU PASSED THE LEVEL!");
    print_line("HIDDEN MONSTER - %s", status_word(g.hidden_status));
    print_line("FLASHING FIRST - %s", status_word(g.flash_status));
    print_centred("-----------");
    print_line("TIME BONUS     %03d00", g.time_bonus);
    if (!(g.penalty_flags & PENALTY_TRAPPED))
        print_centred("NO TRAPPING    20000\n");
    else if (!(g.penalty_flags & PENALTY_CRUSHED))
        print_centred("NO KILLING     10000\n");
    print_centred("-----------");
    print_line("YOUR SCORE     %05d", g.score);
    print_line("BEST SCORE     %05d", g.best_score);
    print_centred("-----------");
    print_line("YOUR TIME %04d.%02d SECS.", g.seconds, g.play_ticks % 60);
    print_line("BEST TIME %04d.%02d SECS.", g.best_seconds, g.best_ticks % 60);
    if (play_is_better()) {
        print_centred("");
        if (g.score == g.best_score)
            print_line("SCORE TIED WITH A BETTER TIME ON LEVEL %04d!", current_level);
        else
            print_line("YOU JUST GOT THE HIGH SCORE FOR LEVEL %04d!!!", current_level);
        report_store(save_movie_record());
    }
    text_y = 444;
    print_centred("PRESS SPACE FOR NEXT LEVEL");
    update_whole_screen();
    for (;;) {
        wait_input();   // a quit request ends the program here
        if (key_pressed(SDLK_F12)) {
            // Stores this play even if it is not better; a failure stays on
            // the screen until the player goes on.
            const int result = save_movie_record();
            if (result == ARCHIVE_OK)
                break;
            text_y = 380;
            report_store(result);
            update_whole_screen();
        }
        if (key_pressed(SDLK_SPACE) || key_pressed(SDLK_ESCAPE))
            break;
        // A capture of the summary, as Print Screen gives one during play.
        if (key_pressed(SDLK_SYSREQ) || key_pressed(SDLK_PRINT))
            take_screenshot();
        if (alt_x_pressed()) {
            quit_requested = true;
            break;
        }
    }
    clear_screen();
}

} // namespace

void finish_level(int show)
{
    release_game_sprites();
    if (show)
        show_summary();
    current_level++;
    if (!load_level(current_level)) {
        current_level = 1;
        if (!load_level(1)) {
            current_level = 0;   // not even level 1: the built-in level
            load_level(0);
        }
    }
    begin_level();
    show_level();
}

void restart_level()
{
    clear_bonus_icons();
    release_game_sprites();
    play_grid = level_snapshot;
    begin_level();
    draw_play_field();
    update_sprite_poses();
    save_sprite_backgrounds();
    draw_sprites();
    update_whole_screen();
}

void leave_game()
{
    stop_all_sounds();
    restore_sprite_backgrounds();
    release_game_sprites();
    game_active = false;
    play_grid = level_snapshot;
}
