// The background set: tiles in four variants, shadows, animation frames,
// the font, the frame around the field and the icons.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "canvas.h"
#include "picture/artwork.h"

namespace {

struct Palette {
    uint8_t sky[4];
    uint8_t mortar, brick[4];
    uint8_t stone[4];
    uint8_t wood[3];
    uint8_t rope[3];
    uint8_t escape[3];
    uint8_t gold[4];
    uint8_t gem[3];
    uint8_t red, blue, skin;
    uint8_t shadow, hole, rubble[2];
    uint8_t steel[4];
    uint8_t white, sparkle;
    uint8_t purple[3];
    uint8_t panel, icon;
};

Palette make_palette(Canvas& c)
{
    Palette p;
    // White first: colour 1 is the nearest white of every set's palette,
    // which the graphics editor's panel highlight swaps with black.
    p.white = c.add({255, 255, 255});
    const Colour sky[4] = {{12, 16, 36}, {17, 22, 46}, {23, 30, 60}, {40, 50, 88}};
    for (int i = 0; i < 4; i++)
        p.sky[i] = c.add(sky[i]);
    p.mortar = c.add({58, 48, 48});
    const Colour brick[4] = {{104, 30, 24}, {146, 46, 32}, {182, 70, 46}, {222, 118, 84}};
    for (int i = 0; i < 4; i++)
        p.brick[i] = c.add(brick[i]);
    const Colour stone[4] = {{52, 56, 68}, {92, 98, 114}, {136, 144, 160}, {190, 196, 210}};
    for (int i = 0; i < 4; i++)
        p.stone[i] = c.add(stone[i]);
    const Colour wood[3] = {{86, 50, 22}, {146, 94, 42}, {206, 152, 84}};
    for (int i = 0; i < 3; i++)
        p.wood[i] = c.add(wood[i]);
    const Colour rope[3] = {{110, 84, 46}, {178, 144, 88}, {228, 204, 146}};
    for (int i = 0; i < 3; i++)
        p.rope[i] = c.add(rope[i]);
    const Colour escape[3] = {{36, 96, 136}, {76, 168, 204}, {160, 226, 246}};
    for (int i = 0; i < 3; i++)
        p.escape[i] = c.add(escape[i]);
    const Colour gold[4] = {{128, 84, 8}, {208, 156, 26}, {250, 212, 76}, {255, 250, 200}};
    for (int i = 0; i < 4; i++)
        p.gold[i] = c.add(gold[i]);
    const Colour gem[3] = {{12, 104, 66}, {36, 196, 116}, {150, 255, 196}};
    for (int i = 0; i < 3; i++)
        p.gem[i] = c.add(gem[i]);
    p.red = c.add({226, 44, 40});
    p.blue = c.add({64, 140, 255});
    p.skin = c.add({240, 190, 150});
    p.shadow = c.add({2, 2, 6});
    p.hole = c.add({18, 12, 12});
    p.rubble[0] = c.add({58, 36, 28});
    p.rubble[1] = c.add({92, 56, 40});
    const Colour steel[4] = {{34, 40, 60}, {76, 90, 124}, {128, 148, 190}, {204, 216, 240}};
    for (int i = 0; i < 4; i++)
        p.steel[i] = c.add(steel[i]);
    p.sparkle = c.add({255, 246, 150});
    const Colour purple[3] = {{82, 30, 120}, {160, 70, 214}, {230, 170, 255}};
    for (int i = 0; i < 3; i++)
        p.purple[i] = c.add(purple[i]);
    // The tool panel is drawn in black and white, the two colours its
    // highlight exchanges.
    p.panel = 0;
    p.icon = p.white;
    return p;
}

// The night sky behind everything: dark blue with faint texture and a few stars.
void draw_sky(const Square& s, const Palette& p, int variant)
{
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            uint32_t h = hash3(x, y, variant + 11);
            uint8_t c = p.sky[0];
            if (h % 7 == 0)
                c = p.sky[1];
            if ((x + y + variant) % 24 == 0 && h % 3 == 0)
                c = p.sky[2];
            s.set(x, y, c);
        }
    const int stars[4][2] = {{5, 7}, {17, 4}, {9, 18}, {20, 15}};
    s.set(stars[variant][0], stars[variant][1], p.sky[3]);
    if (variant == 1 || variant == 3)
        s.set(stars[(variant + 2) % 4][0], stars[(variant + 2) % 4][1], p.sky[2]);
}

