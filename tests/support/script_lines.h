// Lines of the script driver's format (VORBIX_SCRIPT), written from SDL's key
// names: the one way the tests write scripts.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace scriptline {

// "FRAME ACTION KEY": action press, down or up.
std::string key(long frame, const char* action, int sym);
std::string press(long frame, int sym);
// A key held over one frame, as a hand holds it: key_down sees it.
std::string hold(long frame, int sym);
// A key pressed with a modifier held around it, let go in the next frame.
std::string with(long frame, int modifier, int sym);
// The modifier let go in the same batch of events: only the key's own
// event tells that it was down.
std::string tapped_with(long frame, int modifier, int sym);
// Alt+X, which ends the program, with Left Alt left down.
std::string alt_x(long frame);

std::string motion(long frame, int x, int y);
// "FRAME mouse ACTION BUTTON X Y".
std::string mouse(long frame, const char* action, int button, int x, int y);
// A click as a hand makes it: the button stays down for one frame.
std::string click(long frame, int button, int x, int y);
// A drag with one button from the first point through the others, one
// point a frame, released on the last; starts at frame `frame`.
std::string drag(long frame, int button, const std::vector<std::pair<int, int>>& points);

// The key lines that give the hero `input` (an input code) at `tick` with
// the first-start bindings, the key `*held` held until now: a key goes
// down, and the one before goes up, in the frame before the tick.
std::string input_key(int tick, int input, int* held);

// A line for the next modal wait: a press, or the given action.
std::string modal(int sym);
std::string modal(const char* action, int sym);

} // namespace scriptline
