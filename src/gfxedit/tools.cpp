#include "gfxedit/tools.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>

namespace {

constexpr BrushShape square_shape(int from, int to, int cut)
{
    // The square from..to in both directions, without the offsets whose
    // coordinates are both at least `cut` away from the centre in size
    // (cut 0: nothing removed).
    BrushShape shape{};
    for (int dy = from; dy <= to; dy++)
        for (int dx = from; dx <= to; dx++) {
            const int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
            if (cut && ax >= cut && ay >= cut)
                continue;
            shape.offsets[size_t(shape.count++)] = BrushOffset{int8_t(dx), int8_t(dy)};
        }
    return shape;
}

constexpr BrushShape seven_shape()
{
    // 7 by 7 without the twelve offsets where one coordinate is 3 away and
    // the other 2 or 3.
    BrushShape shape{};
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++) {
            const int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
            if ((ax == 3 && ay >= 2) || (ay == 3 && ax >= 2))
                continue;
            shape.offsets[size_t(shape.count++)] = BrushOffset{int8_t(dx), int8_t(dy)};
        }
    return shape;
}

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

constexpr std::array<BrushShape, BRUSH_COUNT + 1> BRUSH_SHAPES_INIT = {
    BrushShape{}, square_shape(0, 0, 0), square_shape(0, 1, 0), square_shape(-1, 1, 0),
    square_shape(-1, 2, 0), square_shape(-2, 2, 2), seven_shape(),
};
const std::array<BrushShape, BRUSH_COUNT + 1> BRUSH_SHAPES = BRUSH_SHAPES_INIT;
static_assert(BRUSH_SHAPES_INIT[1].count == 1 && BRUSH_SHAPES_INIT[2].count == 4 && BRUSH_SHAPES_INIT[3].count == 9 &&
              BRUSH_SHAPES_INIT[4].count == 16 && BRUSH_SHAPES_INIT[5].count == 21 &&
              BRUSH_SHAPES_INIT[6].count == 37);

int button_colour(const PaintState& paint, unsigned buttons) { return (buttons & 2) ? paint.bg : paint.fg; }

void plot_brush(const PaintState& paint, Picture24& picture, int col, int row, unsigned buttons)
{
    const uint8_t colour = uint8_t(button_colour(paint, buttons));
    if (paint.brush >= 1 && paint.brush <= BRUSH_COUNT) {
        const BrushShape& shape = BRUSH_SHAPES[size_t(paint.brush)];
        for (int i = 0; i < shape.count; i++) {
            const int c = col + shape.offsets[size_t(i)].dx, r = row + shape.offsets[size_t(i)].dy;
            if (inside_picture(c, r))
                pixel_at(picture, c, r) = colour;
        }
        return;
    }
    if (paint.brush != BLOCK_BRUSH || !paint.block)
        return;
    const GfxBlock& block = *paint.block;
    const int left = col - block.hot_x, top = row - block.hot_y;
    for (int y = 0; y < block.height; y++)
        for (int x = 0; x < block.width; x++) {
            const uint8_t v = block.pixels[size_t(y * block.width + x)];
            if (v == block.transparent || !inside_picture(left + x, top + y))
                continue;
            pixel_at(picture, left + x, top + y) = (buttons & 2) ? colour : v;
        }
}

void draw_line(const PaintState& paint, Picture24& picture, int c0, int r0, int c1, int r1, unsigned buttons)
{
    const int ax = std::abs(c1 - c0), ay = std::abs(r1 - r0);
    const int sx = sign(c1 - c0), sy = sign(r1 - r0);
    if (ax > ay) {
        int e = 2 * ay - ax;
        while (c0 != c1) {
            plot_brush(paint, picture, c0, r0, buttons);
            c0 += sx;
            if (e >= 0) {
                r0 += sy;
                e += 2 * ay - 2 * ax;
            } else {
                e += 2 * ay;
            }
        }
    } else if (ay > ax) {
        int e = 2 * ax - ay;
        while (r0 != r1) {
            plot_brush(paint, picture, c0, r0, buttons);
            r0 += sy;
            if (e >= 0) {
                c0 += sx;
                e += 2 * ax - 2 * ay;
            } else {
                e += 2 * ax;
            }
        }
    } else {
        while (c0 != c1) {
            plot_brush(paint, picture, c0, r0, buttons);
            c0 += sx;
            r0 += sy;
        }
    }
    plot_brush(paint, picture, c0, r0, buttons);
}

