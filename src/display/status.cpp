#include "display/status.h"

StatusLine top_status;
StatusLine bottom_status;

// The font arrives with the artwork; until then there is nothing to map or draw.
void build_glyph_map() {}
void refresh_status_lines() {}
