// "Is it winnable?" in the level editor: V searches the painted field for a
// way out with the solver, a slice of search a frame so the editor's screen
// stays alive; after a success V again plays the way out as a
// demonstration, and a write stores it as the level's best play.
#pragma once
#include <cstdint>
#include <vector>

// Wall-clock seconds of search in one frame of 20 ms: the rest of the frame
// is the editor's, with room to spare on a busy machine.
constexpr double SEARCH_SLICE_SECONDS = 0.008;

// V in the editor: the demonstration when a way out fits the field now in
// the grid, else a new search (or the validation rule's message).
struct Session;
void winnable_key(Session& session);
// The mode handler while the search runs: one slice a frame, the progress
// line in the header; Escape stops it.
void winnable_search_handler(Session& session);
// The mode handler of the demonstration: the way out played by the game's
// rules until the hero climbs out or Escape, Q, K or Left Shift end it; then
// the editor is back, its field, level number and `modified` untouched.
void way_out_handler(Session& session);
// The movie record of the way out found for the field now in the grid;
// empty when there is none (no search yet, none found, or the field has
// changed since: a way found for another field no longer fits).
std::vector<uint8_t> way_out_record();
// Ends a search and forgets the way out found (the editor's start).
void forget_way_out();
// Whether a search is running (tests).
bool winnable_search_running(const Session& session);
