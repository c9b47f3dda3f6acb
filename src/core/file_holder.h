// A file descriptor closed when it goes out of scope.
#pragma once
#include <unistd.h>

struct FileHolder {
    int fd;
    explicit FileHolder(int f) : fd(f) {}
    ~FileHolder()
    {
        if (fd >= 0)
            close(fd);
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    // Hands the descriptor over: it is no longer closed here.
    int release()
    {
        const int f = fd;
        fd = -1;
        return f;
    }
};
