// A 320 by 200 set picture under construction: a named palette, drawing in
// 24 by 24 squares, and the writer that saves it as an ILBM.
#pragma once
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>


#include "picture/artwork.h"
struct Colour {
    uint8_t r, g, b;
};

struct Canvas {
    std::array<uint8_t, 320 * 200> pixels{};
    std::array<uint8_t, 768> palette{};
    int colours = 1;   // index 0 is transparent

    // Adds a colour to the palette and returns its index.
    uint8_t add(Colour c)
    {
        palette[3 * colours] = c.r;
        palette[3 * colours + 1] = c.g;
        palette[3 * colours + 2] = c.b;
        return uint8_t(colours++);
    }
};

// Drawing into one square: coordinates are 0..23 inside it; writes outside
// the square are dropped, so shapes can be clipped by their square.
struct Square {
    Canvas* canvas;
    int number;

    uint8_t* at(int x, int y) const
    {
        return &canvas->pixels[size_t(square_offset(number) + y * SET_PICTURE_WIDTH + x)];
    }
    uint8_t get(int x, int y) const { return (x < 0 || y < 0 || x > 23 || y > 23) ? 0 : *at(x, y); }
    void set(int x, int y, uint8_t c) const
    {
        if (x >= 0 && y >= 0 && x < 24 && y < 24)
            *at(x, y) = c;
    }
    void fill(int x0, int y0, int x1, int y1, uint8_t c) const   // corners included
    {
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                set(x, y, c);
    }
    void clear() const { fill(0, 0, 23, 23, 0); }
    // A round-ended stroke of the given radius between two points.
    void stroke(double x0, double y0, double x1, double y1, double radius, uint8_t c) const
    {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++) {
                double px = x + 0.5, py = y + 0.5;
                double dx = x1 - x0, dy = y1 - y0;
                double len2 = dx * dx + dy * dy;
                double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
                t = t < 0 ? 0 : (t > 1 ? 1 : t);
                double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
                if (ex * ex + ey * ey <= radius * radius)
                    set(x, y, c);
            }
    }
    void disc(double cx, double cy, double radius, uint8_t c) const { stroke(cx, cy, cx, cy, radius, c); }
    // Every transparent pixel that touches a drawn one (not diagonally) becomes c.
    void outline(uint8_t c) const
    {
        std::vector<std::pair<int, int>> edge;
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                if (!get(x, y) && (get(x - 1, y) || get(x + 1, y) || get(x, y - 1) || get(x, y + 1)))
                    edge.push_back({x, y});
        for (auto [x, y] : edge)
            set(x, y, c);
    }
    void copy_from(const Square& other) const
    {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                set(x, y, other.get(x, y));
    }
    void mirror_from(const Square& other) const
    {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                set(x, y, other.get(23 - x, y));
    }
};

// Deterministic noise for textures: the same value for the same inputs.
inline uint32_t hash3(int a, int b, int c)
{
    uint32_t h = uint32_t(a) * 73856093u ^ uint32_t(b) * 19349663u ^ uint32_t(c) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

void draw_background_set(Canvas& canvas, const std::string& font_path);
void draw_figure_set(Canvas& canvas, int kind);   // 1 hero, 2 main enemy, 3 hidden enemy
