// Fuzz target for the ILBM reader: any bytes as a picture file, read from
// memory. Built as a libFuzzer target with clang (-DVORBIX_FUZZ=ON), and
// always as a replay program that runs every file of the kept corpus once.
#include <cstdint>

#include "fuzz_files.h"
#include "picture/ilbm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Picture picture;
    if (read_picture_bytes({data, size}, &picture) == nullptr) {
        // A picture read is whole: its rows of pixels and nothing more.
        FUZZ_CHECK(picture.pixels.size() <= size_t(PICTURE_MAX_PIXELS));
        FUZZ_CHECK(picture.pixels.size() % size_t(8 * picture.rowbytes > 0 ? 8 * picture.rowbytes : 1) == 0);
    } else {
        FUZZ_CHECK(picture.pixels.empty() && picture.width == 0);
    }
    return 0;
}
