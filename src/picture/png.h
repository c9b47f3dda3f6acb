// PNG output of 8-bit palette pictures (libpng).
#pragma once
#include <cstdint>
#include <string>

// Writes a width x height picture of palette indices (rows `pitch` bytes
// apart) with its 256-entry RGB palette. The file appears whole or not at
// all, as every file of the system (core/replace.h). nullptr when it was
// written, otherwise why not.
const char* write_png(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
                      const uint8_t* palette);