void fill_rect(const PaintState& paint, Picture24& picture, int c0, int r0, int c1, int r1, unsigned buttons)
{
    const uint8_t colour = uint8_t(button_colour(paint, buttons));
    for (int r = std::max(0, std::min(r0, r1)); r <= std::min(PICTURE_SIZE - 1, std::max(r0, r1)); r++)
        for (int c = std::max(0, std::min(c0, c1)); c <= std::min(PICTURE_SIZE - 1, std::max(c0, c1)); c++)
            pixel_at(picture, c, r) = colour;
}

void flood_fill(Picture24& picture, int col, int row, int colour)
{
    if (!inside_picture(col, row))
        return;
    const uint8_t old = pixel_at(picture, col, row), k = uint8_t(colour);
    if (old == k)
        return;
    // A ring of pending positions. Should a region ever need more at once
    // than the ring holds, the positions that did not fit are found again
    // afterwards among the filled pixels, so the fill always completes.
    std::array<int16_t, FILL_QUEUE_SIZE> ring;
    std::bitset<PICTURE_BYTES> filled;
    int head = 0, used = 0;
    bool dropped = false;
    auto take = [&](int c, int r) {
        pixel_at(picture, c, r) = k;
        filled.set(size_t(PICTURE_SIZE * r + c));
        if (used == FILL_QUEUE_SIZE) {
            dropped = true;
            return;
        }
        ring[size_t((head + used++) % FILL_QUEUE_SIZE)] = int16_t(PICTURE_SIZE * r + c);
    };
    auto has_old_neighbour = [&](int c, int r) {
        return (c > 0 && pixel_at(picture, c - 1, r) == old) || (r > 0 && pixel_at(picture, c, r - 1) == old) ||
               (c < PICTURE_SIZE - 1 && pixel_at(picture, c + 1, r) == old) ||
               (r < PICTURE_SIZE - 1 && pixel_at(picture, c, r + 1) == old);
    };
    take(col, row);
    for (;;) {
        while (used > 0) {
            const int q = ring[size_t(head)];
            head = (head + 1) % FILL_QUEUE_SIZE;
            used--;
            const int c = q % PICTURE_SIZE, r = q / PICTURE_SIZE;
            if (c > 0 && pixel_at(picture, c - 1, r) == old)
                take(c - 1, r);
            if (r > 0 && pixel_at(picture, c, r - 1) == old)
                take(c, r - 1);
            if (c < PICTURE_SIZE - 1 && pixel_at(picture, c + 1, r) == old)
                take(c + 1, r);
            if (r < PICTURE_SIZE - 1 && pixel_at(picture, c, r + 1) == old)
                take(c, r + 1);
        }
        if (!dropped)
            return;
        dropped = false;
        for (int i = 0; i < PICTURE_BYTES && used < FILL_QUEUE_SIZE; i++)
            if (filled.test(size_t(i)) && has_old_neighbour(i % PICTURE_SIZE, i / PICTURE_SIZE))
                ring[size_t((head + used++) % FILL_QUEUE_SIZE)] = int16_t(i);
        if (used == 0)
            return;
        dropped = true;   // scan again once these are done, in case more remain
    }
}

