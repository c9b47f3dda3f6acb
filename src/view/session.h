// The program's session: which level it is at and the grid it was loaded
// into, the level F4 goes back to, the current mode, and the running level
// with its movie and the best play it is measured against. One record,
// owned by the start-up body and handed by reference to the mode handlers,
// the frame and the view.
#pragma once
#include <array>
#include <cstdint>

#include "core/flags.h"
#include "game/events.h"
#include "game/state.h"
#include "level/grid.h"
#include "level/movie.h"

// The level's stored best play, shown on the top line and the summary.
struct BestPlay {
    int32_t score;
    int32_t ticks;
    int32_t seconds;
    char name[17];
};

struct Session {
    int level = 1;         // 0 = the built-in level, 1..MAX_LEVEL
    int start_level = 1;   // the level F4 plays (-l, else 1)
    PlayGrid grid{};       // the level loaded for play or demonstration
    ModeHandler mode = nullptr;   // the mode handler the frame calls last
    bool game_active = false;     // a level runs: the rules tick and it is drawn
    bool recording = false;       // play (the keys, recorded), not a demonstration (the movie)
    LevelState running{};         // the level the frame loop runs
    TickEvents events{};          // what its last tick reported
    MovieBuffer movie{};          // recorded in play, replayed in a demonstration
    BestPlay best{};
    // How the running level is shown: each figure's sprite slot (-1 for
    // none), the flashing object's animation (0..63), and whether the
    // figures on the top line changed since it was last formatted.
    std::array<int, FIGURE_COUNT> figure_slot{};
    int flash_counter = 0;
    bool top_line_outdated = false;
};

// The ways the game goes from one level to another.
enum LevelStep {
    STEP_NEXT,            // the level after the session's
    STEP_PREVIOUS,        // the level before it
    STEP_TO,              // a level named by number (F4: the start level)
    STEP_FIRST_UNSOLVED,  // the first level without a stored movie
};

// The level a step from the session's level aims at, before any fallback:
// level + 1, level - 1, `number`, or the first level from 1 on without a
// stored movie (MAX_LEVEL + 1 when every level has one).
int level_target(const Session& session, LevelStep how, int number = 0);
// Goes to the level a step aims at: it becomes the session's level, loaded
// into the session's grid. A level that cannot be read gives way to level 1
// and then to the built-in level 0; a first unsolved level gives way to
// level 1 only, and a level named by number to none. Returns the level gone
// to, or -1 when there is none (the session's level is kept then).
int step_level(Session& session, LevelStep how, int number = 0);
