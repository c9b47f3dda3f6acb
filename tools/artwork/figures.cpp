// The figure sets: 96 poses of a jointed figure, drawn from joint positions
// that each animation computes frame by frame, then outlined so the figures
// stand out against any background.
#include <cmath>

#include "canvas.h"

namespace {

constexpr double PI = 3.14159265358979;

struct Costume {
    uint8_t skin, hair, shirt, shirt_dark, legs, legs_dark, boots, eye, outline, mark;
    bool hood;     // enemies wear hoods over their heads
    bool spiral;   // the hidden enemy bears a spiral on its chest
};

struct Point {
    double x, y;
};

// One figure: view 1 right, -1 left, 0 front, 2 back.
struct Pose {
    int view;
    Point head, neck, hip;
    Point elbow[2], hand[2];   // [0] the far arm, [1] the near arm
    Point knee[2], foot[2];
    bool tool;                 // digging: a pick in the near hand
    Point tool_tip;
};

Costume make_costume(Canvas& c, int kind)
{
    Costume k{};
    k.outline = c.add({10, 8, 16});
    if (kind == 1) {   // the hero: blue overalls, a yellow cap
        k.skin = c.add({246, 196, 150});
        k.hair = c.add({250, 200, 40});
        k.shirt = c.add({70, 150, 255});
        k.shirt_dark = c.add({36, 90, 200});
        k.legs = c.add({40, 60, 150});
        k.legs_dark = c.add({24, 36, 100});
        k.boots = c.add({120, 70, 30});
        k.eye = c.add({20, 20, 40});
        k.mark = c.add({255, 255, 255});
    } else if (kind == 2) {   // the main enemy: a hooded monk in crimson
        k.skin = c.add({150, 200, 120});
        k.hair = c.add({120, 16, 24});
        k.shirt = c.add({200, 32, 40});
        k.shirt_dark = c.add({130, 18, 28});
        k.legs = c.add({150, 24, 34});
        k.legs_dark = c.add({90, 12, 20});
        k.boots = c.add({50, 30, 30});
        k.eye = c.add({255, 236, 60});
        k.mark = c.add({255, 170, 60});
        k.hood = true;
    } else {   // the hidden enemy: a violet spirit with a green spiral
        k.skin = c.add({190, 255, 230});
        k.hair = c.add({90, 40, 140});
        k.shirt = c.add({150, 80, 220});
        k.shirt_dark = c.add({96, 44, 160});
        k.legs = c.add({110, 56, 180});
        k.legs_dark = c.add({70, 30, 120});
        k.boots = c.add({40, 200, 120});
        k.eye = c.add({255, 80, 200});
        k.mark = c.add({80, 255, 150});
        k.hood = true;
        k.spiral = true;
    }
    return k;
}

void draw_limb(const Square& s, Point a, Point b, Point c, double r, uint8_t colour, uint8_t end, double end_r)
{
    s.stroke(a.x, a.y, b.x, b.y, r, colour);
    s.stroke(b.x, b.y, c.x, c.y, r, colour);
    s.disc(c.x, c.y, end_r, end);
}

void draw_pose(const Square& s, const Costume& k, const Pose& p)
{
    s.clear();
    const bool side = p.view == 1 || p.view == -1;
    // Far limbs first, in darker cloth.
    draw_limb(s, p.hip, p.knee[0], p.foot[0], 1.3, k.legs_dark, k.boots, 1.4);
    draw_limb(s, p.neck, p.elbow[0], p.hand[0], 1.0, k.shirt_dark, k.skin, 1.1);
    // Torso and head.
    s.stroke(p.neck.x, p.neck.y + 1, p.hip.x, p.hip.y, 2.6, k.shirt);
    s.stroke(p.hip.x - 1.5, p.hip.y, p.hip.x + 1.5, p.hip.y, 1.4, k.legs);
    if (k.spiral)
        for (double a = 0; a < 9; a += 0.08) {
            double r = 0.28 * a;
            s.set(int(p.neck.x + (p.hip.x - p.neck.x) * 0.5 + r * cos(a * p.view) + 0.5),
                  int(p.neck.y + (p.hip.y - p.neck.y) * 0.55 + r * sin(a) + 0.5), k.mark);
        }
    else if (side)
        s.set(int(p.neck.x + 0.5 * p.view + 0.5), int(p.neck.y + 3), k.mark);   // a button
    s.disc(p.head.x, p.head.y, 3.3, k.hood ? k.hair : k.skin);
    if (k.hood) {
        // The face shows inside the hood.
        double fx = p.head.x + (side ? 1.2 * p.view : 0), fy = p.head.y + 0.6;
        if (p.view != 2)
            s.disc(fx, fy, 1.9, k.skin);
        s.stroke(p.head.x, p.head.y - 3.5, p.head.x - (side ? 2.0 * p.view : 0), p.head.y - 5, 0.8, k.hair);
    } else {
        // A cap with its peak towards the view.
        s.stroke(p.head.x - 2.8, p.head.y - 1.6, p.head.x + 2.8, p.head.y - 1.6, 1.2, k.hair);
        if (side)
            s.stroke(p.head.x, p.head.y - 2.2, p.head.x + 4.2 * p.view, p.head.y - 1.6, 0.8, k.hair);
        if (p.view == 2)
            s.disc(p.head.x, p.head.y, 2.6, k.hair);
    }
    // Eyes: one in profile, two from the front, none from the back.
    if (side) {
        s.set(int(p.head.x + 1.6 * p.view + 0.5), int(p.head.y + 0.3), k.eye);
    } else if (p.view == 0) {
        s.set(int(p.head.x - 1.0), int(p.head.y + 0.3), k.eye);
        s.set(int(p.head.x + 1.5), int(p.head.y + 0.3), k.eye);
    }
    // Near limbs last.
    draw_limb(s, p.hip, p.knee[1], p.foot[1], 1.3, k.legs, k.boots, 1.4);
    if (p.tool) {
        s.stroke(p.hand[1].x, p.hand[1].y, p.tool_tip.x, p.tool_tip.y, 0.7, k.boots);
        double dx = p.tool_tip.x - p.hand[1].x, dy = p.tool_tip.y - p.hand[1].y;
        double len = std::sqrt(dx * dx + dy * dy);
        double nx = -dy / len * 2.5, ny = dx / len * 2.5;
        s.stroke(p.tool_tip.x - nx, p.tool_tip.y - ny, p.tool_tip.x + nx, p.tool_tip.y + ny, 0.8, k.mark);
    }
    draw_limb(s, p.neck, p.elbow[1], p.hand[1], 1.0, k.shirt, k.skin, 1.1);
    s.outline(k.outline);
}

Point at(double x, double y) { return {x, y}; }

// Joint from a start point, an angle (0 = straight down, positive towards
// the view direction) and a length.
Point swing(Point from, double degrees, double length, int view)
{
    double a = degrees * PI / 180.0;
    return {from.x + std::sin(a) * length * (view == -1 ? -1 : 1), from.y + std::cos(a) * length};
}

Pose walking(int f)
{
    double a = 2 * PI * f / 12.0;
    double bob = std::fabs(std::sin(a)) * 1.0;
    Pose p{};
    p.view = 1;
    p.hip = at(12, 15 + bob * 0.5 - 0.5);
    p.neck = at(12.6, 9 + bob * 0.5 - 0.5);
    p.head = at(13.2, 5.6 + bob * 0.5 - 0.5);
    for (int i = 0; i < 2; i++) {
        double s = std::sin(a + PI * i);
        double thigh = 32 * s;
        double shin = thigh - 28 * std::max(0.0, -std::cos(a + PI * i));   // the back leg bends
        p.knee[i] = swing(p.hip, thigh, 4.3, 1);
        p.foot[i] = swing(p.knee[i], shin, 4.3, 1);
        double arm = -34 * s;
        p.elbow[i] = swing(p.neck, arm, 3.4, 1);
        p.hand[i] = swing(p.elbow[i], arm + 25, 3.2, 1);
    }
    return p;
}

Pose hanging(int f)
{
    double a = 2 * PI * f / 12.0;
    Pose p{};
    p.view = 1;
    double sway = 0.8 * std::sin(a);
    p.head = at(12 + sway, 8.2);
    p.neck = at(12 + sway, 11.2);
    p.hip = at(12 + sway * 1.4, 16.6);
    // Hand over hand along the rope (held at y 3).
    p.hand[0] = at(12 - 3.5 + 2.5 * std::sin(a), 3);
    p.hand[1] = at(12 + 3.5 + 2.5 * std::sin(a + PI), 3);
    for (int i = 0; i < 2; i++) {
        p.elbow[i] = at((p.neck.x + p.hand[i].x) / 2 + (i ? 1.2 : -1.2), 7);
        p.knee[i] = swing(p.hip, 10 * std::sin(a + PI * i), 3.6, 1);
        p.foot[i] = swing(p.knee[i], 10 * std::sin(a + PI * i) - 12, 3.4, 1);
    }
    return p;
}

Pose falling(int f)
{
    double a = 2 * PI * f / 12.0;
    Pose p{};
    p.view = 0;
    p.head = at(12, 8.5);
    p.neck = at(12, 11.5);
    p.hip = at(12, 17);
    for (int i = 0; i < 2; i++) {
        double side = i ? 1 : -1;
        double flap = std::sin(a + PI * i);
        p.elbow[i] = at(12 + side * 4.2, 8 - flap);
        p.hand[i] = at(12 + side * 6.5, 4.5 - 1.8 * flap);
        p.knee[i] = at(12 + side * (3 + flap), 20);
        p.foot[i] = at(12 + side * (4.5 + 1.5 * flap), 22.6 - std::fabs(flap));
    }
    return p;
}

Pose climbing(int f)
{
    double a = 2 * PI * f / 12.0;
    Pose p{};
    p.view = 2;
    p.head = at(12, 6.5);
    p.neck = at(12, 9.5);
    p.hip = at(12, 16);
    for (int i = 0; i < 2; i++) {
        double side = i ? 1 : -1;
        double reach = std::sin(a + PI * i);
        // Hands on the ladder's rails (x 4 and 19), reaching up in turn.
        p.hand[i] = at(12 + side * 7, 5.5 - 2.5 * reach);
        p.elbow[i] = at(12 + side * 5.5, 10 - 1.5 * reach);
        p.foot[i] = at(12 + side * 4, 22.5 + 1.5 * reach);
        p.knee[i] = at(12 + side * 4.5, 19 + 1.2 * reach);
    }
    return p;
}

Pose digging(int f)
{
    // Raise the pick (frames 0..2), strike down and to the side (3..5).
    const double raise[6] = {-150, -170, -190, -110, -60, -35};
    Pose p{};
    p.view = 1;
    p.head = at(13.5, 7);
    p.neck = at(13, 10.5);
    p.hip = at(11.5, 16.5);
    p.knee[0] = swing(p.hip, -20, 4.2, 1);
    p.foot[0] = swing(p.knee[0], 5, 4.2, 1);
    p.knee[1] = swing(p.hip, 30, 4.2, 1);
    p.foot[1] = swing(p.knee[1], -5, 4.2, 1);
    double arm = raise[f];
    p.elbow[1] = swing(p.neck, arm + 180 > 180 ? arm : -arm, 3.4, 1);
    p.elbow[1] = swing(p.neck, -arm - 180 + 90, 3.4, 1);
    p.hand[1] = swing(p.elbow[1], -arm - 180 + 110, 3.2, 1);
    p.elbow[0] = at(p.elbow[1].x - 1, p.elbow[1].y + 0.5);
    p.hand[0] = at(p.hand[1].x - 0.8, p.hand[1].y + 0.8);
    p.tool = true;
    double tool_angle = (-arm - 180 + 140) * PI / 180.0;
    p.tool_tip = at(p.hand[1].x + std::sin(tool_angle) * 7, p.hand[1].y + std::cos(tool_angle) * 7);
    return p;
}

Pose idle(int f)
{
    Pose p = falling(0);
    double breath = 0.4 * std::sin(2 * PI * f / 12.0);
    p.head = at(12, 5.6 + breath);
    p.neck = at(12, 8.8 + breath);
    p.hip = at(12, 15);
    for (int i = 0; i < 2; i++) {
        double side = i ? 1 : -1;
        p.elbow[i] = at(12 + side * 3.2, 12);
        p.hand[i] = at(12 + side * 3.6, 15.2 + breath);
        p.knee[i] = at(12 + side * 1.8, 19);
        p.foot[i] = at(12 + side * 2.2, 22.6);
    }
    return p;
}

} // namespace

void draw_figure_set(Canvas& c, int kind)
{
    // Colour 1 is white in every set, as in the background set: the graphics
    // editor shows the background set's tool panel (black and colour 1)
    // through the palette of the set being edited.
    c.add({255, 255, 255});
    const Costume k = make_costume(c, kind);
    for (int f = 0; f < 12; f++) {
        draw_pose({&c, f}, k, idle(f));
        draw_pose({&c, 24 + f}, k, walking(f));
        Square{&c, 12 + f}.mirror_from({&c, 24 + f});
        draw_pose({&c, 48 + f}, k, hanging(f));
        Square{&c, 36 + f}.mirror_from({&c, 48 + f});
        draw_pose({&c, 60 + f}, k, falling(f));
        draw_pose({&c, 72 + f}, k, climbing(f));
    }
    for (int f = 0; f < 6; f++) {
        draw_pose({&c, 90 + f}, k, digging(f));
        Square{&c, 84 + f}.mirror_from({&c, 90 + f});
    }
}
