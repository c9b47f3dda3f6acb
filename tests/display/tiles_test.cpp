// Tiles, sprites, the play field with its shadows, the font and the status lines.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "program/frame.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "level/grid.h"
#include "picture/gfxset.h"
#include "picture/artwork.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

// A fixture with four hand-made sets: square n of set s is filled with a
// colour that names it, so the screen tells which square was drawn last.
class Display : public ::testing::Test {
protected:
    std::vector<uint8_t> screen = std::vector<uint8_t>(640 * 480, 0);
    std::vector<uint8_t> set_pixels[4];

    void SetUp() override
    {
        attach_frame_buffer(screen.data(), 640);
        ASSERT_TRUE(alloc_display_buffers());
        clear_dirty_list();
        clear_sprite_slots();
        for (int s = 0; s < 4; s++) {
            set_pixels[s].assign(GFX_SET_PIXELS, 0);
            gfx_sets[s].pixels = set_pixels[s].data();
            for (int i = 1; i < 256; i++)
                gfx_sets[s].remap[i] = uint8_t(i);
        }
        screen_palette.nearest_black = 0;
        screen_palette.nearest_white = 255;
    }
    void TearDown() override
    {
        for (auto& set : gfx_sets)
            set.pixels = nullptr;
        free_display_buffers();
    }
    void fill_square(int set, int square, uint8_t colour)
    {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                set_pixels[set][size_t(square_offset(square) + y * SET_PICTURE_WIDTH + x)] = colour;
    }
    uint8_t at(int x, int y) const { return screen[size_t(y * 640 + x)]; }
};

TEST_F(Display, DrawCellIsTransparentWhereTheCellIsZero)
{
    set_pixels[0][0] = 7;   // square 0: one pixel at its top-left corner
    gfx_sets[0].remap[7] = 99;
    gfx_sets[0].remap[0] = 0;
    build_tile_cache();
    std::fill(screen.begin(), screen.end(), 3);
    draw_cell(32, 60, 0);
    EXPECT_EQ(at(32, 60), 99);
    int changed = 0;
    for (int y = 60; y < 84; y++)
        for (int x = 32; x < 56; x++)
            changed += at(x, y) != 3;
    EXPECT_EQ(changed, 1);
}

TEST_F(Display, CacheKeepsZeroWhateverPaletteEntryZeroIs)
{
    gfx_sets[1].palette[0] = 200;
    gfx_sets[1].remap[0] = 5;   // never consulted for pixel 0
    build_tile_cache();
    for (int i = 0; i < CELL_BYTES; i++)
        ASSERT_EQ(tile_cache[96 * CELL_BYTES + i], 0);
}

TEST_F(Display, SpritesOverlapInSlotOrderAndRestoreCleanly)
{
    fill_square(1, 0, 11);   // hero set square 0 -> cell 96
    fill_square(1, 1, 22);   // cell 97
    build_tile_cache();
    for (int i = 0; i < 640 * 480; i++)
        screen[size_t(i)] = uint8_t(i % 7 + 1);
    const std::vector<uint8_t> before = screen;
    int a = alloc_sprite(), b = alloc_sprite();
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    sprite_slots[0] = {SPRITE_ACTIVE, 100, 100, 96};
    sprite_slots[1] = {SPRITE_ACTIVE, 110, 104, 97};
    save_sprite_backgrounds();
    draw_sprites();
    EXPECT_EQ(at(112, 110), 11);   // slot 0 is drawn last: on top
    EXPECT_EQ(at(130, 120), 22);
    EXPECT_EQ(dirty_list.used, 2);
    // Released but not yet restored: the slot is not handed out again.
    sprite_slots[0].flags &= ~SPRITE_ACTIVE;
    EXPECT_EQ(alloc_sprite(), 2);
    sprite_slots[2].flags = 0;
    restore_sprite_backgrounds();
    EXPECT_EQ(screen, before);
    EXPECT_EQ(alloc_sprite(), 0);
}

