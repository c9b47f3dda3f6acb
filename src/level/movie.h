// Movie records: a level's best score, the player's name and the input of
// that play as (count, input) pairs, replayed tick by tick.
#pragma once
#include <array>
#include <cstdint>

constexpr int MOVIE_BUFFER_SIZE = 4116;
constexpr int MOVIE_HEADER_SIZE = 21;         // score, name, cycle counter seed
constexpr int MOVIE_SEED_OFFSET = 20;
constexpr int MOVIE_LAST_PAIR_OFFSET = 4113;  // pair 2047, the last that fits
constexpr int MOVIE_MAX_PAIRS = 2047;

enum InputCode : uint8_t {
    INPUT_NONE = 0,
    INPUT_UP = 1,
    INPUT_DOWN = 2,
    INPUT_LEFT = 3,
    INPUT_RIGHT = 4,
    INPUT_DIG_LEFT = 5,
    INPUT_DIG_RIGHT = 6,
};

struct MovieBuffer {
    std::array<uint8_t, MOVIE_BUFFER_SIZE> bytes;
    int32_t cursor;          // offset of the current pair (20 before set-up)
    int32_t length;          // bytes of the record as loaded (0 when none)
    bool recording_stopped;  // the buffer ran full during this play
};

extern MovieBuffer movie;
extern const std::array<uint8_t, 297> BUILTIN_MOVIE;

void record_input(int code);
int replay_input();
void take_over_replay();

// Sum of the tick counts of a record of the given length.
int32_t movie_ticks(const uint8_t* record, int length);
int32_t movie_score(const uint8_t* record);
