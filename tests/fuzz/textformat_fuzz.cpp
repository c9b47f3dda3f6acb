// Fuzz target for the text level and movie formats: any text is read or
// refused; what is read is written and read back to the same record; any
// record bytes written as a movie text keep their score and name.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "level/grid.h"
#include "level/movie.h"
#include "level/textformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    uint8_t level[LEVEL_RECORD_SIZE];
    if (parse_level_text(text, level).empty()) {
        uint8_t again[LEVEL_RECORD_SIZE];
        FUZZ_CHECK(parse_level_text(level_text(level, "again"), again).empty());
        FUZZ_CHECK(memcmp(level, again, LEVEL_RECORD_SIZE) == 0);
    }

    std::vector<uint8_t> movie;
    if (parse_movie_text(text, &movie).empty()) {
        FUZZ_CHECK(movie.size() >= size_t(MOVIE_HEADER_SIZE) && movie.size() % 2 == 1);
        std::vector<uint8_t> again;
        const std::string written = movie_text(movie.data(), int(movie.size()), "again");
        FUZZ_CHECK(parse_movie_text(written, &again).empty());
        FUZZ_CHECK(again == movie);
    }

    // The bytes as a stored record: its text keeps the score and every name byte.
    if (size >= size_t(MOVIE_HEADER_SIZE) && data[MOVIE_SEED_OFFSET] < 24) {
        std::vector<uint8_t> header(data, data + MOVIE_HEADER_SIZE);
        std::vector<uint8_t> back;
        FUZZ_CHECK(parse_movie_text(movie_text(header.data(), int(header.size()), "bytes"), &back).empty());
        FUZZ_CHECK(back == header);
    }
    if (size >= size_t(LEVEL_RECORD_SIZE)) {
        uint8_t back[LEVEL_RECORD_SIZE];
        const bool drawable = [&] {
            for (int i = 0; i < LEVEL_RECORD_SIZE; i++)
                if ((data[i] >> 4) > 11 || (data[i] & 15) > 11)
                    return false;
            return true;
        }();
        const std::string written = level_text(data, "bytes");
        FUZZ_CHECK(parse_level_text(written, back).empty() == drawable);
        if (drawable)
            FUZZ_CHECK(memcmp(back, data, LEVEL_RECORD_SIZE) == 0);
    }
    return 0;
}
