#include "core/fatal.h"

#include <cstdio>
#include <cstdlib>

ProcessEnd process_end;

void fatal_exit(int status)
{
    exit_status = status;
    if (fatal_cleanup)
        fatal_cleanup();
    fflush(nullptr);
    exit(status);
}
