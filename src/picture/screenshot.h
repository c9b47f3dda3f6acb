// Screenshots of the whole screen into the next free capNNN.lbm of the
// working directory.
#pragma once

// The name the next screenshot takes (cap000.lbm, cap001.lbm, ...): the
// first that cannot be opened.
void next_screenshot_name(char* out, int size);
// Returns 0 when the picture was written (the writer's result).
int take_screenshot();
