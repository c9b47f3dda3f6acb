// The level editor.
#pragma once

void init_level_editor();
void level_editor_frame();
