// The help screen that H opens from the main menu: the goal of the game, the
// play keys as they are bound now, the other keys of play and of both
// editors. Any key goes back to the menu.
#pragma once
#include <array>

constexpr int HELP_LINE_COUNT = 30;
constexpr int HELP_LINE_WIDTH = 78;   // characters; the screen holds 80
using HelpLine = std::array<char, HELP_LINE_WIDTH + 1>;
using HelpText = std::array<HelpLine, HELP_LINE_COUNT>;

// The screen's lines, with the six movement and digging keys named as the
// configuration binds them. Unused lines are empty.
void build_help_text(HelpText& text);
// Clears the screen, draws the help text and pushes it to the display.
void show_help();
// The mode handler while the help is shown.
struct Session;
void help_handler(Session& session);
