// Fuzz target for the archive reader: any bytes as the archive file; every
// record is read with every kind of maximum the game uses, and the whole
// archive is checked.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_files.h"
#include "level/archive.h"
#include "level/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        snprintf(archive_path, sizeof archive_path, "%s/levels.vbl", fuzz_directory().c_str());
        return true;
    }();
    (void)ready;
    write_bytes(archive_path, data, size);
    const bool sound = archive_damage() == nullptr;
    // The first records, those around the end of the index, and the last
    // ones a rewrite handles.
    const uint32_t entries = size >= 8 ? uint32_t(data[4] << 24 | data[5] << 16 | data[6] << 8 | data[7]) : 0;
    std::vector<int> records = {-1, int(std::min<uint32_t>(entries, INT32_MAX)), ARCHIVE_MAX_RECORDS - 1,
                                ARCHIVE_MAX_RECORDS};
    for (int r = 0; r < 8 && uint32_t(r) <= entries; r++)
        records.push_back(r);
    if (entries > 0)
        records.push_back(int(std::min<uint32_t>(entries - 1, INT32_MAX)));
    std::vector<uint8_t> buffer(MOVIE_BUFFER_SIZE + 1);
    for (int record : records) {
        for (int max : {20, MOVIE_BUFFER_SIZE}) {
            buffer[size_t(max)] = 0xa5;
            int got = read_record(record, buffer.data(), max);
            FUZZ_CHECK(got <= max);
            FUZZ_CHECK(got >= -3);
            FUZZ_CHECK(buffer[size_t(max)] == 0xa5);   // nothing past the maximum
            if (sound)
                FUZZ_CHECK(got >= 0);
        }
    }
    return 0;
}
