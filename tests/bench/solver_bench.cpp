// The search's costs: ticks of the rules with the level state copied whole
// around them, and whole searches, in ticks simulated per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "game/game.h"
#include "game/replay.h"
#include "level/grid.h"
#include "level/movie.h"
#include "level/textformat.h"
#include "solver/solver.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

// Level 0 from its first move on: the states a search branches from.
void BM_TicksWithStateCopies(benchmark::State& state)
{
    const int ticks_per_branch = int(state.range(0));
    unpack_record(BUILTIN_LEVEL.data(), level_grid);
    std::string problem;
    static LevelState from, to, run;
    static TickEvents events;
    start_level_run(level_grid, BUILTIN_MOVIE[MOVIE_SEED_OFFSET], &run, &problem);
    const std::vector<uint8_t> inputs = inputs_of_movie(BUILTIN_MOVIE.data(), int(BUILTIN_MOVIE.size()));
    for (int i = 0; i < 600; i++)
        tick(run, inputs[size_t(i)], events);
    from = run;
    size_t next = 600;
    int64_t ticks = 0;
    for (auto _ : state) {
        run = from;
        for (int i = 0; i < ticks_per_branch; i++)
            tick(run, inputs[next + size_t(i)], events);
        to = run;
        ticks += ticks_per_branch;
        next = next + size_t(ticks_per_branch) < 4000 ? next + size_t(ticks_per_branch) : 600;
        benchmark::DoNotOptimize(to.game.score);
    }
    state.counters["ticks/s"] = benchmark::Counter(double(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TicksWithStateCopies)->Arg(1)->Arg(12);

// A whole search of a small level with an enemy to trap.
void BM_SolveSmallLevel(benchmark::State& state)
{
    const std::vector<std::string> rows = {"H", "H", "H.P...........E.....$...", "@@@@#######@@@@@@@@@@@@@"};
    int64_t ticks = 0;
    for (auto _ : state) {
        level_grid.fill(TILE_BORDER);
        for (int r = 0; r < FIELD_ROWS; r++)
            for (int c = 0; c < FIELD_COLUMNS; c++) {
                char ch = r < int(rows.size()) && c < int(rows[size_t(r)].size()) ? rows[size_t(r)][size_t(c)] : '.';
                level_grid[size_t(field_cell(c, r))] = uint8_t(std::string(TILE_CHARS).find(ch));
            }
        SolveOptions options;
        options.budget_seconds = 60;
        const SolveResult r = solve_level(level_grid, options);
        if (r.status != SOLVE_FOUND)
            state.SkipWithError("no way out found");
        ticks += r.ticks_simulated;
    }
    state.counters["ticks/s"] = benchmark::Counter(double(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SolveSmallLevel)->Unit(benchmark::kMillisecond);

} // namespace
