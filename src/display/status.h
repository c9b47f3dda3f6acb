// The two status lines above and below the play field.
#pragma once

struct StatusLine {
    bool changed;   // characters were redrawn; present_frame pushes the strip
};

extern StatusLine top_status;
extern StatusLine bottom_status;

void build_glyph_map();
void refresh_status_lines();
