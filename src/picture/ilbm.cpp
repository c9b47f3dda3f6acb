#include "picture/ilbm.h"

#include <cstdlib>

uint8_t* picture_buffer;

void free_picture_buffer()
{
    free(picture_buffer);
    picture_buffer = nullptr;
}