TEST_F(Display, PlayFieldShadowsFollowTheNeighbours)
{
    for (int square = 0; square < 96; square++)
        fill_square(0, square, uint8_t(square + 1));
    build_tile_cache();
    build_variant_table();
    cell_variant.fill(0);
    level_grid.fill(TILE_BORDER);
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            level_grid[size_t(field_cell(c, r))] = TILE_EMPTY;
    const int i = field_cell(5, 5);
    level_grid[size_t(i - 1)] = TILE_SOLID;        // left
    level_grid[size_t(i - 28)] = TILE_EMPTY;       // above
    level_grid[size_t(i - 29)] = TILE_OPEN_HOLE;   // above-left
    level_grid[size_t(field_cell(10, 10))] = TILE_BRICK;
    level_grid[size_t(field_cell(12, 10))] = TILE_LADDER;
    draw_play_field(level_grid);
    // Overlays are drawn whole in this fixture, so the last square drawn shows.
    EXPECT_EQ(at(32 + 24 * 5, 60 + 24 * 5), SHADOW_BASE + 6 + 1);
    EXPECT_EQ(at(32 + 24 * 10, 60 + 24 * 10), 1 + 1);   // a brick: only its own image
    EXPECT_EQ(at(32 + 24 * 12, 60 + 24 * 10), 3 + 1);
    EXPECT_EQ(at(32 + 24 * 11, 60 + 24 * 10), SHADOW_BASE + 4 + 1);   // left of it, the brick
    EXPECT_EQ(at(32 + 24 * 10, 60 + 24 * 11), SHADOW_BASE + 1 + 1);  // below the brick
    EXPECT_EQ(at(32 + 24 * 11, 60 + 24 * 11), SHADOW_BASE + 2 + 1);   // below-right
    EXPECT_EQ(at(32, 60), 0 + 1);                            // the border casts none
    EXPECT_EQ(at(8, 36), 72 + 1);
    EXPECT_EQ(at(608, 420), 80 + 1);
    EXPECT_EQ(at(40, 36), 73 + 1);
}

TEST_F(Display, CoveringTilesGetNeitherBackgroundNorShadow)
{
    // Backgrounds and shadows fill their whole square, tile images only their
    // left half: whatever was drawn under a tile shows in its right half.
    for (int square = 0; square < 96; square++)
        fill_square(0, square, uint8_t(square + 1));
    for (int square = 1; square < 48; square++)
        if (square % 12)
            for (int y = 0; y < 24; y++)
                for (int x = 12; x < 24; x++)
                    set_pixels[0][size_t((24 * (square / 12) + y) * 320 + 24 * (square % 12) + x)] = 0;
    build_tile_cache();
    build_variant_table();
    cell_variant.fill(1);
    const struct {
        int tile;
        int right_half;   // the colour the right half of the tile's square shows
    } cases[] = {
        {TILE_BRICK, 77}, {TILE_SOLID, 77}, {TILE_FALSE_BRICK, 77}, {TILE_HIDDEN_ENEMY, 77},
        {TILE_LADDER, SHADOW_BASE + 4 + 1},   // under a ladder: background, then the shadow of the left neighbour
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tile);
        level_grid.fill(TILE_BORDER);
        for (int r = 0; r < FIELD_ROWS; r++)
            for (int col = 0; col < FIELD_COLUMNS; col++)
                level_grid[size_t(field_cell(col, r))] = TILE_EMPTY;
        level_grid[size_t(field_cell(4, 5))] = TILE_SOLID;   // casts a shadow to its right
        level_grid[size_t(field_cell(5, 5))] = uint8_t(c.tile);
        std::fill(screen.begin(), screen.end(), 77);
        draw_play_field(level_grid);
        const int x = 32 + 24 * 5, y = 60 + 24 * 5;
        EXPECT_EQ(at(x, y), c.tile + 12 + 1);
        EXPECT_EQ(at(x + 11, y + 23), c.tile + 12 + 1);
        EXPECT_EQ(at(x + 12, y), c.right_half);
        EXPECT_EQ(at(x + 23, y + 23), c.right_half);
    }
}

TEST_F(Display, OutlinesAndSwap)
{
    screen_palette.nearest_white = 9;
    draw_square_outline(100, 100, 25, COLOUR_WHITE);
    EXPECT_EQ(at(100, 100), 9);
    EXPECT_EQ(at(125, 125), 9);
    EXPECT_EQ(at(125, 100), 9);
    EXPECT_EQ(at(101, 101), 0);
    EXPECT_EQ(at(126, 125), 0);
    draw_rect_outline(10, 10, 7, 1, 4);
    for (int x = 10; x <= 17; x++)
        EXPECT_EQ(at(x, 10) + at(x, 11), 8);
    EXPECT_EQ(at(18, 10), 0);
    const std::vector<uint8_t> before = screen;
    swap_black_white(98, 98);
    EXPECT_EQ(at(100, 100), 0);
    EXPECT_EQ(at(99, 99), 9);
    swap_black_white(98, 98);
    EXPECT_EQ(screen, before);
}

