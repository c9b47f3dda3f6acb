// A level and its movie as the archive in use holds them (level 0: the
// built-in ones). Kept apart from the grid and movie code, which the solver
// links, so that the search carries no archive reader or writer.
#pragma once
#include <cstdint>

#include "level/grid.h"
#include "level/movie.h"

// Fills grid with the level's record, border ring included; false when the
// archive has no such level (the grid is then all border).
bool unpack_level(int level, PlayGrid& grid);
// Reads the level's movie record into `into` (MOVIE_BUFFER_SIZE bytes): its
// length, or a negative archive result when there is none.
int read_level_movie(int level, uint8_t* into);
// A running replay of the level's movie becomes a recording from where it
// is: the stored record is read again and cut at the cursor, so that the
// play goes on in it. Nothing happens for the built-in level.
void take_over_replay(MovieBuffer& m, int level);
