#include "level/movie.h"

#include <cstring>

#include "core/frame.h"
#include "core/settings.h"
#include "game/state.h"
#include "level/archive.h"

MovieBuffer movie;

// Level 0's record: the play of "lord mobrin", 43,450 points in 4,392 ticks.
const std::array<uint8_t, 297> BUILTIN_MOVIE = {
    0xba, 0xa9, 0x00, 0x00, 0x6c, 0x6f, 0x72, 0x64, 0x20, 0x6d, 0x6f, 0x62,
    0x72, 0x69, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x66, 0x03, 0x10,
    0x02, 0x01, 0x00, 0x05, 0x03, 0x2c, 0x02, 0x52, 0x00, 0x2e, 0x01, 0x69,
    0x04, 0x08, 0x05, 0x19, 0x04, 0x07, 0x05, 0x19, 0x04, 0x05, 0x05, 0x05,
    0x00, 0x2e, 0x03, 0x04, 0x00, 0x06, 0x05, 0x03, 0x00, 0x18, 0x04, 0x07,
    0x05, 0x06, 0x00, 0x18, 0x03, 0x06, 0x00, 0x09, 0x05, 0x08, 0x00, 0x20,
    0x03, 0x0e, 0x00, 0xcd, 0x04, 0x1d, 0x01, 0x0d, 0x03, 0x06, 0x01, 0x33,
    0x03, 0x0d, 0x04, 0x08, 0x05, 0x2e, 0x04, 0x45, 0x01, 0x55, 0x03, 0x03,
    0x00, 0x06, 0x04, 0x1f, 0x00, 0x21, 0x03, 0x10, 0x06, 0x18, 0x03, 0x07,
    0x06, 0x03, 0x03, 0x05, 0x00, 0x15, 0x04, 0x0f, 0x06, 0x25, 0x04, 0x25,
    0x00, 0x31, 0x02, 0x38, 0x04, 0x13, 0x03, 0x07, 0x01, 0x07, 0x03, 0x07,
    0x01, 0x0d, 0x03, 0x06, 0x01, 0x10, 0x03, 0x06, 0x01, 0x0d, 0x03, 0x08,
    0x01, 0x0b, 0x03, 0x09, 0x01, 0x0d, 0x03, 0x0c, 0x01, 0x78, 0x04, 0x0c,
    0x01, 0x05, 0x00, 0x04, 0x01, 0x28, 0x00, 0x42, 0x01, 0xbe, 0x03, 0x08,
    0x06, 0x1a, 0x03, 0x06, 0x06, 0x01, 0x03, 0x04, 0x00, 0x27, 0x04, 0x08,
    0x05, 0x07, 0x00, 0x29, 0x03, 0x2e, 0x00, 0x28, 0x03, 0x01, 0x00, 0x26,
    0x04, 0x1b, 0x02, 0x11, 0x03, 0x05, 0x02, 0x50, 0x03, 0x66, 0x01, 0x16,
    0x00, 0x05, 0x02, 0x01, 0x00, 0x26, 0x04, 0x07, 0x06, 0x05, 0x00, 0x19,
    0x03, 0x07, 0x06, 0x27, 0x03, 0x31, 0x01, 0x23, 0x04, 0x10, 0x00, 0x07,
    0x02, 0x2d, 0x00, 0x22, 0x03, 0x44, 0x01, 0x91, 0x04, 0x17, 0x00, 0x8b,
    0x03, 0x8e, 0x00, 0x2a, 0x02, 0x22, 0x00, 0x29, 0x01, 0xb1, 0x04, 0x06,
    0x05, 0x05, 0x04, 0x08, 0x00, 0x0d, 0x04, 0x07, 0x05, 0x1a, 0x04, 0x07,
    0x05, 0x06, 0x00, 0x2e, 0x03, 0x05, 0x00, 0x06, 0x05, 0x03, 0x00, 0x18,
    0x04, 0x07, 0x05, 0x06, 0x00, 0x27, 0x03, 0x08, 0x06, 0x02, 0x03, 0x03,
    0x00, 0xa8, 0x04, 0x52, 0x01, 0x83, 0x03, 0x19, 0x01,
};

