#include "core/openread.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int open_for_reading(const char* path)
{
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of
    // waiting for a writer; it changes nothing for a regular file or folder.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    int error = 0;
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        error = EINVAL;
    if (error) {
        close(fd);
        errno = error;
        return -1;
    }
    // Later reads of a regular file block as usual.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

const char* open_failure_reason(int error)
{
    return error == EINVAL ? "not a regular file" : strerror(error);
}
