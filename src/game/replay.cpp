#include "game/replay.h"

#include <array>

#include "core/frame.h"
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
    if (!unpack_level(current_level))
        return false;
    uint8_t probe[MOVIE_HEADER_SIZE];
    if (current_level != 0 && read_record(2 * current_level - 1, probe, MOVIE_HEADER_SIZE) < MOVIE_HEADER_SIZE)
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
        update_holes();
        update_clock();
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