// Three courses of bricks; each variant shifts the bond and chips other bricks.
void draw_brick(const Square& s, const Palette& p, int variant)
{
    s.fill(0, 0, 23, 23, p.mortar);
    for (int course = 0; course < 3; course++) {
        int y0 = course * 8;
        int shift = ((course + variant) % 2) * 6 + (variant >= 2 ? 3 : 0);
        for (int b = -1; b < 3; b++) {
            int x0 = b * 12 + shift, x1 = x0 + 10;
            uint32_t h = hash3(b + 7 * course, variant, 3);
            int tone = 1 + int(h % 3 == 0);   // some bricks a shade lighter
            for (int y = y0; y < y0 + 7; y++)
                for (int x = x0; x <= x1; x++) {
                    if (x < 0 || x > 23)
                        continue;
                    uint8_t c = p.brick[tone];
                    if (y == y0)
                        c = p.brick[tone + 1];                 // lit top edge
                    else if (y == y0 + 6 || x == x1)
                        c = p.brick[0];                        // shaded bottom and right
                    else if (hash3(x, y, variant) % 11 == 0)
                        c = p.brick[tone == 1 ? 2 : 1];        // grain
                    s.set(x, y, c);
                }
            if (h % 5 == 1) {   // a chipped corner
                int cx = std::max(0, std::min(23, x1 - 1));
                s.set(cx, y0 + 1, p.mortar);
                s.set(cx, y0 + 2, p.brick[0]);
            }
        }
    }
}

void draw_solid(const Square& s, const Palette& p, int variant)
{
    s.fill(0, 0, 23, 23, p.stone[1]);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
            if (hash3(x, y, 40 + variant) % 9 == 0)
                s.set(x, y, p.stone[hash3(x, y, 3) % 2 ? 2 : 0]);
    s.fill(0, 0, 23, 1, p.stone[3]);
    s.fill(0, 0, 1, 23, p.stone[2]);
    s.fill(0, 22, 23, 23, p.stone[0]);
    s.fill(22, 0, 23, 23, p.stone[0]);
    s.set(0, 23, p.stone[1]);
    s.set(23, 0, p.stone[1]);
    // Rivets or a crack, by variant.
    if (variant % 2 == 0) {
        for (auto [x, y] : {std::pair{5, 5}, {18, 5}, {5, 18}, {18, 18}}) {
            s.set(x, y, p.stone[3]);
            s.set(x + 1, y + 1, p.stone[0]);
        }
    } else {
        int x = 8 + variant;
        for (int y = 4; y < 16; y++, x += (y % 3 == 0 ? 1 : 0))
            s.set(x, y, p.stone[0]);
    }
}

void draw_ladder(const Square& s, const uint8_t* c, int variant, bool dashed)
{
    for (int y = 0; y < 24; y++) {
        if (dashed && (y / 3) % 2)
            continue;
        for (int rail : {3, 18}) {
            s.set(rail, y, c[2]);
            s.set(rail + 1, y, c[1]);
            s.set(rail + 2, y, c[0]);
        }
    }
    for (int rung = 0; rung < 4; rung++) {
        int y = 2 + rung * 6;
        for (int x = 6; x <= 17; x++) {
            if (dashed && x % 4 == 0)
                continue;
            s.set(x, y, c[2]);
            s.set(x, y + 1, c[0]);
        }
    }
    if (!dashed)   // a knot of grain on one rail, different in every variant
        s.set(variant % 2 ? 4 : 19, 5 + variant * 5, c[0]);
}

// A twisted rope at the height where hanging hands hold it.
void draw_rope(const Square& s, const Palette& p, int variant)
{
    for (int x = 0; x < 24; x++) {
        int phase = (x + variant) % 4;
        s.set(x, 2, phase == 0 ? p.rope[2] : p.rope[1]);
        s.set(x, 3, phase == 1 ? p.rope[2] : (phase == 3 ? p.rope[0] : p.rope[1]));
        s.set(x, 4, phase == 2 ? p.rope[1] : p.rope[0]);
    }
}

// A small chest of gold standing on the floor of its cell.
void draw_object(const Square& s, const Palette& p, int variant)
{
    s.fill(5, 13, 18, 22, p.gold[1]);
    s.fill(5, 13, 18, 13, p.gold[2]);
    s.fill(5, 22, 18, 22, p.gold[0]);
    s.fill(5, 13, 5, 22, p.gold[2]);
    s.fill(18, 13, 18, 22, p.gold[0]);
    s.fill(5, 16, 18, 16, p.gold[0]);            // the lid's seam
    s.fill(11, 15, 12, 18, p.wood[0]);           // the lock
    s.set(11, 16, p.gold[3]);
    // Coins heaped on the lid, differently in each variant.
    for (int i = 0; i < 5; i++) {
        int x = 6 + int(hash3(i, variant, 77) % 11);
        int y = 10 + int(hash3(i, variant, 78) % 3);
        s.fill(x, y, x + 1, y + 1, p.gold[2]);
        s.set(x, y, p.gold[3]);
    }
}

