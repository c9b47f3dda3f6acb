// The program's session: which level it is at, the grid that level was
// loaded into, and the level F4 goes back to. One record, owned by the
// start-up body and handed by reference to the mode handlers and the view.
#pragma once

#include "level/grid.h"

struct Session {
    int level = 1;         // 0 = the built-in level, 1..MAX_LEVEL
    int start_level = 1;   // the level F4 plays (-l, else 1)
    PlayGrid grid{};       // the level loaded for play or demonstration
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
