// The graphics editor's picture operations on a 24 by 24 cell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "gfxedit/tools.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;   // (column, row)

constexpr int FG = 7, BG = 3;

PaintState paint(int brush, const GfxBlock* block = nullptr) { return PaintState{FG, BG, brush, block}; }

Picture24 blank(uint8_t colour = 0)
{
    Picture24 p;
    p.fill(colour);
    return p;
}

// The pixels of p that are not `background`.
Pixels marked(const Picture24& p, uint8_t background = 0)
{
    Pixels out;
    for (int r = 0; r < 24; r++)
        for (int c = 0; c < 24; c++)
            if (pixel_at(p, c, r) != background)
                out.insert({c, r});
    return out;
}

Pixels line_pixels(int c0, int r0, int c1, int r1)
{
    Picture24 p = blank();
    draw_line(paint(1), p, c0, r0, c1, r1, 1);
    return marked(p);
}

TEST(GfxTools, BrushShapesHaveTheirSizes)
{
    const struct {
        int brush, count, min, max;
    } cases[] = {{1, 1, 0, 0}, {2, 4, 0, 1}, {3, 9, -1, 1}, {4, 16, -1, 2}, {5, 21, -2, 2}, {6, 37, -3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.brush);
        Picture24 p = blank();
        plot_brush(paint(c.brush), p, 12, 12, 1);
        const Pixels got = marked(p);
        EXPECT_EQ(int(got.size()), c.count);
        for (auto [col, row] : got) {
            EXPECT_GE(col - 12, c.min);
            EXPECT_LE(col - 12, c.max);
            EXPECT_GE(row - 12, c.min);
            EXPECT_LE(row - 12, c.max);
        }
    }
    // The round brushes lose their corners.
    Picture24 p = blank();
    plot_brush(paint(5), p, 12, 12, 1);
    EXPECT_EQ(pixel_at(p, 10, 10), 0);
    EXPECT_EQ(pixel_at(p, 11, 10), FG);
    p = blank();
    plot_brush(paint(6), p, 12, 12, 1);
    for (auto [dc, dr] : {std::pair{3, 2}, {2, 3}, {3, 3}, {-3, -2}, {-2, 3}})
        EXPECT_EQ(pixel_at(p, 12 + dc, 12 + dr), 0) << dc << "," << dr;
    for (auto [dc, dr] : {std::pair{3, 1}, {1, 3}, {-3, 0}, {2, 2}})
        EXPECT_EQ(pixel_at(p, 12 + dc, 12 + dr), FG) << dc << "," << dr;
}

TEST(GfxTools, BrushesAreClippedAtTheEdges)
{
    const struct {
        int brush, col, row, count;
    } cases[] = {
        {2, 23, 5, 2},    // one column of the 2 by 2 square
        {2, 23, 23, 1},
        {3, 0, 0, 4},
        {4, 23, 0, 6},    // offsets -1..0 across, 0..2 down
        {5, 0, 0, 8},     // the quarter 0..2 by 0..2 without (2, 2)
        {6, 0, 0, 13},    // 0..3 by 0..3 without (3, 2), (2, 3), (3, 3)
        {6, 23, 23, 13},
        {6, 12, 0, 22},   // rows 0..3 of the shape
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "brush " << c.brush << " at " << c.col << "," << c.row);
        Picture24 p = blank();
        plot_brush(paint(c.brush), p, c.col, c.row, 1);
        EXPECT_EQ(int(marked(p).size()), c.count);
    }
}

TEST(GfxTools, ButtonsChooseTheColour)
{
    const struct {
        unsigned buttons;
        int colour;
    } cases[] = {{0, FG}, {1, FG}, {2, BG}, {3, BG}};
    for (const auto& c : cases) {
        Picture24 p = blank();
        plot_brush(paint(1), p, 4, 4, c.buttons);
        EXPECT_EQ(pixel_at(p, 4, 4), c.colour) << c.buttons;
        p = blank();
        fill_rect(paint(1), p, 1, 1, 2, 2, c.buttons);
        EXPECT_EQ(pixel_at(p, 2, 2), c.colour) << c.buttons;
    }
}

