// The graphics editor.
#pragma once

void init_gfx_editor();
void gfx_editor_frame();
