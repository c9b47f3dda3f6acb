// The program's running level: its start, the frame of play or
// demonstration, the movie, and the level's end.
#include <cstring>
#include <memory>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"
#include "level/stored.h"
#include "sound/sound.h"
#include "view/view.h"

int load_movie_record(Session& session, bool for_play, int seed)
{
    uint8_t* bytes = session.movie.bytes.data();
    session.movie.cursor = MOVIE_SEED_OFFSET;
    session.movie.recording_stopped = false;
    int length = read_level_movie(session.level, bytes);
    session.movie.length = length > 0 ? length : 0;
    if (length > 0) {
        session.best.score = movie_score(bytes);
        session.best.ticks = movie_ticks(bytes, length);
        session.best.seconds = session.best.ticks / 60;
    }
    if (for_play) {
        bytes[MOVIE_SEED_OFFSET] = uint8_t(seed);
        session.movie.cursor = MOVIE_HEADER_SIZE;
        bytes[MOVIE_HEADER_SIZE] = 0;   // an empty first pair
    } else if (length > 0) {
        memcpy(session.best.name, bytes + 4, 16);
        session.best.name[16] = 0;
        seed = bytes[MOVIE_SEED_OFFSET];
        session.movie.cursor = MOVIE_HEADER_SIZE;
    }
    return seed;
}

namespace {

int input_of_keys()
{
    if (key_down(digleftkey))
        return INPUT_DIG_LEFT;
    if (key_down(digrightkey))
        return INPUT_DIG_RIGHT;
    if (key_down(upkey))
        return INPUT_UP;
    if (key_down(downkey))
        return INPUT_DOWN;
    if (key_down(leftkey))
        return INPUT_LEFT;
    if (key_down(rightkey))
        return INPUT_RIGHT;
    return INPUT_NONE;
}

} // namespace

namespace {

void begin_shown_level(Session& session, const PlayGrid& grid, bool for_play, int seed)
{
    session.best = BestPlay{};
    seed = load_movie_record(session, for_play, seed);
    clear_status_lines();
    begin_level(session.running, grid, seed);
    take_level_figures(session);
    show_message("-100 EACH SEC.  ", 120);
}

} // namespace

void start_running_level(Session& session, const PlayGrid& grid)
{
    // In play the cycle counter starts from the frame count; a demonstration
    // takes it from the movie (a level without one keeps the last level's).
    begin_shown_level(session, grid, session.recording,
                      session.recording ? int(frame_counter % 24) : session.running.game.cycle_counter);
}

void start_running_level_seeded(Session& session, const PlayGrid& grid, int seed)
{
    begin_shown_level(session, grid, true, seed);
}

void start_demo(Session& session)
{
    session.game_active = true;
    session.recording = false;
    if (!load_level(session, session.level))
        session.level = 0;
    // Only levels with a movie are demonstrated.
    if (session.level != 0 && !record_holds(movie_record(session.level), 1))
        session.level = 0;
    load_level(session, session.level);
    restore_sprite_backgrounds();
    start_running_level(session, session.grid);
    show_level(session);
}

void start_play(Session& session, const PlayGrid& grid)
{
    session.game_active = true;
    session.recording = true;
    restore_sprite_backgrounds();
    start_running_level(session, grid);
    show_level(session);
}

void game_tick(Session& session)
{
    if (!session.game_active)
        return;
    play_frame(session, session.recording ? input_of_keys() : replay_input_from(session.movie));
}

void play_frame(Session& session, int input)
{
    tick(session.running, input, session.events);
    // The movie holds the input of every tick the rules ran, as it came in.
    if (session.recording && session.events.ran)
        record_input_into(session.movie, input);
    show_tick_events(session, session.events);
}

bool load_level(Session& session, int level)
{
    clear_bonus_icons();
    return unpack_level(level, session.grid);
}

int save_movie_record(Session& session)
{
    write_movie_header(session.movie.bytes.data(), session.running.game.score, player_name);
    if (session.level == 0)
        return ARCHIVE_OK;
    return write_record(movie_record(session.level), session.movie.bytes.data(), session.movie.cursor + 2);
}

void restart_level(Session& session)
{
    clear_bonus_icons();
    release_game_sprites(session);
    start_running_level(session, session.running.snapshot);
    draw_field_and_player_line(session);
    update_sprite_poses(session);
    save_sprite_backgrounds();
    draw_sprites();
    update_whole_screen();
}

void leave_game(Session& session)
{
    stop_all_sounds();
    restore_sprite_backgrounds();
    release_game_sprites(session);
    session.game_active = false;
}
