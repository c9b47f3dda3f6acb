// Screenshots of the whole screen into the next free capNNN.lbm of the
// working directory.
#pragma once
#include <cstdint>

#include "picture/ilbm.h"

// The name the next screenshot takes (cap000.lbm, cap001.lbm, ...): the
// first that names nothing (a symbolic link, even a dangling one, is taken).
void next_screenshot_name(char* out, int size);
// Writes the picture into that name; nullptr when it was written, otherwise
// why not (the writer's result).
const char* write_screenshot(int width, int height, RowFetch fetch, const void* source,
                             const uint8_t* palette);
