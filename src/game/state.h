// The running level as one plain value: the grid as it is now and as the
// level began, the actors, the occupancy map, the holes, the planner's masks,
// the clock, the score and the counters. A copy saves it and an assignment
// puts it back, so the search and the tests branch from any tick.
#pragma once
#include <array>
#include <cstdint>

#include "level/grid.h"

constexpr int ACTOR_COUNT = 8;   // the hero (0) and up to 7 enemies
constexpr int MAX_ENEMIES = ACTOR_COUNT - 1;
constexpr int HOLE_SLOTS = 20;
constexpr int NO_CELL = -1;
// OccupancyMap bits: the hero's, and the enemies' (one bit each, 0x40 down).
constexpr uint8_t OCCUPANCY_HERO = 0x80;
constexpr uint8_t OCCUPANCY_ENEMIES = 0x7f;

enum ActorFlags : uint32_t {
    ACTOR_FALLING = 0x01,
    ACTOR_DIGGING = 0x02,
    ACTOR_GRACE = 0x04,
    ACTOR_DEAD = 0x08,
    ACTOR_CARRYING = 0x10,
    ACTOR_TRAPPED = 0x20,
    ACTOR_HIDDEN = 0x40,
    ACTOR_WAS_FALLING = 0x100,
};

struct Actor {
    int32_t x, y;          // top-left pixel of the 24 by 24 figure; always even
    uint32_t flags;
    int32_t grace_dir;     // hero: the direction of the walk off an enemy's head
    int32_t counter;       // hero: dig or grace ticks; enemy: trapped or dead turns
    int32_t trap_cell;
    uint8_t state;         // the last non-zero move, selects the pose
    uint8_t actor_bit;     // the actor's bit in the occupancy map
    uint8_t drop_delay;
    uint8_t anim;          // 0..23
    bool operator==(const Actor&) const = default;
};

struct HoleSlot {
    int32_t x, y;
    int32_t cell;
    int32_t timer;         // 0 free, -1 dug this frame, 1..359 the hole's age
    bool operator==(const HoleSlot&) const = default;
};

// The planner's last answers by the enemy's cell (slot: cell % 8, -1 empty).
// An answer depends only on that cell, the hero's cell and the masks, so
// every change to the masks empties them, and the hero's move to another
// cell rebuilds the masks before the next enemy turn. A cache: two states
// that differ only here go on alike, so it takes no part in equality.
struct PlannerAnswers {
    std::array<int16_t, 8> cell;
    std::array<int8_t, 8> direction;
    bool operator==(const PlannerAnswers&) const { return true; }
};

// The planner's column masks: sets of grid rows (bit r = row r) per field column.
struct PlannerMasks {
    std::array<int32_t, 24> not_ladder;
    std::array<int32_t, 24> stand;
    std::array<int32_t, 26> enterable;   // entry c + 1; entries 0 and 25 stay 0
    std::array<int32_t, 24> floor_below;
    int32_t rows_above_hero;
    int32_t rows_below_hero;
    std::array<int32_t, 24> up_stop;
    std::array<int32_t, 24> down_stop;
    bool masks_valid;
    PlannerAnswers answers;
    bool operator==(const PlannerMasks&) const = default;
};

struct HiddenCandidates {
    int32_t cells[3];
    int32_t count;
    bool operator==(const HiddenCandidates&) const = default;
};

// Penalty bits of GameState::penalty_flags: each is charged once a level.
constexpr int32_t PENALTY_TRAPPED = 1;
constexpr int32_t PENALTY_CRUSHED = 2;

// The level's scores, counters and flags.
struct GameState {
    int32_t score;
    int32_t time_bonus;
    int32_t subsecond_ticks;
    int32_t seconds;
    int32_t play_ticks;
    int32_t flash_status;     // -1 none in the level, 0 not (yet) first, 1 taken first
    int32_t hidden_status;    // -1 no hidden enemy, 0 bonus not taken, 1 taken
    int32_t penalty_flags;    // PENALTY_TRAPPED, PENALTY_CRUSHED
    int32_t objects_left;
    int32_t enemy_count;
    int32_t schedule_index;
    int32_t holes_in_use;     // hole slots with a non-zero timer
    HiddenCandidates hidden_candidates;
    int32_t flashing_cell;    // grid index, or -1 for none
    uint8_t exit_count;
    uint8_t death_count;
    bool waiting_for_input;
    uint8_t cycle_counter;    // 0..23, the rules' only source of variation
    bool operator==(const GameState&) const = default;
};

struct LevelState {
    PlayGrid grid;                               // the level as it is now
    PlayGrid snapshot;                           // the level as it began
    std::array<uint8_t, GRID_CELLS> occupancy;   // OccupancyMap
    std::array<Actor, ACTOR_COUNT> actors;
    std::array<HoleSlot, HOLE_SLOTS> holes;
    PlannerMasks planner;
    GameState game;
    // Every field but the planner's kept answers (PlannerAnswers).
    bool operator==(const LevelState&) const = default;
};

inline int cell_at(int x, int y) { return col_of[size_t(x)] + row_offset[size_t(y)]; }
