// The running level: actors and the game tick, the hero, holes, the enemy
// planner and turns, the clock, scoring and the end of a level.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "game/state.h"
#include "level/grid.h"
#include "level/movie.h"

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
    int32_t sprite;
    uint32_t flags;
    int32_t grace_dir;     // hero: the direction of the walk off an enemy's head
    int32_t counter;       // hero: dig or grace ticks; enemy: trapped or dead turns
    int32_t trap_cell;
    uint8_t state;         // the last non-zero move, selects the pose
    uint8_t actor_bit;     // the actor's bit in the occupancy map
    uint8_t drop_delay;
    uint8_t anim;          // 0..23
};

struct HoleSlot {
    int32_t x, y;
    int32_t cell;
    int32_t sprite;        // -1 for none
    int32_t timer;         // 0 free, -1 dug this frame, 1..359 the hole's age
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
};

extern std::array<Actor, ACTOR_COUNT> actors;
extern std::array<uint8_t, GRID_CELLS> occupancy;
extern PlayGrid level_snapshot;
extern std::array<HoleSlot, HOLE_SLOTS> holes;
extern PlannerMasks planner;

// The whole state of a running level in one record: a copy saves it, and
// restore_level_state puts it back, so tests and tools can branch from any tick.
struct TickState;
struct LevelState;
void save_tick_state(TickState& out);
void restore_tick_state(const TickState& in);
void save_level_state(LevelState& out);
void restore_level_state(const LevelState& in);

// Level start and the tick.
void start_demo();
// Writes the play's score, the player's name and the recorded input as the
// level's movie record (not for the built-in level). The result of the
// archive write: 0 when stored, also for the built-in level.
int save_movie_record();
// Clears the bonus icons and unpacks the level into the grid; false when the
// archive has no such level.
bool load_level(int level);
// Reads the level's movie record and sets up the best values and the cursor
// for play (recording) or demonstration.
void load_movie_record();
void start_play();
void begin_level();
// Draws the level now in the grid as a fresh screen, after begin_level.
void show_level();
// One frame of the running level: the input of the held keys in play, of the
// movie in a demonstration, through rules_frame.
void game_tick();
// One frame of the rules for one input, the same for the frame loop, a
// replay, the tools and the search: the actors' tick, the holes, the clock.
void rules_frame(int input);
// The actors' part of rules_frame.
void run_game_tick(int input);
void release_hidden_enemy(int cell);
void release_game_sprites();
void update_sprite_poses();
int actor_pose(const Actor& a);

// Hero.
void hero_tick(int input);
bool standing_on_enemy(int input);
void redraw_grid_cell(int cell);
void draw_grid_image(int cell, int picture);

// Holes.
void start_hole(int brick);
void update_holes();
void crush_enemy(int enemy);

// Planner.
int plan_move(int x, int y);
void build_planner_masks();
void build_hero_masks();
void open_hole_column_bit(int cell);
void close_hole_column_bit(int cell);

// Enemies.
void enemies_tick();

// Clock, scoring and level end.
void update_clock();
// The four bonus icons below the play field, left to right.
enum BonusIcon { ICON_FLASHING, ICON_HIDDEN, ICON_SAFE, ICON_PENALTY };
void clear_bonus_icons();
void show_bonus_icon(BonusIcon slot, int cell);
// Penalty bits of GameState::penalty_flags: each is charged once a level.
constexpr int32_t PENALTY_TRAPPED = 1;
constexpr int32_t PENALTY_CRUSHED = 2;
// The first time in the level: 10000 points off, the message and the icon.
void charge_penalty(int32_t penalty, const char* message, int cell);
bool top_line_stale();
void format_top_line();
void object_collected();
void finish_level(int show_summary);
void restart_level();
void leave_game();
// The summary's better-result rule.
bool play_is_better();

inline int cell_at(int x, int y) { return col_of[size_t(x)] + row_offset[size_t(y)]; }

// Everything the tick reads and writes while a level runs; the search copies
// it whole at every branch.
struct TickState {
    PlayGrid grid;
    std::array<uint8_t, GRID_CELLS> occupancy;
    std::array<Actor, ACTOR_COUNT> actors;
    std::array<HoleSlot, HOLE_SLOTS> holes;
    PlannerMasks planner;
    GameState game;
};

// The running level as a whole: the tick's state, the level as it was
// loaded, and the movie buffer.
struct LevelState {
    TickState tick;
    PlayGrid snapshot;
    MovieBuffer movie;
};