void draw_marker(const Square& s, const Palette& p, uint8_t body, int variant)
{
    s.disc(12, 7, 3.5, p.skin);
    s.stroke(12, 11, 12, 17, 2.5, body);
    s.stroke(12, 17, 8, 22, 1.2, body);
    s.stroke(12, 17, 16, 22, 1.2, body);
    s.stroke(12, 12, 7, 15 - variant % 2, 1.0, body);
    s.stroke(12, 12, 17, 15 - variant % 2, 1.0, body);
    s.outline(p.white);
}

void draw_flashing_object(const Square& s, const Palette& p, int variant)
{
    draw_object(s, p, variant);
    // A green gem on top tells the editor's user that this one may flash.
    s.disc(12, 9, 3.0, p.gem[1]);
    s.set(11, 8, p.gem[2]);
    s.set(13, 11, p.gem[0]);
}

void draw_bonus(const Square& s, const Palette& p)
{
    s.disc(12, 12, 8.5, p.purple[0]);
    s.disc(12, 12, 6.5, p.purple[1]);
    // A spiral of light, the mark of the hidden enemy.
    for (double a = 0; a < 11; a += 0.05) {
        double r = 0.55 * a;
        s.set(int(12 + r * cos(a)), int(12 + r * sin(a)), p.purple[2]);
    }
    s.outline(p.shadow);
}

// The hole in a dug brick: fully opaque, dark, with rubble on its floor.
void draw_hole(const Square& s, const Palette& p, int stage)
{
    // stage 1..6 of 6: how much of the hole is shown; the rest stays
    // transparent so the brick under the sprite shows through.
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            double noise = (hash3(x / 2, y / 2, 5) % 100) / 100.0;
            double metric = (y + noise * 10.0) / 34.0;
            if (metric >= stage / 6.0 && stage < 6)
                continue;
            uint8_t c = p.hole;
            if (y >= 20 && hash3(x, y, 9) % 3)
                c = p.rubble[hash3(x, y, 10) % 2];
            else if (x == 0 || x == 23)
                c = p.shadow;
            s.set(x, y, c);
        }
}

void draw_sparkle(const Square& s, const Palette& p, int size)
{
    int cx = 12, cy = 14;
    for (int d = -size; d <= size; d++) {
        uint8_t c = (std::abs(d) <= size / 2) ? p.white : p.sparkle;
        s.set(cx + d, cy, c);
        s.set(cx, cy + d, c);
    }
    if (size >= 3)
        for (int d = 1; d <= size / 2; d++) {
            s.set(cx + d, cy + d, p.sparkle);
            s.set(cx - d, cy - d, p.sparkle);
            s.set(cx + d, cy - d, p.sparkle);
            s.set(cx - d, cy + d, p.sparkle);
        }
}

void draw_shadow(const Square& s, const Palette& p, int bits)
{
    // Bit 0: the cell above casts; bit 1: the cell above-left; bit 2: the cell left.
    // Solid next to the casting block, dithered further out.
    auto shade = [&](int x, int y, int depth) {
        if (depth < 3 || (x + y) % 2 == 0)
            s.set(x, y, p.shadow);
    };
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            bool top = (bits & 1) && y < 5 && x >= ((bits & 6) ? 0 : 5 - y);
            bool left = (bits & 4) && x < 5 && y >= ((bits & 3) ? 0 : 5 - x);
            bool corner = (bits & 2) && x < 5 && y < 5 && x + y < 6;
            if (top)
                shade(x, y, y);
            else if (left)
                shade(x, y, x);
            else if (corner)
                shade(x, y, std::max(x, y));
        }
}

// Frame pieces: a steel girder along the field, riveted.
void girder_h(const Square& s, const Palette& p, int y0)
{
    for (int y = y0; y < y0 + 12; y++)
        for (int x = 0; x < 24; x++) {
            int d = y - y0;
            uint8_t c = d == 0 ? p.steel[3] : (d < 3 ? p.steel[2] : (d < 10 ? p.steel[1] : p.steel[0]));
            s.set(x, y, c);
        }
    for (int x : {5, 17}) {
        s.set(x, y0 + 5, p.steel[3]);
        s.set(x + 1, y0 + 6, p.steel[0]);
    }
}

