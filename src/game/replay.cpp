#include "game/replay.h"

#include <array>
#include <cstring>

#include "core/flags.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"

namespace {
std::array<uint8_t, SCREEN_WIDTH * SCREEN_HEIGHT> headless_screen;
bool prepared;
} // namespace

void prepare_headless()
{
    if (prepared)
        return;
    if (!display_state.pixels)
        attach_frame_buffer(headless_screen.data(), SCREEN_WIDTH);
    alloc_display_buffers();
    build_glyph_map();
    build_shadow_and_variant_tables();
    build_coordinate_tables();
    clear_sprite_slots();
    clear_dirty_list();
    prepared = true;
}

bool replay_movie(ReplayResult* result)
{
    prepare_headless();
    if (!load_level(current_level))
        return false;
    if (current_level != 0 && !record_holds(movie_record(current_level), MOVIE_HEADER_SIZE))
        return false;
    release_game_sprites();
    restore_sprite_backgrounds();
    recording = false;
    game_active = true;
    begin_level();
    result->stored_score = game_state.best_score;
    result->outcome = REPLAY_STALLED;
    // Frames wait for the first input only while the movie starts with none;
    // past its end the rules get nothing, so the loop is bounded either way.
    for (int frame = 0; frame < 4 * MOVIE_BUFFER_SIZE * 255; frame++) {
        game_tick();
        update_sprite_poses();
        clear_dirty_list();
        if (game_state.exit_count) {
            result->outcome = REPLAY_EXIT;
            break;
        }
        if (game_state.death_count) {
            result->outcome = REPLAY_DEATH;
            break;
        }
        if (movie.cursor + 1 >= movie.length)
            break;   // the movie ran out first
    }
    result->ticks = game_state.play_ticks;
    result->score = game_state.score;
    result->seconds = game_state.seconds;
    leave_game();
    return true;
}

const char* replay_outcome_name(ReplayOutcome outcome)
{
    switch (outcome) {
    case REPLAY_EXIT:
        return "exit";
    case REPLAY_DEATH:
        return "death";
    default:
        return "stalled";
    }
}

namespace {

int read_level_movie(uint8_t* into)
{
    if (current_level == 0) {
        memcpy(into, BUILTIN_MOVIE.data(), BUILTIN_MOVIE.size());
        return int(BUILTIN_MOVIE.size());
    }
    return read_record(movie_record(current_level), into, MOVIE_BUFFER_SIZE);
}

} // namespace

void load_movie_record()
{
    uint8_t* bytes = movie.bytes.data();
    movie.cursor = MOVIE_SEED_OFFSET;
    movie.recording_stopped = false;
    int length = read_level_movie(bytes);
    movie.length = length > 0 ? length : 0;
    if (length > 0) {
        game_state.best_score = movie_score(bytes);
        game_state.best_ticks = movie_ticks(bytes, length);
        game_state.best_seconds = game_state.best_ticks / 60;
    }
    if (recording) {
        bytes[MOVIE_SEED_OFFSET] = game_state.cycle_counter;
        movie.cursor = MOVIE_HEADER_SIZE;
        bytes[MOVIE_HEADER_SIZE] = 0;   // an empty first pair
    } else if (length > 0) {
        memcpy(game_state.best_name, bytes + 4, 16);
        game_state.best_name[16] = 0;
        game_state.cycle_counter = bytes[MOVIE_SEED_OFFSET];
        movie.cursor = MOVIE_HEADER_SIZE;
    }
}

int save_movie_record()
{
    write_movie_header(movie.bytes.data(), game_state.score, player_name);
    if (current_level == 0)
        return ARCHIVE_OK;
    return write_record(movie_record(current_level), movie.bytes.data(), movie.cursor + 2);
}
