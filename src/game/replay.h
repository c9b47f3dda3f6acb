// Replaying a level's stored movie through the rules, without a window, one
// tick after the other as fast as they run.
#pragma once

enum ReplayOutcome { REPLAY_EXIT, REPLAY_DEATH, REPLAY_STALLED };

struct ReplayResult {
    ReplayOutcome outcome;
    int ticks;      // ticks of play
    int score;
    int seconds;
    int stored_score;
};

// Replays the movie of a level of the archive in use (level 0: the built-in
// one). False when the level or its movie cannot be read.
bool replay_movie(int level, ReplayResult* result);
const char* replay_outcome_name(ReplayOutcome outcome);
