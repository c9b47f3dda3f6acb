// Fuzz target for the ILBM reader: any bytes as a picture file. Built as a
// libFuzzer target with clang (-DVORBIX_FUZZ=ON), and always as a replay
// program that runs every file of the kept corpus once.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "picture/ilbm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/vorbix-ilbm-fuzz-" + std::to_string(getpid()) + ".lbm";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    read_picture_file(path.c_str());
    unlink(path.c_str());
    return 0;
}
