// The play grid, the tile codes and their classes, level records and the
// pixel-to-cell tables.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int GRID_COLUMNS = 28;
constexpr int GRID_ROWS = 17;
constexpr int GRID_CELLS = GRID_COLUMNS * GRID_ROWS;   // 476
constexpr int FIELD_COLUMNS = 24;
constexpr int FIELD_ROWS = 15;
constexpr int LEVEL_RECORD_SIZE = 180;
constexpr int LEVEL_ROW_BYTES = 12;

enum TileCode : uint8_t {
    TILE_EMPTY = 0,
    TILE_BRICK = 1,
    TILE_SOLID = 2,
    TILE_LADDER = 3,
    TILE_ROPE = 4,
    TILE_FALSE_BRICK = 5,
    TILE_ESCAPE_LADDER = 6,
    TILE_OBJECT = 7,
    TILE_ENEMY_START = 8,
    TILE_HERO_START = 9,
    TILE_HIDDEN_ENEMY = 10,
    TILE_FLASHING_OBJECT = 11,
    TILE_HIDDEN_BONUS = 12,
    TILE_UNUSED = 13,
    TILE_OPEN_HOLE = 14,
    TILE_BORDER = 15,
};

constexpr std::array<int32_t, 16> TILE_BIT = {
    1 << 0, 1 << 1, 1 << 2, 1 << 3, 1 << 4, 1 << 5, 1 << 6, 1 << 7,
    1 << 8, 1 << 9, 1 << 10, 1 << 11, 1 << 12, 1 << 13, 1 << 14, 1 << 15};

constexpr int32_t CLASS_SUPPORT = 0x840e;      // carries an actor above it
constexpr int32_t CLASS_PASSABLE = 0x5b99;     // the hero may move in
constexpr int32_t CLASS_ENTERABLE = 0x58d9;    // the planner may enter
constexpr int32_t CLASS_FLOOR = 0xc026;        // the planner cannot go down through
constexpr int32_t CLASS_STAND_BELOW = 0xc42e;  // the planner may stand above it
constexpr int32_t CLASS_HANG = 0x18;           // ladder or rope: stand anywhere

constexpr bool in_class(int code, int32_t mask) { return (TILE_BIT[code & 15] & mask) != 0; }

using PlayGrid = std::array<uint8_t, GRID_CELLS>;
using LevelRecord = std::array<uint8_t, LEVEL_RECORD_SIZE>;

extern const LevelRecord BUILTIN_LEVEL;

// Which tiles cast a shadow onto the cells to their right and below.
inline constexpr std::array<uint8_t, 16> casts_shadow = [] {
    std::array<uint8_t, 16> t{};
    for (int code : {TILE_BRICK, TILE_SOLID, TILE_FALSE_BRICK, TILE_HIDDEN_ENEMY, TILE_OPEN_HOLE})
        t[size_t(code)] = 1;
    return t;
}();
// The picture variant of each cell (0..3), drawn by build_variant_table.
extern std::array<uint8_t, GRID_CELLS> cell_variant;

// 2-pixel step towards the nearest aligned position; at exactly half a cell
// it moves on towards the next cell, as col_of and row_of switch there too.
constexpr int32_t align_step(int r) { return r == 0 ? 0 : r < 12 ? -2 : 2; }

// The pixel-to-cell tables: the grid column and row under the centre of a
// figure whose top-left pixel is x or y, the row's first grid index, and the
// 2-pixel steps that pull a figure onto the cell lines.
inline constexpr std::array<int32_t, 640> col_of = [] {
    std::array<int32_t, 640> t{};
    for (int x = 0; x < 640; x++)
        t[size_t(x)] = (x + 28) / 24;
    return t;
}();
inline constexpr std::array<int32_t, 640> x_align = [] {
    std::array<int32_t, 640> t{};
    for (int x = 0; x < 640; x++)
        t[size_t(x)] = align_step((x + 16) % 24);
    return t;
}();
inline constexpr std::array<int32_t, 480> row_of = [] {
    std::array<int32_t, 480> t{};
    for (int y = 0; y < 480; y++)
        t[size_t(y)] = (y - 24) / 24;   // truncates towards zero: -1 only for y = 0
    return t;
}();
inline constexpr std::array<int32_t, 480> row_offset = [] {
    std::array<int32_t, 480> t{};
    for (int y = 0; y < 480; y++)
        t[size_t(y)] = row_of[size_t(y)] * GRID_COLUMNS;
    return t;
}();
inline constexpr std::array<int32_t, 480> y_align = [] {
    std::array<int32_t, 480> t{};
    for (int y = 0; y < 480; y++)
        t[size_t(y)] = align_step((y + 12) % 24);
    return t;
}();

constexpr int cell_x(int i) { return (i % GRID_COLUMNS) * 24 - 16; }
constexpr int cell_y(int i) { return (i / GRID_COLUMNS) * 24 + 36; }
// Grid index of field cell (c, r), 0 <= c < 24, 0 <= r < 15.
constexpr int field_cell(int c, int r) { return GRID_COLUMNS * (r + 1) + c + 2; }

// The cells' picture variants, drawn from the unseeded generator, so the
// table is built once in a run.
void build_variant_table();
// Which of the cells above (bit 0), above-left (bit 1) and left (bit 2) of
// grid cell i cast a shadow onto it.
inline int shadow_bits(const PlayGrid& grid, int i)
{
    return casts_shadow[grid[size_t(i - GRID_COLUMNS)]] | casts_shadow[grid[size_t(i - GRID_COLUMNS - 1)]] << 1 |
           casts_shadow[grid[size_t(i - 1)]] << 2;
}
// The grid of a 180-byte record, border ring included.
PlayGrid grid_of_record(const uint8_t* record);
// Fills grid from a 180-byte record, border ring included.
void unpack_record(const uint8_t* record, PlayGrid& grid);
// The exact inverse of unpack_record for the field cells.
void pack_record(const PlayGrid& grid, uint8_t* record);
