// Fuzz target for the ILBM reader: any bytes as a picture file. Built as a
// libFuzzer target with clang (-DVORBIX_FUZZ=ON), and always as a replay
// program that runs every file of the kept corpus once.
#include <cstdint>
#include <string>

#include "fuzz_files.h"
#include "picture/ilbm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz_directory() + "/picture.lbm";
    write_bytes(path, data, size);
    read_picture_file(path.c_str());
    return 0;
}
