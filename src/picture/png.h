// PNG output of 8-bit palette pictures (libpng).
#pragma once
#include <cstdint>
#include <string>

// Writes a width x height picture of palette indices (rows `pitch` bytes
// apart) with its 256-entry RGB palette. The file appears whole or not at
// all: it is written under a temporary name and renamed. "" or the problem.
std::string write_png(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
                      const uint8_t* palette);
