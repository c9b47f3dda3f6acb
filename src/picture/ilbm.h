// IFF ILBM pictures: reading into one chunky buffer and palette.
#pragma once
#include <cstdint>

extern uint8_t* picture_buffer;

void free_picture_buffer();