void girder_v(const Square& s, const Palette& p, int x0)
{
    for (int x = x0; x < x0 + 12; x++)
        for (int y = 0; y < 24; y++) {
            int d = x - x0;
            uint8_t c = d == 0 ? p.steel[3] : (d < 3 ? p.steel[2] : (d < 10 ? p.steel[1] : p.steel[0]));
            s.set(x, y, c);
        }
    for (int y : {5, 17}) {
        s.set(x0 + 5, y, p.steel[3]);
        s.set(x0 + 6, y + 1, p.steel[0]);
    }
}

void corner(const Square& s, const Palette& p, int x0, int y0)
{
    s.fill(x0, y0, x0 + 11, y0 + 11, p.steel[1]);
    s.fill(x0, y0, x0 + 11, y0, p.steel[3]);
    s.fill(x0, y0, x0, y0 + 11, p.steel[2]);
    s.fill(x0, y0 + 11, x0 + 11, y0 + 11, p.steel[0]);
    s.fill(x0 + 11, y0, x0 + 11, y0 + 11, p.steel[0]);
    s.disc(x0 + 6, y0 + 6, 2.2, p.steel[2]);
    s.set(x0 + 5, y0 + 5, p.steel[3]);
}

void draw_frame(Canvas& c, const Palette& p)
{
    girder_h({&c, FRAME_TOP}, p, 12);   // top edge: the girder lies next to the field
    girder_h({&c, FRAME_BOTTOM}, p, 0);
    girder_v({&c, FRAME_LEFT}, p, 12);
    girder_v({&c, FRAME_RIGHT}, p, 0);
    corner({&c, FRAME_TOP_LEFT}, p, 12, 12);
    corner({&c, FRAME_TOP_RIGHT}, p, 0, 12);
    corner({&c, FRAME_BOTTOM_LEFT}, p, 12, 0);
    corner({&c, FRAME_BOTTOM_RIGHT}, p, 0, 0);
}

// The graphics editor's tool panel: 2 by 2 icons of 12 by 12 per square.
void draw_tool_panel(Canvas& c, const Palette& p)
{
    for (int square = TOOL_PANEL_FIRST; square <= TOOL_PANEL_FIRST + 3; square++)
        Square{&c, square}.fill(0, 0, 23, 23, p.panel);
    // Four icons to a square, one in each quarter.
    for (int k = 0; k < 14; k++) {
        const Square s{&c, TOOL_PANEL_FIRST + k / 4};
        const int ox = 12 * (k % 4 % 2), oy = 12 * (k % 4 / 2);
        auto px = [&](int x, int y) { s.set(ox + x, oy + y, p.icon); };
        switch (k) {
        case 0:   // undo: a hooked arrow
            for (int x = 3; x <= 8; x++)
                px(x, 4);
            for (int y = 4; y <= 8; y++)
                px(9, y);
            for (int x = 3; x <= 8; x++)
                px(x, 8);
            px(2, 3), px(2, 4), px(2, 5), px(1, 4), px(3, 2), px(3, 6);
            break;
        case 1:   // line
            for (int i = 2; i <= 9; i++)
                px(i, 11 - i);
            break;
        case 2:   // box outline
            for (int i = 2; i <= 9; i++)
                px(i, 2), px(i, 9), px(2, i), px(9, i);
            break;
        case 3:   // filled rectangle
            for (int y = 3; y <= 8; y++)
                for (int x = 2; x <= 9; x++)
                    px(x, y);
            break;
        case 4:   // flood fill: a tipped bucket
            for (int i = 0; i < 5; i++)
                px(3 + i, 2 + i), px(2 + i, 5 + i), px(3, 2 + i), px(7, 2 + i);
            px(9, 7), px(9, 8), px(10, 9);
            break;
        case 5:   // idle: a pointer
            for (int y = 2; y <= 9; y++)
                for (int x = 3; x <= 3 + (y - 2) / 2; x++)
                    px(x, y);
            px(6, 10), px(7, 11);
            break;
        case 6:   // draw: a pencil
            for (int i = 0; i < 6; i++)
                px(3 + i, 8 - i), px(4 + i, 8 - i);
            px(2, 9), px(3, 9);
            break;
        case 7:   // clear: a cross
            for (int i = 2; i <= 9; i++)
                px(i, i), px(11 - i, i);
            break;
        default: {   // brushes 1..6 of growing size
            int size = k - 7;
            for (int y = 0; y < 12; y++)
                for (int x = 0; x < 12; x++) {
                    double dx = x - 5.5, dy = y - 5.5;
                    if (dx * dx + dy * dy <= size * size * 0.7 + 0.3)
                        px(x, y);
                }
        }
        }
        // A thin separating line between the panel's cells.
        for (int i = 0; i < 12; i++)
            s.set(ox + 11, oy + i, p.sky[1]), s.set(ox + i, oy + 11, p.sky[1]);
    }
}

