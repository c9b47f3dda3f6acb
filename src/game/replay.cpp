#include "game/replay.h"

#include <cstring>
#include <memory>

#include "game/game.h"
#include "level/movie.h"

bool replay_movie(const PlayGrid& grid, const uint8_t* record, int length, ReplayResult* result)
{
    if (length < MOVIE_HEADER_SIZE || length > MOVIE_BUFFER_SIZE)
        return false;
    // The pairs' counts run down as they are replayed: a copy of its own.
    auto movie_copy = std::make_unique<MovieBuffer>();
    MovieBuffer& m = *movie_copy;
    memcpy(m.bytes.data(), record, size_t(length));
    m.length = length;
    m.cursor = MOVIE_HEADER_SIZE;
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    begin_level(s, grid, m.bytes[MOVIE_SEED_OFFSET]);
    result->stored_score = movie_score(m.bytes.data());
    result->outcome = REPLAY_STALLED;
    // Frames wait for the first input only while the movie starts with none;
    // past its end the rules get nothing, so the loop is bounded either way.
    for (int frame = 0; frame < 4 * MOVIE_BUFFER_SIZE * 255; frame++) {
        tick(s, replay_input_from(m), *events);
        if (s.game.exit_count) {
            result->outcome = REPLAY_EXIT;
            break;
        }
        if (s.game.death_count) {
            result->outcome = REPLAY_DEATH;
            break;
        }
        if (m.cursor + 1 >= m.length)
            break;   // the movie ran out first
    }
    result->ticks = s.game.play_ticks;
    result->score = s.game.score;
    result->seconds = s.game.seconds;
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
