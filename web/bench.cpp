// The rules' speed in the browser: replays level 0's built-in movie as
// `vbltool replay - 0 --repeat N` does, N from the page (bench.html?repeat=N),
// and prints the outcome and the rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "game/replay.h"
#include "level/grid.h"
#include "level/movie.h"

int main(int argc, char** argv)
{
    const int repeat = argc > 1 ? atoi(argv[1]) : 50;
    ReplayResult result{};
    long ticks = 0;
    PlayGrid grid;
    unpack_record(BUILTIN_LEVEL.data(), grid);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; i++) {
        if (!replay_movie(grid, BUILTIN_MOVIE.data(), int(BUILTIN_MOVIE.size()), &result)) {
            puts("level 0 cannot be replayed");
            return 1;
        }
        ticks += result.ticks;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("level=0 outcome=%s ticks=%d score=%d seconds=%d\n", replay_outcome_name(result.outcome), result.ticks,
           result.score, result.seconds);
    printf("%d replays, %ld ticks in %.3f s: %.2f replays a second\n", repeat, ticks, seconds,
           seconds > 0 ? repeat / seconds : 0.0);
    return 0;
}
