// A search over the game's own rules for input that takes the hero through a
// level and out at the top. It runs the real tick on a level state and
// branches by copying that state as one value.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/state.h"

struct SolveOptions {
    int seed = 0;                 // cycle counter at the level's start, 0..23
    double budget_seconds = 60;   // processor seconds for the whole search
    bool improve = true;          // go on searching for a better score after the first way out
    int64_t max_states = 800000;  // states made in one pass of the search; it stops there
    // Inputs played from the level's start before the search begins: every
    // way out found begins with them (a designer's opening, for a level whose
    // idea the search does not see by itself).
    std::vector<uint8_t> opening;
};

enum SolveStatus { SOLVE_FOUND, SOLVE_NOT_FOUND, SOLVE_REFUSED };

struct SolveResult {
    SolveStatus status = SOLVE_NOT_FOUND;
    std::string problem;          // why a level was refused
    std::vector<uint8_t> inputs;  // one input code per tick, the exit tick last
    int ticks = 0;                // ticks of play (the clock's count)
    int score = 0;
    int64_t expanded = 0;         // states taken from the open list
    int64_t first_expanded = 0;   // of these, the ones taken before the first way out was found:
                                  // the level's difficulty for the search, whatever the budget
    double first_seconds = 0;     // processor seconds to the first way out
    int64_t ticks_simulated = 0;  // ticks run, dead ends included
    double seconds = 0;
};

// Searches the level in grid (start codes and all).
SolveResult solve_level(const PlayGrid& grid, const SolveOptions& options);

// The same search in slices, for a caller that must go on drawing frames:
// solve_begin takes a copy of the level in grid, each solve_slice goes on for
// about `seconds` of wall-clock time (at least one state) and says whether
// the search is over; solve_result holds the result then, and the counters
// and seconds so far before. The budget counts the search's own processor
// time, not the time between slices. The search runs the rules on level
// state values of its own: the grid, the running level, the screen and the
// sounds are left alone.
struct SolveSearch;
struct SolveSearchDeleter {
    void operator()(SolveSearch* search) const;
};
using SolveSearchHolder = std::unique_ptr<SolveSearch, SolveSearchDeleter>;
SolveSearchHolder solve_begin(const PlayGrid& grid, const SolveOptions& options);
bool solve_slice(SolveSearch& search, double seconds);
const SolveResult& solve_result(const SolveSearch& search);

// Plays the level in grid with the given inputs from the given seed,
// the way a replay does. Returns true when the hero leaves through the top on
// the last input; ticks and score as the clock counts them.
bool play_inputs(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed, int* ticks, int* score);

// Sets up state for a run by the rules of the level in grid from the given
// seed. False with a problem when the rules cannot run it (no hero, too many
// enemies).
bool start_level_run(const PlayGrid& grid, int seed, LevelState* state, std::string* problem);

// A search in order of ticks from a running level's state over the search's
// moves (steps of one cell and digs), states told apart by the hero's place,
// the objects left and the field, not by the guards: the first arrival at a
// place wins. `value` rates each state reached with the ticks it took (0 or
// less: of no use); the result holds the inputs to the best rated state, the
// earliest of equal ones.
struct SpotSearchOptions {
    int max_states = 3000;   // states made; the search stops there
    int max_ticks = 3000;    // states further away are not expanded
};
using SpotValue = std::function<int(const LevelState& state, int ticks)>;
struct SpotSearchResult {
    int value = 0;                // of the best state, 0 when none was of use
    int ticks = 0;                // to that state
    std::vector<uint8_t> inputs;  // one a tick, to that state
    int states = 0;               // states made
    int64_t ticks_run = 0;        // ticks the rules ran
};
SpotSearchResult search_spots(const LevelState& from, const SpotSearchOptions& options, const SpotValue& value);
