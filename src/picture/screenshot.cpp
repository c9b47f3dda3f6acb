#include "picture/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/ilbm.h"

void next_screenshot_name(char* out, int size)
{
    for (int n = 0;; n++) {
        snprintf(out, size_t(size), "cap%03d.lbm", n);
        // Any entry takes the name, a symbolic link too (dangling or not):
        // a screenshot never goes through a link to somewhere else.
        struct stat info;
        if (lstat(out, &info) != 0 && errno == ENOENT)
            return;
    }
}

const char* write_screenshot(int width, int height, RowFetch fetch, const void* source,
                             const uint8_t* palette)
{
    char name[32];
    next_screenshot_name(name, sizeof name);
    return write_picture(name, width, height, fetch, source, palette);
}
