// The play grid: level 0, record unpacking and the pixel-to-cell tables.
#include <gtest/gtest.h>

#include <vector>

#include "display/screen.h"
#include "display/tiles.h"
#include "view/view.h"
#include "level/grid.h"
#include "level/stored.h"
#include "picture/artwork.h"
#include "support/fixtures.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

class Grid : public ::testing::Test {
protected:
    HeadlessScreen headless{0x55};
    const std::vector<uint8_t>& screen = headless.pixels;
};

bool is_border_cell(int i)
{
    int row = i / GRID_COLUMNS, col = i % GRID_COLUMNS;
    return row == 0 || row == 16 || col < 2 || col > 25;
}

TEST_F(Grid, Level0UnpacksToItsCells)
{
    ASSERT_TRUE(unpack_level(0, level_grid));
    const struct {
        int code;
        std::vector<int> cells;
    } expected[] = {
        {TILE_ROPE, {31}},
        {TILE_OBJECT, {37}},
        {TILE_HERO_START, {95}},
        {TILE_ENEMY_START, {100, 102, 104}},
        {TILE_HIDDEN_ENEMY, {65, 230, 245}},
        {TILE_FLASHING_OBJECT, {177, 206, 213}},
        {TILE_ESCAPE_LADDER, {41, 42, 69, 70, 97, 98}},
    };
    for (const auto& e : expected)
        for (int cell : e.cells)
            EXPECT_EQ(level_grid[cell], e.code) << "cell " << cell;
    int counts[16] = {};
    for (int i = 0; i < GRID_CELLS; i++) {
        if (is_border_cell(i))
            EXPECT_EQ(level_grid[i], TILE_BORDER) << "cell " << i;
        else
            counts[level_grid[i]]++;
    }
    EXPECT_EQ(counts[TILE_HERO_START], 1);
    EXPECT_EQ(counts[TILE_ENEMY_START], 3);
    EXPECT_EQ(counts[TILE_HIDDEN_ENEMY], 3);
    EXPECT_EQ(counts[TILE_FLASHING_OBJECT], 3);
    EXPECT_EQ(counts[TILE_OBJECT], 9);
    EXPECT_EQ(counts[TILE_SOLID], 2);
    EXPECT_EQ(counts[TILE_BORDER], 0);
}

TEST_F(Grid, Level0RowsReadAsTheUnpackedTable)
{
    const char* rows[FIELD_ROWS] = {
        "044444070006600070444440", "3000001a0006600011000003", "304440000906608080844403",
        "310001111112211111100013", "300000011111111110000003", "3100000b1111111170000013",
        "30007000b111111b00070003", "3111a00000111100000a1113", "300000000001100000000003",
        "307000044400004440007003", "311111100031130001111113", "311111100311113001111113",
        "300000003111111300000003", "300000031111111130000003", "300070311111111113070003",
    };
    ASSERT_TRUE(unpack_level(0, level_grid));
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++) {
            char ch = rows[r][c];
            int code = ch <= '9' ? ch - '0' : ch - 'a' + 10;
            EXPECT_EQ(level_grid[field_cell(c, r)], code) << "row " << r << " column " << c;
        }
}

TEST_F(Grid, PackIsTheInverseOfUnpack)
{
    LevelRecord record{};
    record[0] = 0x1a;   // a brick on the left, a hidden-enemy brick on the right
    unpack_record(record.data(), level_grid);
    EXPECT_EQ(level_grid[field_cell(0, 0)], TILE_BRICK);
    EXPECT_EQ(level_grid[field_cell(1, 0)], TILE_HIDDEN_ENEMY);
    unpack_record(BUILTIN_LEVEL.data(), level_grid);
    LevelRecord packed{};
    pack_record(level_grid, packed.data());
    EXPECT_EQ(packed, BUILTIN_LEVEL);
}

TEST_F(Grid, MissingLevelLeavesAllBorderAndBlanksTheIcons)
{
    // No archive: the record cannot be read, as with a 179-byte record.
    Session session;
    EXPECT_FALSE(load_level(session, 5));
    for (uint8_t cell : session.grid)
        ASSERT_EQ(cell, TILE_BORDER);
    for (int x : {32, 56, 80, 104, 127})
        EXPECT_EQ(screen[BONUS_ICON_Y * 640 + x], 0) << x;
    EXPECT_EQ(screen[BONUS_ICON_Y * 640 + bonus_icon_x(BONUS_ICON_COUNT)], 0x55);
    EXPECT_EQ(screen[463 * 640 + 127], 0);
    EXPECT_EQ(screen[464 * 640 + 32], 0x55);
}

