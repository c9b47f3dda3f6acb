#include "core/fatal.h"

#include <cstdio>
#include <cstdlib>

void (*fatal_cleanup)();
int exit_status;

void fatal_exit(int status)
{
    exit_status = status;
    if (fatal_cleanup)
        fatal_cleanup();
    fflush(nullptr);
    exit(status);
}
