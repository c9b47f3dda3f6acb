#include "level/grid.h"

#include <cstdlib>

#include "level/archive.h"
#include "platform/random.h"

PlayGrid play_grid;
std::array<uint8_t, 16> casts_shadow;
std::array<uint8_t, GRID_CELLS> cell_variant;
std::array<int32_t, 640> col_of;
std::array<int32_t, 480> row_of;
std::array<int32_t, 480> row_offset;
std::array<int32_t, 640> x_align;
std::array<int32_t, 480> y_align;

const LevelRecord BUILTIN_LEVEL = {
    0x04, 0x44, 0x44, 0x07, 0x00, 0x06, 0x60, 0x00, 0x70, 0x44, 0x44, 0x40,
    0x30, 0x00, 0x00, 0x1a, 0x00, 0x06, 0x60, 0x00, 0x11, 0x00, 0x00, 0x03,
    0x30, 0x44, 0x40, 0x00, 0x09, 0x06, 0x60, 0x80, 0x80, 0x84, 0x44, 0x03,
    0x31, 0x00, 0x01, 0x11, 0x11, 0x12, 0x21, 0x11, 0x11, 0x10, 0x00, 0x13,
    0x30, 0x00, 0x00, 0x01, 0x11, 0x11, 0x11, 0x11, 0x10, 0x00, 0x00, 0x03,
    0x31, 0x00, 0x00, 0x0b, 0x11, 0x11, 0x11, 0x11, 0x70, 0x00, 0x00, 0x13,
    0x30, 0x00, 0x70, 0x00, 0xb1, 0x11, 0x11, 0x1b, 0x00, 0x07, 0x00, 0x03,
    0x31, 0x11, 0xa0, 0x00, 0x00, 0x11, 0x11, 0x00, 0x00, 0x0a, 0x11, 0x13,
    0x30, 0x00, 0x00, 0x00, 0x00, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x03,
    0x30, 0x70, 0x00, 0x04, 0x44, 0x00, 0x00, 0x44, 0x40, 0x00, 0x70, 0x03,
    0x31, 0x11, 0x11, 0x10, 0x00, 0x31, 0x13, 0x00, 0x01, 0x11, 0x11, 0x13,
    0x31, 0x11, 0x11, 0x10, 0x03, 0x11, 0x11, 0x30, 0x01, 0x11, 0x11, 0x13,
    0x30, 0x00, 0x00, 0x00, 0x31, 0x11, 0x11, 0x13, 0x00, 0x00, 0x00, 0x03,
    0x30, 0x00, 0x00, 0x03, 0x11, 0x11, 0x11, 0x11, 0x30, 0x00, 0x00, 0x03,
    0x30, 0x00, 0x70, 0x31, 0x11, 0x11, 0x11, 0x11, 0x13, 0x07, 0x00, 0x03,
};

void build_shadow_table()
{
    casts_shadow.fill(0);
    for (int code : {TILE_BRICK, TILE_SOLID, TILE_FALSE_BRICK, TILE_HIDDEN_ENEMY, TILE_OPEN_HOLE})
        casts_shadow[code] = 1;
}

void build_shadow_and_variant_tables()
{
    build_shadow_table();
    // The unseeded generator gives the same variants on every run.
    for (uint8_t& v : cell_variant)
        v = static_cast<uint8_t>(unseeded_random() & 3);
}

namespace {

// 2-pixel step towards the nearest aligned position; at exactly half a cell
// it moves on towards the next cell, as col_of and row_of switch there too.
int32_t align_step(int r)
{
    if (r == 0)
        return 0;
    return r < 12 ? -2 : 2;
}

} // namespace

void build_coordinate_tables()
{
    for (int x = 0; x < 640; x++) {
        col_of[x] = (x + 28) / 24;
        x_align[x] = align_step((x + 16) % 24);
    }
    for (int y = 0; y < 480; y++) {
        row_of[y] = (y - 24) / 24;   // truncates towards zero: -1 only for y = 0
        row_offset[y] = row_of[y] * GRID_COLUMNS;
        y_align[y] = align_step((y + 12) % 24);
    }
}

PlayGrid grid_of_record(const uint8_t* record)
{
    PlayGrid grid;
    grid.fill(TILE_BORDER);
    for (int r = 0; r < FIELD_ROWS; r++) {
        for (int j = 0; j < LEVEL_ROW_BYTES; j++) {
            uint8_t byte = record[r * LEVEL_ROW_BYTES + j];
            int i = GRID_COLUMNS * (r + 1) + 2 + 2 * j;
            grid[i] = byte >> 4;
            grid[i + 1] = byte & 15;
        }
    }
    return grid;
}

void unpack_record(const uint8_t* record) { play_grid = grid_of_record(record); }

void pack_record(const PlayGrid& grid, uint8_t* record)
{
    for (int r = 0; r < FIELD_ROWS; r++) {
        for (int j = 0; j < LEVEL_ROW_BYTES; j++) {
            int i = GRID_COLUMNS * (r + 1) + 2 + 2 * j;
            record[r * LEVEL_ROW_BYTES + j] = static_cast<uint8_t>((grid[i] & 15) << 4 | (grid[i + 1] & 15));
        }
    }
}

bool unpack_level(int level)
{
    play_grid.fill(TILE_BORDER);
    if (level == 0) {
        unpack_record(BUILTIN_LEVEL.data());
        return true;
    }
    LevelRecord record;
    if (read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
        return false;
    unpack_record(record.data());
    return true;
}
