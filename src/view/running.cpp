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

LevelState running_level;
BestPlay best_play;

namespace {

// What a tick reports, kept between frames (it is large for the stack of a
// frame).
TickEvents frame_events;

} // namespace

int load_movie_record(const Session& session, bool for_play, int seed)
{
    uint8_t* bytes = movie.bytes.data();
    movie.cursor = MOVIE_SEED_OFFSET;
    movie.recording_stopped = false;
    int length = read_level_movie(session.level, bytes);
    movie.length = length > 0 ? length : 0;
    if (length > 0) {
        best_play.score = movie_score(bytes);
        best_play.ticks = movie_ticks(bytes, length);
        best_play.seconds = best_play.ticks / 60;
    }
    if (for_play) {
        bytes[MOVIE_SEED_OFFSET] = uint8_t(seed);
        movie.cursor = MOVIE_HEADER_SIZE;
        bytes[MOVIE_HEADER_SIZE] = 0;   // an empty first pair
    } else if (length > 0) {
        memcpy(best_play.name, bytes + 4, 16);
        best_play.name[16] = 0;
        seed = bytes[MOVIE_SEED_OFFSET];
        movie.cursor = MOVIE_HEADER_SIZE;
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

void begin_shown_level(const Session& session, const PlayGrid& grid, bool for_play, int seed)
{
    best_play = BestPlay{};
    seed = load_movie_record(session, for_play, seed);
    clear_status_lines();
    begin_level(running_level, grid, seed);
    take_level_figures(running_level);
    show_message("-100 EACH SEC.  ", 120);
}

} // namespace

void start_running_level(const Session& session, const PlayGrid& grid)
{
    // In play the cycle counter starts from the frame count; a demonstration
    // takes it from the movie (a level without one keeps the last level's).
    begin_shown_level(session, grid, recording, recording ? int(frame_counter % 24) : running_level.game.cycle_counter);
}

void start_running_level_seeded(const Session& session, const PlayGrid& grid, int seed)
{
    begin_shown_level(session, grid, true, seed);
}

void start_demo(Session& session)
{
    game_active = true;
    recording = false;
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
    game_active = true;
    recording = true;
    restore_sprite_backgrounds();
    start_running_level(session, grid);
    show_level(session);
}

void game_tick()
{
    if (!game_active)
        return;
    play_frame(recording ? input_of_keys() : replay_input());
}

void play_frame(int input)
{
    tick(running_level, input, frame_events);
    // The movie holds the input of every tick the rules ran, as it came in.
    if (recording && frame_events.ran)
        record_input(input);
    show_tick_events(running_level, frame_events);
}

bool load_level(Session& session, int level)
{
    clear_bonus_icons();
    return unpack_level(level, session.grid);
}

int save_movie_record(const Session& session)
{
    write_movie_header(movie.bytes.data(), running_level.game.score, player_name);
    if (session.level == 0)
        return ARCHIVE_OK;
    return write_record(movie_record(session.level), movie.bytes.data(), movie.cursor + 2);
}

void restart_level(const Session& session)
{
    clear_bonus_icons();
    release_game_sprites();
    start_running_level(session, running_level.snapshot);
    draw_play_field(running_level.grid);
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
}
