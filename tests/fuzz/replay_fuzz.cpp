// Fuzz target for the rules: an arbitrary level record (the first 180 bytes)
// replayed headless with an arbitrary movie (the rest, at most 100 pairs, so
// a run takes at most 25,500 ticks).
#include <algorithm>
#include <vector>

#include "core/settings.h"
#include "fuzz_files.h"
#include "game/replay.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/movie.h"
#include "level/stored.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        sound_enabled = 0;
        snprintf(archive_path, sizeof archive_path, "%s/levels.vbl", fuzz_directory().c_str());
        return true;
    }();
    (void)ready;
    if (size < size_t(LEVEL_RECORD_SIZE + MOVIE_HEADER_SIZE))
        return 0;
    const size_t movie_length = std::min(size - LEVEL_RECORD_SIZE, size_t(MOVIE_HEADER_SIZE + 2 * 100));
    // An archive of level 1 and its movie, header and index by hand.
    std::vector<uint8_t> file = {'V', 'R', 'B', 'X', 0, 0, 0, 2};
    auto put = [&](uint32_t v) {
        for (int i = 3; i >= 0; i--)
            file.push_back(uint8_t(v >> (8 * i)));
    };
    put(24);
    put(LEVEL_RECORD_SIZE);
    put(24 + LEVEL_RECORD_SIZE);
    put(uint32_t(movie_length));
    file.insert(file.end(), data, data + LEVEL_RECORD_SIZE + movie_length);
    write_bytes(archive_path, file.data(), file.size());
    ReplayResult result{};
    PlayGrid grid;
    std::vector<uint8_t> record(MOVIE_BUFFER_SIZE);
    const int length = read_level_movie(1, record.data());
    FUZZ_CHECK(unpack_level(1, grid) && replay_movie(grid, record.data(), length, &result));
    FUZZ_CHECK(result.ticks >= 0 && result.ticks <= 255 * 100 + 1);
    return 0;
}
