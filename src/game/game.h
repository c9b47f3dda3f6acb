// The rules of a running level: the start of a level and the tick, the hero,
// holes, the enemy planner and turns, the clock and scoring. They work on a
// LevelState value and report what happened in TickEvents; they draw
// nothing, play nothing and read no key.
#pragma once
#include "game/events.h"
#include "game/state.h"

// Sets up state for the level in grid (start codes and all) from the given
// cycle counter (0..23): waiting for the first input.
void begin_level(LevelState& state, const PlayGrid& grid, int seed);

// One frame of the rules for one input (an InputCode): the actors' tick, the
// holes, the clock. events is filled afresh.
void tick(LevelState& state, int input, TickEvents& events);

// The summary's better-result rule.
bool play_is_better(const GameState& play, int best_score, int best_ticks);

// The rules' parts, for the rules' own files and their tests.
void hero_tick(LevelState& s, int input, TickEvents& ev);
bool standing_on_enemy(LevelState& s, int input);
void release_hidden_enemy(LevelState& s, int cell, TickEvents& ev);
void start_hole(LevelState& s, int brick, TickEvents& ev);
void update_holes(LevelState& s, TickEvents& ev);
void crush_enemy(LevelState& s, int enemy, TickEvents& ev);
int plan_move(LevelState& s, int x, int y);
void build_planner_masks(LevelState& s);
void build_hero_masks(LevelState& s);
// Empties the planner's kept answers (after any change to its masks).
void forget_planner_answers(PlannerMasks& m);
void open_hole_column_bit(LevelState& s, int cell);
void close_hole_column_bit(LevelState& s, int cell);
void enemies_tick(LevelState& s, TickEvents& ev);
void update_clock(LevelState& s, TickEvents& ev);
// The first time in the level: 10000 points off, the message and the icon.
void charge_penalty(LevelState& s, int32_t penalty, const char* message, TickEvents& ev);
void object_collected(LevelState& s, TickEvents& ev);
// The cell's picture changed: drawn as the grid holds it now.
void redraw_cell(const LevelState& s, int cell, TickEvents& ev);
