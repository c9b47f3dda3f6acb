#include "support/script_lines.h"

#include "core/keys.h"

namespace scriptline {

std::string key(long frame, const char* action, int sym)
{
    return std::to_string(frame) + " " + action + " " + std::to_string(sym) + "\n";
}

std::string press(long frame, int sym) { return key(frame, "press", sym); }

std::string hold(long frame, int sym) { return key(frame, "down", sym) + key(frame + 1, "up", sym); }

std::string with(long frame, int modifier, int sym)
{
    return key(frame, "down", modifier) + press(frame, sym) + key(frame + 1, "up", modifier);
}

std::string tapped_with(long frame, int modifier, int sym)
{
    return key(frame, "down", modifier) + press(frame, sym) + key(frame, "up", modifier);
}

std::string alt_x(long frame) { return key(frame, "down", KEY_LALT) + press(frame, KEY_x); }

std::string motion(long frame, int x, int y)
{
    return std::to_string(frame) + " motion " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

std::string mouse(long frame, const char* action, int button, int x, int y)
{
    return std::to_string(frame) + " mouse " + action + " " + std::to_string(button) + " " + std::to_string(x) + " " +
           std::to_string(y) + "\n";
}

std::string click(long frame, int button, int x, int y)
{
    return mouse(frame, "down", button, x, y) + mouse(frame + 1, "up", button, x, y);
}

std::string drag(long frame, int button, const std::vector<std::pair<int, int>>& points)
{
    std::string s = mouse(frame, "down", button, points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); i++)
        s += motion(frame + long(i), points[i].first, points[i].second);
    return s + mouse(frame + long(points.size()), "up", button, points.back().first, points.back().second);
}

std::string input_key(int tick, int input, int* held)
{
    static constexpr int BINDINGS[] = {0, KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_LCTRL, KEY_LALT};
    const int want = BINDINGS[input];
    if (want == *held)
        return "";
    std::string s;
    if (*held)
        s += key(tick - 1, "up", *held);
    if (want)
        s += key(tick - 1, "down", want);
    *held = want;
    return s;
}

std::string modal(int sym) { return "modal " + std::to_string(sym) + "\n"; }

std::string modal(const char* action, int sym) { return std::string("modal ") + action + " " + std::to_string(sym) + "\n"; }

} // namespace scriptline
