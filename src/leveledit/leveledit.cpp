#include "leveledit/leveledit.h"

// The editor's per-frame body does nothing unless its mode is current, and
// it cannot be entered yet.
void init_level_editor() {}
void level_editor_frame() {}
