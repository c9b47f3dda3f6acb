// The processor time the search's budget counts, so that a busy machine
// gives a search the same amount of work as an idle one. The browser has no
// processor clock; a page runs the search on its one thread, so the time
// since an arbitrary start stands in for it there.
#pragma once
#include <cstdint>

// Nanoseconds of processor time used by this process so far.
int64_t processor_time_ns();