TEST(GfxTools, LinesInTheEightDirectionsAndTheirEndPoints)
{
    // Straight and 45-degree lines of length 5 from the middle.
    for (int sx = -1; sx <= 1; sx++)
        for (int sy = -1; sy <= 1; sy++) {
            if (!sx && !sy)
                continue;
            SCOPED_TRACE(testing::Message() << "direction " << sx << "," << sy);
            Pixels want;
            for (int i = 0; i <= 5; i++)
                want.insert({12 + i * sx, 12 + i * sy});
            EXPECT_EQ(line_pixels(12, 12, 12 + 5 * sx, 12 + 5 * sy), want);
        }
    // Shallow and steep lines, both ways round.
    const struct {
        int c0, r0, c1, r1;
        Pixels want;
    } cases[] = {
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {5, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {3, 3, 4, 7, {{3, 3}, {3, 4}, {4, 5}, {4, 6}, {4, 7}}},
        {9, 9, 9, 9, {{9, 9}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(line_pixels(c.c0, c.r0, c.c1, c.r1), c.want) << c.c0 << "," << c.r0 << " to " << c.c1 << "," << c.r1;
}

TEST(GfxTools, EveryLineReachesItsEndWithOnePixelPerStep)
{
    for (auto [c0, r0] : {std::pair{11, 12}, {0, 0}, {23, 5}})
        for (int r1 = 0; r1 < 24; r1++)
            for (int c1 = 0; c1 < 24; c1++) {
                const Pixels got = line_pixels(c0, r0, c1, r1);
                const int steps = std::max(std::abs(c1 - c0), std::abs(r1 - r0));
                ASSERT_EQ(int(got.size()), steps + 1) << c0 << "," << r0 << " to " << c1 << "," << r1;
                ASSERT_TRUE(got.count({c0, r0}) && got.count({c1, r1}));
                // One pixel in every column (shallow) or row (steep) between the ends.
                std::set<int> lanes;
                for (auto [c, r] : got)
                    lanes.insert(std::abs(c1 - c0) >= std::abs(r1 - r0) ? c : r);
                ASSERT_EQ(int(lanes.size()), steps + 1);
            }
}

TEST(GfxTools, LinesStampTheBrush)
{
    Picture24 p = blank();
    draw_line(paint(2), p, 2, 2, 6, 2, 2);
    Pixels want;
    for (int c = 2; c <= 7; c++)
        want.insert({c, 2}), want.insert({c, 3});
    EXPECT_EQ(marked(p), want);
    EXPECT_EQ(pixel_at(p, 7, 3), BG);
}

TEST(GfxTools, RectangleDragsInAllFourDirections)
{
    Pixels want;
    for (int r = 4; r <= 10; r++)
        for (int c = 3; c <= 8; c++)
            want.insert({c, r});
    const int corners[][4] = {{3, 4, 8, 10}, {8, 10, 3, 4}, {8, 4, 3, 10}, {3, 10, 8, 4}};
    for (const auto& k : corners) {
        Picture24 p = blank();
        fill_rect(paint(6), p, k[0], k[1], k[2], k[3], 1);   // the brush plays no part
        EXPECT_EQ(marked(p), want) << k[0] << "," << k[1] << " to " << k[2] << "," << k[3];
    }
    Picture24 p = blank();
    fill_rect(paint(1), p, 5, 5, 5, 5, 1);
    EXPECT_EQ(marked(p), (Pixels{{5, 5}}));
}

// A plain four-connected fill to compare with.
void reference_fill(Picture24& p, int c, int r, uint8_t old, uint8_t k)
{
    if (!inside_picture(c, r) || pixel_at(p, c, r) != old)
        return;
    pixel_at(p, c, r) = k;
    reference_fill(p, c - 1, r, old, k);
    reference_fill(p, c + 1, r, old, k);
    reference_fill(p, c, r - 1, old, k);
    reference_fill(p, c, r + 1, old, k);
}

TEST(GfxTools, FloodFill)
{
    // An empty cell fills completely from any pixel.
    for (auto [c, r] : {std::pair{0, 0}, {23, 23}, {11, 12}, {0, 17}}) {
        Picture24 p = blank();
        flood_fill(p, c, r, 9);
        EXPECT_EQ(marked(p, 9).size(), 0u) << c << "," << r;
    }
    // A pixel that already has the colour: nothing changes.
    Picture24 p = blank();
    pixel_at(p, 5, 5) = 9;
    Picture24 before = p;
    flood_fill(p, 5, 5, 9);
    EXPECT_EQ(p, before);
    // Only four-connected: a diagonal gap in a wall does not leak.
    p = blank();
    for (int i = 0; i < 24; i++)
        pixel_at(p, i, 23 - i) = 1;   // the anti-diagonal
    flood_fill(p, 0, 0, 9);
    EXPECT_EQ(pixel_at(p, 22, 0), 9);
    EXPECT_EQ(pixel_at(p, 23, 1), 0);
    EXPECT_EQ(pixel_at(p, 23, 23), 0);
    EXPECT_EQ(pixel_at(p, 0, 23), 1);
}

TEST(GfxTools, FloodFillMatchesAPlainFillOnMazes)
{
    srand(5);
    for (int round = 0; round < 200; round++) {
        Picture24 p;
        const int density = 20 + round % 50;
        for (auto& v : p)
            v = uint8_t(rand() % 100 < density ? 1 : 0);
        // Some rounds draw combs whose teeth make many fronts at once.
        if (round % 4 == 0)
            for (int r = 1; r < 24; r++)
                for (int c = 1; c < 24; c += 2)
                    pixel_at(p, c, r) = uint8_t(r != 23 || c % 4 == 1);
        const int c = rand() % 24, r = rand() % 24;
        Picture24 want = p;
        reference_fill(want, c, r, pixel_at(p, c, r), 9);
        flood_fill(p, c, r, 9);
        ASSERT_EQ(p, want) << "round " << round;
    }
}

TEST(GfxTools, FloodFillOfARegionWiderThanItsRing)
{
    // Filled from the middle, this region has 84 pixels pending at once at
    // its widest, more than the ring's 64.
    const char* const rows[24] = {
        "###....##...#.###...#.##",
        "..##.#.##..#...######..#",
        "#....#..##........#..##.",
        "....##.......#.#...#.#..",
        "####......#.......##.#.#",
        "#..#..........#..#.###..",
        "..##.#......#.#.#...##.#",
        "###..#.#....#..#.#.#...#",
        "##..........#...........",
        "..#.##.#..#.#.###....##.",
        "##...#.#.####.#.......##",
        "#.#.##..##.#..##...#....",
        "....#...........#.#.....",
        "#.#......##.#.##.###.#..",
        "....##...#.#............",
        "#.#...#..#..#.#####....#",
        ".....##..#..#.#.#.....#.",
        "###...#.....#.#.........",
        "#..#.....##.#.#.......#.",
        "....#.......#......#..##",
        "#.###.......#.##...#..##",
        "###..##........#...#.##.",
        ".#...#.##.........#....#",
        "#...##.#..##.#.#####.##.",
    };
    Picture24 p;
    for (int r = 0; r < 24; r++)
        for (int c = 0; c < 24; c++)
            pixel_at(p, c, r) = rows[r][c] == '#' ? 1 : 0;
    Picture24 want = p;
    reference_fill(want, 12, 12, 0, 9);
    flood_fill(p, 12, 12, 9);
    EXPECT_EQ(p, want);
    EXPECT_EQ(576 - marked(p, 9).size(), 339u);
}

TEST(GfxTools, InvertBoxAndCrosshairFlipEachPixelOnce)
{
    const struct {
        int c0, r0, c1, r1, count;
    } cases[] = {{2, 3, 6, 8, 2 * 5 + 2 * 4}, {6, 8, 2, 3, 18}, {4, 4, 4, 4, 1}, {1, 5, 9, 5, 9}, {7, 0, 7, 23, 24}};
    for (const auto& c : cases) {
        Picture24 p = blank(10);
        invert_box(p, c.c0, c.r0, c.c1, c.r1);
        const Pixels flipped = marked(p, 10);
        EXPECT_EQ(int(flipped.size()), c.count) << c.c0 << "," << c.r0 << " " << c.c1 << "," << c.r1;
        for (auto [col, row] : flipped)
            EXPECT_EQ(pixel_at(p, col, row), 245);
    }
    Picture24 p = blank(10);
    invert_crosshair(p, 5, 7);
    const Pixels flipped = marked(p, 10);
    EXPECT_EQ(flipped.size(), 47u);
    EXPECT_EQ(pixel_at(p, 5, 7), 245);   // the crossing once, not twice
}

// A 3 by 5 block: pixel value 10 * row + column + 1.
GfxBlock three_by_five()
{
    Picture24 p = blank();
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 3; c++)
            pixel_at(p, 4 + c, 6 + r) = uint8_t(10 * r + c + 1);
    GfxBlock b{};
    capture_block(b, p, 6, 10, 4, 6, BG);   // dragged from bottom-right
    return b;
}

TEST(GfxTools, BlockCaptureRotationAndMirrors)
{
    GfxBlock b = three_by_five();
    EXPECT_EQ(b.width, 3);
    EXPECT_EQ(b.height, 5);
    EXPECT_EQ(b.hot_x, 1);
    EXPECT_EQ(b.hot_y, 2);
    EXPECT_EQ(b.transparent, BG);
    EXPECT_EQ(b.pixels[0], 1);
    EXPECT_EQ(b.pixels[14], 43);

    rotate_block(b);
    EXPECT_EQ(b.width, 5);
    EXPECT_EQ(b.height, 3);
    EXPECT_EQ(b.hot_x, 2);
    EXPECT_EQ(b.hot_y, 1);
    // Clockwise: the old bottom-left comes to the top-left, the old top-left
    // to the top-right.
    const uint8_t rotated[] = {41, 31, 21, 11, 1, 42, 32, 22, 12, 2, 43, 33, 23, 13, 3};
    for (int i = 0; i < 15; i++)
        EXPECT_EQ(b.pixels[size_t(i)], rotated[i]) << i;
    for (int i = 0; i < 3; i++)
        rotate_block(b);
    EXPECT_EQ(b.pixels, three_by_five().pixels);

    mirror_block_x(b);
    EXPECT_EQ(b.pixels[0], 3);
    EXPECT_EQ(b.pixels[2], 1);
    mirror_block_y(b);
    EXPECT_EQ(b.pixels[0], 43);
    EXPECT_EQ(b.pixels[14], 1);

    // Transforming the empty block changes nothing.
    GfxBlock empty{};
    rotate_block(empty);
    mirror_block_x(empty);
    mirror_block_y(empty);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
}

TEST(GfxTools, StampingTheBlockSkipsItsTransparentColour)
{
    Picture24 src = blank(BG);
    pixel_at(src, 0, 0) = 5;
    pixel_at(src, 2, 2) = 6;
    GfxBlock b{};
    capture_block(b, src, 0, 0, 2, 2, BG);   // 3 by 3, hot spot (1, 1)

    // bg has changed since the copy: the copy's bg still is the transparent one.
    PaintState later{FG, 11, BLOCK_BRUSH, &b};
    Picture24 p = blank(1);
    plot_brush(later, p, 10, 10, 1);
    EXPECT_EQ(marked(p, 1), (Pixels{{9, 9}, {11, 11}}));
    EXPECT_EQ(pixel_at(p, 9, 9), 5);
    EXPECT_EQ(pixel_at(p, 11, 11), 6);
    // The right button stamps the block's shape in bg.
    p = blank(1);
    plot_brush(later, p, 10, 10, 2);
    EXPECT_EQ(pixel_at(p, 9, 9), 11);
    EXPECT_EQ(pixel_at(p, 11, 11), 11);
    // Clipped at the corner; the empty block writes nothing.
    p = blank(1);
    plot_brush(later, p, 0, 0, 1);
    EXPECT_EQ(marked(p, 1), (Pixels{{1, 1}}));
    GfxBlock empty{};
    PaintState none{FG, BG, BLOCK_BRUSH, &empty};
    plot_brush(none, p, 5, 5, 1);
    EXPECT_EQ(marked(p, 1), (Pixels{{1, 1}}));
}

TEST(GfxTools, MirrorAndRotateTheCell)
{
    Picture24 p = blank();
    pixel_at(p, 0, 0) = 1;
    pixel_at(p, 5, 2) = 2;
    const Picture24 original = p;

    Picture24 q = p;
    mirror_x(q);
    EXPECT_EQ(pixel_at(q, 23, 0), 1);
    EXPECT_EQ(pixel_at(q, 18, 2), 2);
    EXPECT_EQ(marked(q).size(), 2u);
    mirror_x(q);
    EXPECT_EQ(q, original);

    q = p;
    mirror_y(q);
    EXPECT_EQ(pixel_at(q, 0, 23), 1);
    EXPECT_EQ(pixel_at(q, 5, 21), 2);
    mirror_y(q);
    EXPECT_EQ(q, original);

    // Clockwise: (column c, row r) goes to (column 23 - r, row c).
    q = p;
    rotate_cw(q);
    EXPECT_EQ(pixel_at(q, 23, 0), 1);
    EXPECT_EQ(pixel_at(q, 21, 5), 2);
    EXPECT_EQ(marked(q).size(), 2u);
    for (int i = 0; i < 3; i++)
        rotate_cw(q);
    EXPECT_EQ(q, original);
}

} // namespace
