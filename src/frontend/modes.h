// The game side's modes: the main menu, the demonstration and play.
#pragma once

#include "view/session.h"

void main_menu_handler(Session& session);
void demo_handler(Session& session);
void play_handler(Session& session);
// Installs the demonstration handler and starts the demonstration of the
// session's level.
void demo_mode(Session& session);
void draw_main_menu();
void show_main_menu();
// A line of news under the main menu, shown at once.
void show_under_menu(const char* text);
// F12 in a demonstration: the player goes on from the replay's state.
void take_over_demo(Session& session);
