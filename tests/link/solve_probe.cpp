// The solver alone: a program that links only what a search needs (the
// rules and the level data), so that the object files it pulls from the
// library show the solver's link closure. It searches the built-in level
// for a moment.
#include <cstdio>

#include "level/grid.h"
#include "solver/solver.h"

int main()
{
    PlayGrid grid;
    unpack_record(BUILTIN_LEVEL.data(), grid);
    SolveOptions options;
    options.budget_seconds = 1;
    options.improve = false;
    options.max_states = 2000;
    const SolveResult r = solve_level(grid, options);
    printf("expanded=%lld\n", static_cast<long long>(r.expanded));
    return 0;
}