int32_t movie_ticks(const uint8_t* record, int length)
{
    int32_t ticks = 0;
    for (int i = MOVIE_HEADER_SIZE; i < length; i += 2)
        ticks += record[i];
    return ticks;
}

int32_t movie_score(const uint8_t* record)
{
    return int32_t(uint32_t(record[0]) | uint32_t(record[1]) << 8 | uint32_t(record[2]) << 16 |
                   uint32_t(record[3]) << 24);
}

namespace {

int read_level_movie(uint8_t* into)
{
    if (current_level == 0) {
        memcpy(into, BUILTIN_MOVIE.data(), BUILTIN_MOVIE.size());
        return int(BUILTIN_MOVIE.size());
    }
    return read_record(2 * current_level - 1, into, MOVIE_BUFFER_SIZE);
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

void record_input(int code)
{
    if (movie.recording_stopped)
        return;
    uint8_t* pair = &movie.bytes[movie.cursor];
    if (pair[0] == 0) {
        pair[0] = 1;
        pair[1] = uint8_t(code);
    } else if (pair[1] == code && pair[0] < 255) {
        pair[0]++;
    } else if (movie.cursor + 2 <= MOVIE_LAST_PAIR_OFFSET) {
        movie.cursor += 2;
        movie.bytes[movie.cursor] = 1;
        movie.bytes[movie.cursor + 1] = uint8_t(code);
    } else {
        // No room for another pair: the stored movie is the play's beginning.
        movie.recording_stopped = true;
    }
}

int replay_input()
{
    // Past the last stored pair (a movie cut short by a full buffer, or a
    // damaged one) the hero gets no input.
    if (movie.cursor + 1 >= movie.length)
        return INPUT_NONE;
    uint8_t* pair = &movie.bytes[movie.cursor];
    int code = pair[1];
    if (pair[0] > 0)
        pair[0]--;
    if (pair[0] == 0)
        movie.cursor += 2;
    return code;
}

int save_movie_record()
{
    uint32_t score = uint32_t(game_state.score);
    for (int i = 0; i < 4; i++)
        movie.bytes[i] = uint8_t(score >> (8 * i));
    memcpy(&movie.bytes[4], player_name, 16);
    if (current_level == 0)
        return ARCHIVE_OK;
    return write_record(2 * current_level - 1, movie.bytes.data(), movie.cursor + 2);
}

void take_over_replay()
{
    if (current_level == 0)
        return;
    int position = movie.cursor;
    if (position + 1 < MOVIE_BUFFER_SIZE && movie.bytes[position] == 0)
        position += 2;
    int left = position + 1 < MOVIE_BUFFER_SIZE ? movie.bytes[position] : 0;
    int length = read_record(2 * current_level - 1, movie.bytes.data(), MOVIE_BUFFER_SIZE);
    movie.length = length > 0 ? length : 0;
    if (position > MOVIE_LAST_PAIR_OFFSET) {
        // Nothing of the stored play is left to replay and no pair fits.
        movie.cursor = MOVIE_LAST_PAIR_OFFSET;
        movie.recording_stopped = true;
        return;
    }
    uint8_t replayed = uint8_t(movie.bytes[position] - left);
    movie.bytes[position] = replayed;
    movie.cursor = position;
    if (replayed != 0) {
        if (position + 2 > MOVIE_LAST_PAIR_OFFSET) {
            movie.recording_stopped = true;   // the buffer is full already
            return;
        }
        position += 2;
    }
    movie.bytes[position] = 0;
    movie.bytes[position + 1] = 0;
    movie.cursor = position;
    movie.recording_stopped = false;
}
