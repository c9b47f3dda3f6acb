// The graphics editor's picture operations on one 24 by 24 cell: brushes,
// lines, rectangles, flood fill, the copied block and the transforms. They
// work in place on fixed pictures and never allocate.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int PICTURE_SIZE = 24;
constexpr int PICTURE_BYTES = PICTURE_SIZE * PICTURE_SIZE;
constexpr int FILL_QUEUE_SIZE = 64;

// 24 rows of 24 palette indices; pixel (column c, row r) is byte 24r + c.
using Picture24 = std::array<uint8_t, PICTURE_BYTES>;

enum Tool { TOOL_NONE = 0, TOOL_LINE = 1, TOOL_BOX = 2, TOOL_RECT = 3, TOOL_FILL = 4, TOOL_IDLE = 5, TOOL_DRAW = 6 };

constexpr int BLOCK_BRUSH = 0;   // the copied block is stamped
constexpr int BRUSH_COUNT = 6;   // shapes 1..6

// The block copied with the box tool.
struct GfxBlock {
    std::array<uint8_t, PICTURE_BYTES> pixels;   // width x height, row by row
    int width, height;                            // 0 before the first copy
    int hot_x, hot_y;                             // stamped on the pointer pixel
    int transparent;                              // bg at the copy: skipped when stamping
};

// What a stamp paints with: the two colours, the brush shape and the block.
struct PaintState {
    int fg, bg;
    int brush;   // BLOCK_BRUSH or 1..6
    const GfxBlock* block;
};

struct BrushOffset {
    int8_t dx, dy;
};
struct BrushShape {
    int count;
    std::array<BrushOffset, 37> offsets;
};
extern const std::array<BrushShape, BRUSH_COUNT + 1> BRUSH_SHAPES;   // entry 0 unused

inline uint8_t& pixel_at(Picture24& p, int col, int row) { return p[size_t(PICTURE_SIZE * row + col)]; }
inline uint8_t pixel_at(const Picture24& p, int col, int row) { return p[size_t(PICTURE_SIZE * row + col)]; }
inline bool inside_picture(int col, int row) { return col >= 0 && col < PICTURE_SIZE && row >= 0 && row < PICTURE_SIZE; }

// The colour of a mouse operation: bg when the right button (bit 1) is in
// the button bits, fg otherwise.
int button_colour(const PaintState& paint, unsigned buttons);

void plot_brush(const PaintState& paint, Picture24& picture, int col, int row, unsigned buttons);
void draw_line(const PaintState& paint, Picture24& picture, int c0, int r0, int c1, int r1, unsigned buttons);
void fill_rect(const PaintState& paint, Picture24& picture, int c0, int r0, int c1, int r1, unsigned buttons);
void flood_fill(Picture24& picture, int col, int row, int colour);
void invert_box(Picture24& picture, int c0, int r0, int c1, int r1);
void invert_crosshair(Picture24& picture, int col, int row);

void capture_block(GfxBlock& block, const Picture24& picture, int c0, int r0, int c1, int r1, int transparent);
void mirror_block_x(GfxBlock& block);
void mirror_block_y(GfxBlock& block);
void rotate_block(GfxBlock& block);

void mirror_x(Picture24& picture);
void mirror_y(Picture24& picture);
void rotate_cw(Picture24& picture);