void invert_box(Picture24& picture, int c0, int r0, int c1, int r1)
{
    const int left = std::min(c0, c1), right = std::max(c0, c1);
    const int top = std::min(r0, r1), bottom = std::max(r0, r1);
    auto flip = [&](int c, int r) {
        if (inside_picture(c, r))
            pixel_at(picture, c, r) = uint8_t(255 - pixel_at(picture, c, r));
    };
    for (int c = left; c <= right; c++) {
        flip(c, top);
        if (bottom != top)
            flip(c, bottom);
    }
    for (int r = top + 1; r < bottom; r++) {
        flip(left, r);
        if (right != left)
            flip(right, r);
    }
}

void invert_crosshair(Picture24& picture, int col, int row)
{
    if (!inside_picture(col, row))
        return;
    for (int c = 0; c < PICTURE_SIZE; c++)
        pixel_at(picture, c, row) = uint8_t(255 - pixel_at(picture, c, row));
    for (int r = 0; r < PICTURE_SIZE; r++)
        if (r != row)
            pixel_at(picture, col, r) = uint8_t(255 - pixel_at(picture, col, r));
}

void capture_block(GfxBlock& block, const Picture24& picture, int c0, int r0, int c1, int r1, int transparent)
{
    const int left = std::clamp(std::min(c0, c1), 0, PICTURE_SIZE - 1);
    const int right = std::clamp(std::max(c0, c1), 0, PICTURE_SIZE - 1);
    const int top = std::clamp(std::min(r0, r1), 0, PICTURE_SIZE - 1);
    const int bottom = std::clamp(std::max(r0, r1), 0, PICTURE_SIZE - 1);
    block.width = right - left + 1;
    block.height = bottom - top + 1;
    for (int y = 0; y < block.height; y++)
        for (int x = 0; x < block.width; x++)
            block.pixels[size_t(y * block.width + x)] = pixel_at(picture, left + x, top + y);
    block.hot_x = block.width / 2;
    block.hot_y = block.height / 2;
    block.transparent = transparent;
}

void mirror_block_x(GfxBlock& block)
{
    for (int y = 0; y < block.height; y++) {
        uint8_t* row = block.pixels.data() + y * block.width;
        std::reverse(row, row + block.width);
    }
}

void mirror_block_y(GfxBlock& block)
{
    for (int y = 0; y < block.height / 2; y++)
        std::swap_ranges(block.pixels.begin() + y * block.width, block.pixels.begin() + (y + 1) * block.width,
                         block.pixels.begin() + (block.height - 1 - y) * block.width);
}

void rotate_block(GfxBlock& block)
{
    // New pixel (row r, column c) is the old pixel (row height - 1 - c, column r).
    const std::array<uint8_t, PICTURE_BYTES> old = block.pixels;
    const int new_width = block.height, new_height = block.width;
    for (int r = 0; r < new_height; r++)
        for (int c = 0; c < new_width; c++)
            block.pixels[size_t(r * new_width + c)] = old[size_t((block.height - 1 - c) * block.width + r)];
    block.width = new_width;
    block.height = new_height;
    std::swap(block.hot_x, block.hot_y);
}

void mirror_x(Picture24& picture)
{
    for (int r = 0; r < PICTURE_SIZE; r++)
        std::reverse(picture.begin() + r * PICTURE_SIZE, picture.begin() + (r + 1) * PICTURE_SIZE);
}

void mirror_y(Picture24& picture)
{
    for (int r = 0; r < PICTURE_SIZE / 2; r++)
        std::swap_ranges(picture.begin() + r * PICTURE_SIZE, picture.begin() + (r + 1) * PICTURE_SIZE,
                         picture.begin() + (PICTURE_SIZE - 1 - r) * PICTURE_SIZE);
}

void rotate_cw(Picture24& picture)
{
    const Picture24 old = picture;
    for (int r = 0; r < PICTURE_SIZE; r++)
        for (int c = 0; c < PICTURE_SIZE; c++)
            pixel_at(picture, c, r) = pixel_at(old, r, PICTURE_SIZE - 1 - c);
}
