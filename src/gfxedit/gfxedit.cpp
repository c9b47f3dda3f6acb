#include "gfxedit/gfxedit.h"

// The editor's per-frame body does nothing unless its mode is current, and
// it cannot be entered yet.
void init_gfx_editor() {}
void gfx_editor_frame() {}
