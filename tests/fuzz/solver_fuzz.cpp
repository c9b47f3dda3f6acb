// Fuzz target for the solver with a replay check: the first 180 bytes are a
// level record, the next byte the seed. A way out the solver finds, stored
// as a movie beside the level, replays to the exit with the solver's score
// and ticks.
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"
#include "fuzz_files.h"
#include "game/replay.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/movie.h"
#include "level/stored.h"
#include "game/game.h"
#include "solver/solver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        sound_enabled = 0;
        snprintf(archive_path, sizeof archive_path, "%s/solved.vbl", fuzz_directory().c_str());
        return true;
    }();
    (void)ready;
    if (size < size_t(LEVEL_RECORD_SIZE) + 1)
        return 0;
    PlayGrid level_grid;
    unpack_record(data, level_grid);
    SolveOptions options;
    options.seed = data[LEVEL_RECORD_SIZE] % 24;
    options.improve = false;
    options.budget_seconds = 2;
    options.max_states = 3000;   // small levels only: every run stays short
    const SolveResult r = solve_level(level_grid, options);
    if (r.status != SOLVE_FOUND)
        return 0;
    const std::vector<uint8_t> movie = movie_record_of(r.inputs, r.score, options.seed, "FUZZ");
    if (movie.empty())
        return 0;
    std::vector<uint8_t> archive;
    const RecordWrite writes[2] = {{level_record(1), data, LEVEL_RECORD_SIZE},
                                   {movie_record(1), movie.data(), int(movie.size())}};
    FUZZ_CHECK(apply_records(&archive, writes, 2) == ARCHIVE_OK);
    write_bytes(archive_path, archive.data(), archive.size());
    ReplayResult result{};
    PlayGrid grid;
    std::vector<uint8_t> record(MOVIE_BUFFER_SIZE);
    const int length = read_level_movie(1, record.data());
    FUZZ_CHECK(unpack_level(1, grid) && replay_movie(grid, record.data(), length, &result));
    FUZZ_CHECK(result.outcome == REPLAY_EXIT);
    FUZZ_CHECK(result.score == r.score);
    FUZZ_CHECK(result.ticks == r.ticks);
    return 0;
}
