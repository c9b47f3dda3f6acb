// Where everything stands in the artwork: the 96 squares of a graphics set's
// 320 by 200 picture, the sets' places in the tile cache, and where the
// play field, its frame and the bonus icons stand on the screen.
#pragma once

constexpr int SQUARE_SIZE = 24;
constexpr int SET_PICTURE_WIDTH = 320;
constexpr int SET_SQUARES = 96;
constexpr int SQUARES_PER_ROW = 12;

// Top-left pixel of a square in its set picture.
constexpr int square_x(int square) { return SQUARE_SIZE * (square % SQUARES_PER_ROW); }
constexpr int square_y(int square) { return SQUARE_SIZE * (square / SQUARES_PER_ROW); }
constexpr int square_offset(int square) { return square_y(square) * SET_PICTURE_WIDTH + square_x(square); }

// Tile cache numbers: set s starts at s * SET_SQUARES.
constexpr int BACKGROUND_SET_BASE = 0;
constexpr int HERO_SET_BASE = 1 * SET_SQUARES;
constexpr int ENEMY_SET_BASE = 2 * SET_SQUARES;
constexpr int HIDDEN_SET_BASE = 3 * SET_SQUARES;

// Background set. Tile code t in variant v (0..3) is square t + 12 * v.
constexpr int VARIANT_STRIDE = 12;
constexpr int tile_square(int code, int variant) { return code + VARIANT_STRIDE * variant; }
// Square SHADOW_BASE + bits: the shadow of the cells above (bit 0), above-left
// (bit 1) and left (bit 2).
constexpr int SHADOW_BASE = 48;
constexpr int SPARKLE_BASE = 56;          // the flashing object's overlay, 4 sizes
constexpr int HOLE_STAGE_BASE = 62;       // + stage 1..6 of a hole being dug
constexpr int SQUARE_OPEN_HOLE = HOLE_STAGE_BASE + 6;
constexpr int GLYPH_SQUARE = 69;          // the font: 9 glyphs of 8 by 12 a row
constexpr int GLYPH_WIDTH = 8;
constexpr int GLYPH_HEIGHT = 12;
constexpr int GLYPHS_PER_ROW = 9;
// The frame around the play field.
constexpr int FRAME_TOP_LEFT = 72;
constexpr int FRAME_TOP = 73;
constexpr int FRAME_TOP_RIGHT = 74;
constexpr int FRAME_LEFT = 75;
constexpr int FRAME_RIGHT = 77;
constexpr int FRAME_BOTTOM_LEFT = 78;
constexpr int FRAME_BOTTOM = 79;
constexpr int FRAME_BOTTOM_RIGHT = 80;
constexpr int SQUARE_HIDDEN_BONUS = 76;
constexpr int TOOL_PANEL_FIRST = 84;      // the graphics editor's tools, 84..87
constexpr int SQUARE_CRUSH_PENALTY = 89;
constexpr int SQUARE_TRAP_PENALTY = 90;

// The screen: the play field's top-left pixel, the frame around it and the
// four bonus icons below it (flashing, hidden, safe to exit, penalty).
constexpr int FIELD_X = 32;
constexpr int FIELD_Y = 60;
constexpr int FRAME_LEFT_X = FIELD_X - SQUARE_SIZE;
constexpr int FRAME_RIGHT_X = 608;
constexpr int FRAME_TOP_Y = FIELD_Y - SQUARE_SIZE;
constexpr int FRAME_BOTTOM_Y = 420;
constexpr int BONUS_ICON_X = 32;
constexpr int BONUS_ICON_Y = 440;
constexpr int BONUS_ICON_COUNT = 4;
constexpr int bonus_icon_x(int slot) { return BONUS_ICON_X + SQUARE_SIZE * slot; }