void draw_penalty(const Square& s, const Palette& p, bool killing)
{
    if (killing) {   // a skull
        s.disc(12, 10, 7, p.white);
        s.fill(8, 15, 16, 19, p.white);
        s.disc(9, 10, 1.8, p.shadow);
        s.disc(15, 10, 1.8, p.shadow);
        s.set(12, 13, p.shadow);
        for (int x = 9; x <= 15; x += 2)
            s.set(x, 18, p.shadow);
    } else {         // a cage
        for (int x = 5; x <= 19; x += 3)
            s.fill(x, 5, x, 20, p.steel[2]);
        s.fill(4, 4, 20, 5, p.steel[3]);
        s.fill(4, 20, 20, 21, p.steel[1]);
    }
    s.stroke(3, 3, 20, 20, 1.2, p.red);
    s.outline(p.shadow);
}

void draw_font(Canvas& c, const Palette& p, const std::string& font_path)
{
    std::ifstream in(font_path);
    if (!in) {
        fprintf(stderr, "make_artwork: cannot read %s\n", font_path.c_str());
        exit(1);
    }
    std::string line;
    int glyph = -1, row = 0;
    while (std::getline(in, line)) {
        if (line.rfind("glyph ", 0) == 0) {
            glyph++;
            row = 0;
            continue;
        }
        if (glyph < 0 || line.empty() || line[0] == ';' || row >= 12)
            continue;
        int gx = square_x(GLYPH_SQUARE) + GLYPH_WIDTH * (glyph % GLYPHS_PER_ROW);
        int gy = square_y(GLYPH_SQUARE) + GLYPH_HEIGHT * (glyph / GLYPHS_PER_ROW);
        for (int x = 0; x < 8 && x < int(line.size()); x++)
            if (line[size_t(x)] == '#')
                c.pixels[size_t((gy + row) * 320 + gx + x)] = p.white;
        row++;
    }
    if (glyph != 53) {
        fprintf(stderr, "make_artwork: %s holds %d glyphs, the font has 54\n", font_path.c_str(), glyph + 1);
        exit(1);
    }
}

} // namespace

void draw_background_set(Canvas& c, const std::string& font_path)
{
    const Palette p = make_palette(c);
    for (int v = 0; v < 4; v++) {
        auto sq = [&](int code) { return Square{&c, tile_square(code, v)}; };
        draw_sky(sq(0), p, v);
        draw_brick(sq(1), p, v);
        draw_solid(sq(2), p, v);
        draw_ladder(sq(3), p.wood, v, false);
        draw_rope(sq(4), p, v);
        draw_brick(sq(5), p, v);            // a false brick looks like any brick
        draw_ladder(sq(6), p.escape, v, true);
        draw_object(sq(7), p, v);
        draw_marker(sq(8), p, p.red, v);
        draw_marker(sq(9), p, p.blue, v);
        draw_brick(sq(10), p, v);           // so does the hidden enemy's brick
        draw_flashing_object(sq(11), p, v);
    }
    for (int bits = 1; bits <= 7; bits++)
        draw_shadow({&c, SHADOW_BASE + bits}, p, bits);
    const int sparkle_sizes[4] = {1, 2, 3, 5};
    for (int i = 0; i < 4; i++)
        draw_sparkle({&c, SPARKLE_BASE + i}, p, sparkle_sizes[i]);
    // 62 stays empty: the rest frame of the flashing overlay and the last
    // frame of a regrowing brick, which then shows the brick beneath.
    for (int stage = 1; stage <= 6; stage++)
        draw_hole({&c, HOLE_STAGE_BASE + stage}, p, stage);
    draw_font(c, p, font_path);
    draw_frame(c, p);
    draw_bonus({&c, SQUARE_HIDDEN_BONUS}, p);
    draw_tool_panel(c, p);
    draw_penalty({&c, SQUARE_CRUSH_PENALTY}, p, true);
    draw_penalty({&c, SQUARE_TRAP_PENALTY}, p, false);
}
