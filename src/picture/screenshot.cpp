#include "picture/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/ilbm.h"

const char* next_screenshot_name(char* out, int size)
{
    static char reason[96];
    for (int n = 0; n < SCREENSHOT_NAMES; n++) {
        snprintf(out, size_t(size), "cap%03d.lbm", n);
        // Any entry takes the name, a symbolic link too (dangling or not):
        // a screenshot never goes through a link to somewhere else.
        struct stat info;
        if (lstat(out, &info) == 0)
            continue;
        if (errno == ENOENT)
            return nullptr;
        // The folder cannot be searched (no right to it, an I/O error):
        // no later name would fare better.
        snprintf(reason, sizeof reason, "%s cannot be looked up (%s)", out, strerror(errno));
        return reason;
    }
    snprintf(reason, sizeof reason, "cap000.lbm to cap%03d.lbm are all taken", SCREENSHOT_NAMES - 1);
    return reason;
}

const char* write_screenshot(int width, int height, RowFetch fetch, const void* source,
                             const uint8_t* palette)
{
    char name[32];
    if (const char* failure = next_screenshot_name(name, sizeof name))
        return failure;
    return write_picture(name, width, height, fetch, source, palette);
}
