#include "picture/screenshot.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "picture/ilbm.h"

void next_screenshot_name(char* out, int size)
{
    for (int n = 0;; n++) {
        snprintf(out, size_t(size), "cap%03d.lbm", n);
        int fd = open(out, O_RDONLY);
        if (fd < 0)
            return;
        close(fd);
    }
}

int write_screenshot(int width, int height, RowFetch fetch, const void* source,
                     const uint8_t* palette)
{
    char name[32];
    next_screenshot_name(name, sizeof name);
    return write_picture(name, width, height, fetch, source, palette);
}
