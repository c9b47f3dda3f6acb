#include "picture/screenshot.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "display/screen.h"
#include "picture/ilbm.h"

namespace {

void fetch_screen_row(uint8_t* row, int y, const void*)
{
    memcpy(row, screen_row(y), SCREEN_WIDTH);
}

} // namespace

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

int take_screenshot()
{
    char name[32];
    next_screenshot_name(name, sizeof name);
    lock_screen();
    return write_picture(name, SCREEN_WIDTH, SCREEN_HEIGHT, fetch_screen_row, nullptr,
                         screen_palette.colours.data());
}
