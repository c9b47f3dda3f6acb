// Fuzz target for the archive reader: any bytes as an archive, judged and
// read from memory; every record is read, and every level and movie as the
// game takes them.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_files.h"
#include "level/archive.h"
#include "level/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Archive archive = archive_from_bytes({data, size});
    const bool sound = archive.result == ARCHIVE_READ_OK;
    // The judgement has one answer: a result without a reason, or a reason
    // for every other result.
    FUZZ_CHECK(sound == archive.damage.empty());
    // The first records, those around the end of the index, and the last
    // ones a rewrite handles.
    const uint32_t entries = size >= 8 ? uint32_t(data[4] << 24 | data[5] << 16 | data[6] << 8 | data[7]) : 0;
    std::vector<int> records = {-1, int(std::min<uint32_t>(entries, INT32_MAX)), ARCHIVE_MAX_RECORDS - 1,
                                ARCHIVE_MAX_RECORDS};
    for (int r = 0; r < 8 && uint32_t(r) <= entries; r++)
        records.push_back(r);
    if (entries > 0)
        records.push_back(int(std::min<uint32_t>(entries - 1, INT32_MAX)));
    for (int record : records) {
        const std::span<const uint8_t> bytes = archive_record(archive, record);
        // Every record lies inside the archive's bytes.
        if (!bytes.empty())
            FUZZ_CHECK(bytes.data() >= archive.bytes.data() &&
                       bytes.data() + bytes.size() <= archive.bytes.data() + archive.bytes.size());
    }
    for (int level = 0; level <= MAX_LEVEL + 1; level += level < 4 ? 1 : 97) {
        PlayGrid grid;
        if (!archive_level(archive, level, &grid))
            FUZZ_CHECK(grid[0] == TILE_BORDER);
        std::vector<uint8_t> movie;
        if (!archive_movie(archive, level, &movie))
            FUZZ_CHECK(movie.size() >= size_t(MOVIE_HEADER_SIZE) && movie.size() <= size_t(MOVIE_BUFFER_SIZE));
        else
            FUZZ_CHECK(movie.empty());
    }
    return 0;
}
