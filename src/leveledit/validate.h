// The rules a level must meet before it is written.
#pragma once

#include "level/grid.h"

// Null when grid holds a playable level, otherwise the first rule it
// breaks. Relaxed (the editor's Right Alt, vbltool's --relaxed), any count
// of flashing objects and of hidden enemies up to 3 passes.
const char* validate_level(const PlayGrid& grid, bool relaxed);
