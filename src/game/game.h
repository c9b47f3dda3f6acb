// The running level as the frame loop sees it.
#pragma once

void start_demo();
void game_tick();
void update_holes();
void update_clock();
bool top_line_stale();
void format_top_line();
void update_sprite_poses();