TEST_F(Grid, CoordinateTables)
{
    const struct {
        const std::array<int32_t, 640>* table;
        int at, value;
    } columns[] = {
        {&col_of, 32, 2}, {&col_of, 43, 2}, {&col_of, 44, 3},
        {&x_align, 32, 0}, {&x_align, 34, -2}, {&x_align, 42, -2}, {&x_align, 44, 2},
        {&x_align, 54, 2}, {&x_align, 56, 0},
    };
    for (const auto& c : columns)
        EXPECT_EQ((*c.table)[c.at], c.value) << "x " << c.at;
    const struct {
        const std::array<int32_t, 480>* table;
        int at, value;
    } rows[] = {
        {&row_of, 60, 1}, {&row_of, 71, 1}, {&row_of, 72, 2}, {&row_of, 0, -1}, {&row_of, 23, 0},
        {&row_offset, 72, 56}, {&row_offset, 0, -28},
        {&y_align, 60, 0}, {&y_align, 62, -2}, {&y_align, 72, 2}, {&y_align, 84, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ((*r.table)[r.at], r.value) << "y " << r.at;
    EXPECT_EQ(cell_x(30), 32);
    EXPECT_EQ(cell_y(30), 60);
    EXPECT_EQ(cell_x(445), 584);
    EXPECT_EQ(cell_y(445), 396);
}

TEST_F(Grid, AlignmentReachesTheCellThatColOfNames)
{
    // From every even x, repeated steps end on an aligned column, and that
    // column is the one under the figure's centre at the start.
    for (int x = 32; x <= 584; x += 2) {
        int moved = x;
        for (int steps = 0; x_align[moved] != 0 && steps < 12; steps++)
            moved += x_align[moved];
        ASSERT_EQ(x_align[moved], 0) << x;
        EXPECT_EQ(col_of[moved], col_of[x]) << x;
    }
}

TEST_F(Grid, ShadowAndVariantTables)
{
    build_variant_table();
    for (int code = 0; code < 16; code++) {
        bool shadow = code == 1 || code == 2 || code == 5 || code == 10 || code == 14;
        EXPECT_EQ(casts_shadow[code], shadow ? 1 : 0) << code;
    }
    for (uint8_t v : cell_variant)
        ASSERT_LT(v, 4);
}

TEST_F(Grid, TileClasses)
{
    EXPECT_TRUE(in_class(TILE_BRICK, CLASS_SUPPORT));
    EXPECT_TRUE(in_class(TILE_BORDER, CLASS_SUPPORT));
    EXPECT_FALSE(in_class(TILE_FALSE_BRICK, CLASS_SUPPORT));
    EXPECT_TRUE(in_class(TILE_OPEN_HOLE, CLASS_PASSABLE));
    EXPECT_FALSE(in_class(TILE_UNUSED, CLASS_PASSABLE | CLASS_SUPPORT | CLASS_ENTERABLE |
                                          CLASS_FLOOR | CLASS_STAND_BELOW | CLASS_HANG));
}

} // namespace

#include <unistd.h>

#include "level/archive.h"
#include "support/archive_files.h"
#include "support/process.h"

namespace {

TEST_F(Grid, ShortLevelRecordIsRefused)
{
    TempDir dir;
    snprintf(archive_path, sizeof archive_path, "%s", dir.file("levels.vbl").c_str());
    write_file(archive_path, build_archive({4, {{0, pattern_bytes(179, 1)}, {2, std::string(180, '\x11')}}}));
    EXPECT_FALSE(unpack_level(1, level_grid));
    for (uint8_t cell : level_grid)
        ASSERT_EQ(cell, TILE_BORDER);
    EXPECT_TRUE(unpack_level(2, level_grid));
    EXPECT_EQ(level_grid[size_t(field_cell(0, 0))], TILE_BRICK);
    archive_path[0] = 0;
}

} // namespace
