// Movie records: a level's best score, the player's name and the input of
// that play as (count, input) pairs, replayed tick by tick.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

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

extern const std::array<uint8_t, 297> BUILTIN_MOVIE;

// Adds one tick's input to the play being recorded in the movie buffer: the
// current pair's count grows or a new pair starts; when no pair fits any
// more the recording stops and the buffer keeps the play's beginning.
void record_input_into(MovieBuffer& m, int code);
// The next tick's input of a movie being replayed.
int replay_input_from(MovieBuffer& m);

// Sum of the tick counts of a record of the given length.
int32_t movie_ticks(const uint8_t* record, int length);
int32_t movie_score(const uint8_t* record);
// Writes a record's score and the 16 bytes of the player's name.
void write_movie_header(uint8_t* record, int32_t score, const char* name16);
// A movie record (score, name, seed, run-length pairs) of per-tick inputs;
// empty when the inputs need more pairs than a record holds.
std::vector<uint8_t> movie_record_of(const std::vector<uint8_t>& inputs, int score, int seed, const char* name);
// Per-tick inputs of a movie record.
std::vector<uint8_t> inputs_of_movie(const uint8_t* record, int length);
