// The shortening pass over a winning movie: cuts detours (the stretch
// between two visits of the hero to the same spot, when the rest still wins
// with at least the same score) and waits that change nothing, keeping the
// shorter of two movies with equal score. A detour whose cut lets a guard
// catch the hero may still become a shorter wait on the spot. Then it turns
// short runs there and back into a wait on the spot as long, where the movie
// still wins as well. And the figures that tell how much a movie wanders:
// ticks, cell moves, back-steps, standing still.
//
// Shortcuts: from the hero's places along the movie a short search over the
// running level looks for a quicker way to a place the movie reaches later
// with the same objects taken (the guards may stand elsewhere then); the way
// found, then the rest of the movie from there, is kept when it still wins
// with at least the same score. The longest gains are tried first.
#pragma once
#include <cstdint>
#include <vector>

#include "level/grid.h"

struct ShortenOptions {
    int64_t tick_budget = 60000000;   // ticks the rules may run for one movie
    int tries_per_tick = 16;          // cuts tried from one tick of the movie
    bool waits_in_cuts = true;        // a detour that cannot go whole may become a shorter wait
    int shortcut_states = 3000;       // states of one shortcut search; 0: no shortcuts
    int64_t shortcut_budget = 40000000;   // ticks the shortcut searches and their trials may run
};

struct ShortenResult {
    bool won = false;                 // the movie given won its level
    std::vector<uint8_t> inputs;      // the shortened movie (the given one when nothing was cut)
    int ticks_before = 0, ticks_after = 0;
    int score_before = 0, score_after = 0;
    int cuts = 0;                     // cuts kept
    int shortcuts = 0;                // of these, shortcuts found by a search
    int64_t ticks_run = 0;            // ticks the rules ran
};

// Shortens a movie of the level in grid, played from seed.
ShortenResult shorten_movie(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed,
                            const ShortenOptions& options);

struct MovieFigures {
    bool won = false;
    int ticks = 0;          // ticks of play
    int score = 0;
    int cell_moves = 0;     // moves of the hero from one cell to another
    int back_steps = 0;     // moves straight back to the cell before (A, B, A)
    int fetch_steps = 0;    // of these, the ones back from taking an object in B
    int standing = 0;       // ticks of play the hero neither moves nor digs
};

// The figures of a movie of the level in grid.
MovieFigures measure_movie(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed);
