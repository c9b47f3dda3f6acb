// Replaying a level's stored movie through the rules, without a window, one
// tick after the other as fast as they run.
#pragma once
#include <cstdint>

#include "level/grid.h"

enum ReplayOutcome { REPLAY_EXIT, REPLAY_DEATH, REPLAY_STALLED };

struct ReplayResult {
    ReplayOutcome outcome;
    int ticks;      // ticks of play
    int score;
    int seconds;
    int stored_score;
};

// Replays a movie record (score, name, seed, then the input pairs; length
// bytes) on the level in grid. False when the record is too short to hold
// a movie.
bool replay_movie(const PlayGrid& grid, const uint8_t* record, int length, ReplayResult* result);
const char* replay_outcome_name(ReplayOutcome outcome);