class Font : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        // Glyph g's first row spells g + 1 in binary (bit i in column i); the
        // rest of its box is paper.
        for (int g = 0; g < GLYPH_COUNT; g++)
            for (int x = 0; x < 8; x++)
                if ((g + 1) >> x & 1)
                    set_pixels[0][size_t(square_offset(GLYPH_SQUARE) + (GLYPH_HEIGHT * (g / GLYPHS_PER_ROW)) * SET_PICTURE_WIDTH + GLYPH_WIDTH * (g % GLYPHS_PER_ROW) + x)] = 1;
        build_tile_cache();
    }
    // Whether the glyph of character c was drawn at (x, y) in ink colour.
    bool shows(int x, int y, unsigned char c, int ink = 255) const
    {
        int g = c < 128 ? glyph_map[c] : BLANK_GLYPH;
        for (int i = 0; i < 8; i++)
            if (at(x + i, y) != (((g + 1) >> i & 1) ? ink : 0) || at(x + i, y + 1) != 0)
                return false;
        return true;
    }
};

TEST_F(Font, GlyphMapAndCase)
{
    EXPECT_EQ(glyph_map['A'], 0);
    EXPECT_EQ(glyph_map['a'], 0);
    EXPECT_EQ(glyph_map['0'], 26);
    EXPECT_EQ(glyph_map[' '], 48);
    EXPECT_EQ(glyph_map[')'], 53);
    EXPECT_EQ(glyph_map['&'], BLANK_GLYPH);
    draw_text("abc", 0, 0, 200);
    std::vector<uint8_t> lower(screen.begin(), screen.begin() + 640 * 12);
    draw_text("ABC", 0, 0, 200);
    EXPECT_EQ(lower, std::vector<uint8_t>(screen.begin(), screen.begin() + 640 * 12));
    EXPECT_TRUE(shows(0, 0, 'A', 200));
    EXPECT_TRUE(shows(16, 0, 'C', 200));
}

TEST_F(Font, CharactersWithoutGlyphDrawTheBlankBox)
{
    // The blank glyph's box in this fixture has ink in its top row too, so
    // compare against a space; high characters must not read outside the map.
    for (unsigned char c : std::vector<unsigned char>{'&', 200, 255}) {
        std::fill(screen.begin(), screen.end(), 77);
        draw_char(8, 8, c, 5);
        std::vector<uint8_t> box(screen);
        std::fill(screen.begin(), screen.end(), 77);
        draw_char(8, 8, ' ', 5);
        EXPECT_EQ(box, screen) << int(c);
    }
}

TEST_F(Font, CentredTextPositions)
{
    const struct {
        const char* text;
        int x;
    } cases[] = {{"ab", 312}, {"abc", 312}, {"abcd", 304}};
    for (const auto& c : cases) {
        std::fill(screen.begin(), screen.end(), 77);
        text_y = 100;
        print_centred(c.text);
        EXPECT_EQ(text_y, 116);
        EXPECT_EQ(at(c.x - 1, 101), 77) << c.text;
        EXPECT_EQ(at(c.x, 101), 0) << c.text;
    }
    std::fill(screen.begin(), screen.end(), 77);
    text_y = 100;
    print_centred("");
    EXPECT_EQ(text_y, 116);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 77), 640 * 480);
}

TEST_F(Font, StatusLineRedrawsOnlyChangedCharacters)
{
    clear_status_lines();
    memset(top_status.wanted.data(), 'A', STATUS_COLUMNS);
    refresh_status_lines();
    EXPECT_TRUE(top_status.changed);
    EXPECT_FALSE(bottom_status.changed);
    top_status.changed = false;
    std::fill(screen.begin(), screen.end(), 77);
    refresh_status_lines();
    EXPECT_FALSE(top_status.changed);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 77), 640 * 480);
    top_status.wanted[5] = '7';
    refresh_status_lines();
    EXPECT_TRUE(top_status.changed);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 77), 640 * 480 - 8 * 12);
    EXPECT_TRUE(shows(32 + 8 * 5, 24, '7'));
}

TEST_F(Font, MessageIsBlankedAfterItsFrames)
{
    show_message("+8000 Flashing ", 120);
    EXPECT_TRUE(shows(480, 444, '+'));
    EXPECT_TRUE(shows(592, 444, ' '));
    for (int frame = 1; frame < 120; frame++)
        expire_message();
    EXPECT_EQ(message_timer, 1);
    EXPECT_TRUE(shows(480, 444, '+'));
    expire_message();
    EXPECT_EQ(message_timer, 0);
    for (int x = 480; x < 600; x += 8)
        EXPECT_TRUE(shows(x, 444, ' ')) << x;
}

TEST_F(Font, ShortMessageClearsTheTailOfALongerOne)
{
    show_message("-10000 Trapping", 120);
    show_message("SAFE TO EXIT", 120);
    const std::vector<uint8_t> over(screen.begin() + 444 * 640, screen.begin() + 456 * 640);
    std::fill(screen.begin(), screen.end(), 0);
    show_message("SAFE TO EXIT", 120);
    EXPECT_EQ(over, std::vector<uint8_t>(screen.begin() + 444 * 640, screen.begin() + 456 * 640));
}

} // namespace
