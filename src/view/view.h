// The running level of the program and how it is shown: the level start and
// the frame of play or demonstration (keys or the movie turned into the
// rules' input, the movie recorded), the figures, the cells and icons a
// tick changed, its sounds, the top line, and the level's end.
#pragma once
#include <cstdint>

#include "game/events.h"
#include "game/state.h"
#include "view/session.h"

// Starts the demonstration of the session's level (level 0 when it cannot
// be read or has no movie), or play of a grid as the session's level, and
// draws it.
void start_demo(Session& session);
void start_play(Session& session, const PlayGrid& grid);
// Starts the level in grid: the best play and the movie from the archive,
// the cycle counter (play: from the frame count, demonstration: from the
// movie), the rules' start, the figures and the first message.
void start_running_level(Session& session, const PlayGrid& grid);
// The same start as play's, from a given cycle counter.
void start_running_level_seeded(Session& session, const PlayGrid& grid, int seed);
// Draws the running level as a fresh screen, after start_level.
void show_level(Session& session);
// One frame of the running level: the input of the held keys in play (and
// recorded), of the movie in a demonstration, through play_frame.
void game_tick(Session& session);
// One rules frame of the running level for one input, its events shown.
void play_frame(Session& session, int input);
// Shows what a tick did: the cells and icons it changed, its figures,
// messages and sounds, in the order it did them.
void show_tick_events(Session& session, const TickEvents& events);

// The figures' sprite slots: placed from the running level each frame,
// released when the level ends.
void release_game_sprites(Session& session);
void update_sprite_poses(Session& session);
int actor_pose(const LevelState& state, const Actor& a);

// A cell of grid drawn anew, as the running level draws its cells.
void redraw_grid_cell(const PlayGrid& grid, int cell);

bool top_line_stale(const Session& session);
void mark_top_line_stale(Session& session);
void format_top_line(Session& session);
void clear_bonus_icons();
// The running level's field and frame, and below it (while a game runs) the
// player's name in play or the way to the menu in a demonstration.
void draw_field_and_player_line(const Session& session);

// Reads the level's movie record into the movie buffer and the best values
// from it; sets up the cursor for play (recording, seed written into the
// record) or for the demonstration. Returns the cycle counter to start from:
// seed, or in a demonstration the movie's.
int load_movie_record(Session& session, bool for_play, int seed);
// Clears the bonus icons and unpacks the level into the session's grid; false
// when the archive has no such level.
bool load_level(Session& session, int level);
// Writes the play's score, the player's name and the recorded input as the
// level's movie record (not for the built-in level). The result of the
// archive write: 0 when stored, also for the built-in level.
int save_movie_record(Session& session);
// The running level drawn whole, as the game shows it (field, figures,
// status lines); for pictures of a level without a frame loop.
void draw_running_level(Session& session);

// The end of a level: the summary (when show_summary), then the level the
// step goes to (step_level); the same level again; or back to the menu or
// the other mode. The summary is a modal screen: the step is taken when the
// player leaves it.
void finish_level(Session& session, int show_summary, LevelStep how);
void restart_level(Session& session);
void leave_game(Session& session);

// Sets up the tables and a frame buffer in memory if nothing is drawing yet.
void prepare_headless();
// The figures of a level just begun take their sprite slots.
void take_level_figures(Session& session);
