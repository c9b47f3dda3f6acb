#include "core/fatal.h"

#include <cstdio>
#include <cstdlib>

void (*fatal_cleanup)();

void fatal_exit(int status)
{
    if (fatal_cleanup)
        fatal_cleanup();
    fflush(nullptr);
    exit(status);
}
