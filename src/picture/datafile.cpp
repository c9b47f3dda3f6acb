#include "picture/datafile.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/openread.h"
#include "core/settings.h"

// The installed data folder comes from the build's install prefix.
#ifndef VORBIX_DATA_DIR
#define VORBIX_DATA_DIR "/usr/local/share/sdl_vorbix"
#endif
const char DATA_PATH_LIST[] = "data:" VORBIX_DATA_DIR;

int data_path_candidate(char* out, const char* name, int n)
{
    if (n == 0) {
        user_file_path(out, name);
        return 1;
    }
    const char* entry = DATA_PATH_LIST;
    for (int i = 1; i < n; i++) {
        entry = strchr(entry, ':');
        if (!entry)
            return 0;
        entry++;
    }
    size_t length = strcspn(entry, ":");
    const char* slash = (length > 0 && entry[length - 1] == '/') ? "" : "/";
    int written = snprintf(out, PATH_BUFFER_SIZE, "%.*s%s%s", int(length), entry, slash, name);
    if (written < 0 || written >= PATH_BUFFER_SIZE)
        out[0] = 0;   // too long to exist here: a path that opens nothing
    return 1;
}

bool find_data_file(char* out, const char* name)
{
    char candidate[PATH_BUFFER_SIZE];
    out[0] = 0;
    for (int n = 0; data_path_candidate(candidate, name, n); n++) {
        strcpy(out, candidate);
        if (!candidate[0])
            continue;
        // A FIFO or device at the name is no data file: it is passed over
        // unread, never waited on.
        int fd = open_for_reading(candidate);
        if (fd < 0)
            continue;
        close(fd);
        return true;
    }
    return false;
}
