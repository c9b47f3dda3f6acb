#include "leveledit/marks.h"

#include <array>
#include <cstdint>

#include "display/screen.h"
#include "level/grid.h"
#include "picture/artwork.h"

namespace {

// A 5 by 7 glyph, one row a byte, the leftmost pixel in bit 4.
using Glyph = std::array<uint8_t, 7>;

struct Mark {
    int code;
    bool dashed_frame;   // the picture's edge drawn dashed: "not what it seems"
    Glyph glyph;
};

constexpr Glyph GLYPH_F = {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000};
constexpr Glyph GLYPH_ARROW = {0b00100, 0b01110, 0b11111, 0b00100, 0b00100, 0b00100, 0b00100};
constexpr Glyph GLYPH_E = {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111};
constexpr Glyph GLYPH_P = {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000};
constexpr Glyph GLYPH_H = {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001};
constexpr Glyph GLYPH_STAR = {0b00100, 0b10101, 0b01110, 0b11111, 0b01110, 0b10101, 0b00100};

// F: false brick (the hero falls through it); an arrow up: the escape
// ladder, which shows only once the objects are taken; E and P: the enemy's
// and the player's start; H: the brick that hides an enemy carrying the
// hidden bonus; a star: the flashing object.
constexpr std::array<Mark, 6> MARKS = {{
    {TILE_FALSE_BRICK, true, GLYPH_F},
    {TILE_ESCAPE_LADDER, false, GLYPH_ARROW},
    {TILE_ENEMY_START, false, GLYPH_E},
    {TILE_HERO_START, false, GLYPH_P},
    {TILE_HIDDEN_ENEMY, false, GLYPH_H},
    {TILE_FLASHING_OBJECT, false, GLYPH_STAR},
}};

// The glyph sits white on a black plate in the picture's top right corner:
// readable over any artwork, light or dark.
constexpr int PLATE_WIDTH = 7, PLATE_HEIGHT = 9;
constexpr int PLATE_LEFT = SQUARE_SIZE - PLATE_WIDTH, PLATE_TOP = 0;

void put(int x, int y, int colour) { screen_row(y)[x] = uint8_t(colour); }

} // namespace

void draw_editor_mark(int x, int y, int code)
{
    const Mark* mark = nullptr;
    for (const Mark& m : MARKS)
        if (m.code == code)
            mark = &m;
    if (!mark)
        return;
    lock_screen();
    const int white = screen_palette.nearest_white, black = screen_palette.nearest_black;
    if (mark->dashed_frame) {
        // Two pixels white, two black, all round the edge.
        for (int i = 0; i < SQUARE_SIZE; i++) {
            const int colour = (i / 2) % 2 ? black : white;
            put(x + i, y, colour);
            put(x + i, y + SQUARE_SIZE - 1, colour);
            put(x, y + i, colour);
            put(x + SQUARE_SIZE - 1, y + i, colour);
        }
    }
    const int left = x + PLATE_LEFT, top = y + PLATE_TOP;
    for (int row = 0; row < PLATE_HEIGHT; row++)
        for (int col = 0; col < PLATE_WIDTH; col++) {
            const bool ink = row >= 1 && row <= 7 && col >= 1 && col <= 5 &&
                             ((mark->glyph[size_t(row - 1)] >> (5 - col)) & 1) != 0;
            put(left + col, top + row, ink ? white : black);
        }
}
