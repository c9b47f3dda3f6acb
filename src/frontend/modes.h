// The game side's modes: the main menu, the demonstration and play.
#pragma once

void main_menu_handler();
void demo_handler();
void play_handler();
// Installs the demonstration handler and starts the demonstration of current_level.
void demo_mode();
void draw_main_menu();
void show_main_menu();
// The first level without a stored movie, unpacked into the grid (level 1
// when every level has one). False, with current_level unchanged, when not
// even level 1 can be unpacked.
bool first_unsolved_level();
// F12 in a demonstration: the player goes on from the replay's state.
void take_over_demo();
