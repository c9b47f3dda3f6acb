#include "level/stored.h"

#include <cstring>

#include "level/archive.h"

bool unpack_level(int level, PlayGrid& grid)
{
    grid.fill(TILE_BORDER);
    if (level == 0) {
        unpack_record(BUILTIN_LEVEL.data(), grid);
        return true;
    }
    LevelRecord record;
    if (read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
        return false;
    unpack_record(record.data(), grid);
    return true;
}

int read_level_movie(int level, uint8_t* into)
{
    if (level == 0) {
        memcpy(into, BUILTIN_MOVIE.data(), BUILTIN_MOVIE.size());
        return int(BUILTIN_MOVIE.size());
    }
    return read_record(movie_record(level), into, MOVIE_BUFFER_SIZE);
}

void take_over_replay(MovieBuffer& movie, int level)
{
    if (level == 0)
        return;
    int position = movie.cursor;
    if (position + 1 < MOVIE_BUFFER_SIZE && movie.bytes[position] == 0)
        position += 2;
    int left = position + 1 < MOVIE_BUFFER_SIZE ? movie.bytes[position] : 0;
    int length = read_record(movie_record(level), movie.bytes.data(), MOVIE_BUFFER_SIZE);
    movie.length = length > 0 ? length : 0;
    if (position > MOVIE_LAST_PAIR_OFFSET) {
        // Nothing of the stored play is left to replay and no pair fits.
        movie.cursor = MOVIE_LAST_PAIR_OFFSET;
        movie.recording_stopped = true;
        return;
    }
    uint8_t replayed = uint8_t(movie.bytes[position] - left);
    movie.bytes[position] = replayed;
    movie.cursor = position;
    if (replayed != 0) {
        if (position + 2 > MOVIE_LAST_PAIR_OFFSET) {
            movie.recording_stopped = true;   // the buffer is full already
            return;
        }
        position += 2;
    }
    movie.bytes[position] = 0;
    movie.bytes[position + 1] = 0;
    movie.cursor = position;
    movie.recording_stopped = false;
}
