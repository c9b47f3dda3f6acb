// Screenshots of the whole screen into the next free capNNN.lbm of the
// working directory.
#pragma once
#include <cstdint>

#include "picture/ilbm.h"

// The names a screenshot may take: cap000.lbm to cap9999.lbm.
constexpr int SCREENSHOT_NAMES = 10000;
// The name the next screenshot takes (cap000.lbm, cap001.lbm, ...): the
// first that names nothing (a symbolic link, even a dangling one, is taken).
// nullptr when one was found, otherwise why not: the folder cannot be
// searched, or every name is taken.
const char* next_screenshot_name(char* out, int size);
// Writes the picture into that name; nullptr when it was written, otherwise
// why not (the writer's result).
const char* write_screenshot(int width, int height, RowFetch fetch, const void* source,
                             const uint8_t* palette);
