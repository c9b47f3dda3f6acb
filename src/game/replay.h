// Replaying a level's stored movie without a window: the rules run on a
// frame buffer in memory, one tick a frame, as fast as they can.
#pragma once

enum ReplayOutcome { REPLAY_EXIT, REPLAY_DEATH, REPLAY_STALLED };

struct ReplayResult {
    ReplayOutcome outcome;
    int ticks;      // ticks of play
    int score;
    int seconds;
    int stored_score;
};

// Sets up the tables and a frame buffer if nothing is drawing yet.
void prepare_headless();
// Replays current_level's movie (level 0: the built-in one). False when the
// level or its movie cannot be read.
bool replay_movie(ReplayResult* result);
const char* replay_outcome_name(ReplayOutcome outcome);
