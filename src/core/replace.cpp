#include "core/replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names tried for the temporary file before giving up: each one that exists
// already (a planted file or link, another writer's) is passed over.
constexpr int TEMPORARY_NAME_TRIES = 64;

unsigned temporary_counter;

bool fail(ReplaceFile* r, int error, const char* problem = nullptr)
{
    r->error = error;
    r->problem = problem;
    return false;
}

// Follows symbolic links from path (in place) to the file they name; a path
// that is no link stays as it is. False when a link cannot be read, the
// chain does not end within REPLACE_MAX_LINKS or the result does not fit.
bool follow_links(char* path, size_t size, ReplaceFile* r)
{
    for (int step = 0; step < REPLACE_MAX_LINKS; step++) {
        struct stat info;
        if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char target[REPLACE_PATH_SIZE];
        const ssize_t n = readlink(path, target, sizeof target - 1);
        if (n < 0)
            return fail(r, errno);
        if (n == 0 || size_t(n) >= sizeof target - 1)
            return fail(r, ENAMETOOLONG);
        target[n] = 0;
        char next[REPLACE_PATH_SIZE];
        const char* slash = strrchr(path, '/');
        int length;
        if (target[0] == '/' || !slash)
            length = snprintf(next, sizeof next, "%s", target);
        else
            length = snprintf(next, sizeof next, "%.*s/%s", int(slash - path), path, target);
        if (length < 0 || size_t(length) >= sizeof next || size_t(length) >= size)
            return fail(r, ENAMETOOLONG);
        memcpy(path, next, size_t(length) + 1);
    }
    return fail(r, ELOOP);
}

} // namespace

bool write_fully(int fd, const void* bytes, size_t n)
{
    const char* p = static_cast<const char*>(bytes);
    while (n > 0) {
        const ssize_t put = write(fd, p, n);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        p += put;
        n -= size_t(put);
    }
    return true;
}

bool sync_folder_of(const char* path)
{
    char folder[REPLACE_PATH_SIZE];
    const char* slash = strrchr(path, '/');
    if (!slash)
        snprintf(folder, sizeof folder, ".");
    else if (slash == path)
        snprintf(folder, sizeof folder, "/");
    else
        snprintf(folder, sizeof folder, "%.*s", int(slash - path), path);
    const int fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    const int error = errno;
    ok = close(fd) == 0 && ok;
    if (!ok && error)
        errno = error;
    return ok;
}

ReplaceFile::~ReplaceFile()
{
    if (!committed)
        replace_abandon(this);
    else if (fd >= 0)
        close(fd);
}

namespace {

// The temporary file next to r->target, created new with `mode`: its name
// into r->temporary and its descriptor into r->fd.
bool create_temporary(ReplaceFile* r, mode_t mode)
{
    for (int attempt = 0; attempt < TEMPORARY_NAME_TRIES; attempt++) {
        const int length = snprintf(r->temporary, sizeof r->temporary, "%s.new-%ld-%u", r->target, long(getpid()),
                                    temporary_counter++);
        if (length < 0 || size_t(length) >= sizeof r->temporary)
            return fail(r, ENAMETOOLONG);
        // Created new, never through a link planted at the name.
        r->fd = open(r->temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (r->fd >= 0)
            return true;
        if (errno != EEXIST) {
            const int error = errno;
            r->temporary[0] = 0;
            return fail(r, error);
        }
    }
    r->temporary[0] = 0;
    return fail(r, EEXIST);
}

} // namespace

bool replace_begin(ReplaceFile* r, const char* path, int new_mode, int flags)
{
    r->fd = -1;
    r->direct = r->committed = false;
    r->error = 0;
    r->problem = nullptr;
    r->temporary[0] = 0;
    if (!path[0])
        return fail(r, ENOENT);
    if (strlen(path) >= sizeof r->target)
        return fail(r, ENAMETOOLONG);
    strcpy(r->target, path);
    if (!(flags & REPLACE_LINK_ITSELF) && !follow_links(r->target, sizeof r->target, r))
        return false;

    struct stat info;
    const bool exists = lstat(r->target, &info) == 0;
    if (!exists && errno != ENOENT)
        return fail(r, errno);
    // The log never writes into a FIFO or a device at its name: opening a
    // FIFO nobody reads would hold the game for ever. Such an entry is
    // replaced like a link.
    const bool special = S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode);
    if (exists && special && (flags & REPLACE_LINK_ITSELF)) {
        // fall through to the replacement below
    } else if (exists && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode)) {
            // Written as it is: replacing a device or a FIFO by a plain
            // file would break whatever relies on it.
            r->fd = open(r->target, O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (r->fd < 0)
                return fail(r, errno);
            r->direct = true;
            return true;
        }
        if (S_ISDIR(info.st_mode))
            return fail(r, EISDIR, "it is a folder, not a file");
        return fail(r, EINVAL, "it is not a regular file");
    }
    // The permission bits of a file replaced go over to the new one (the
    // set-id bits never do); a new file (or one replacing a link) takes
    // new_mode under the umask.
    const bool keep_mode = exists && S_ISREG(info.st_mode);
    const mode_t mode = keep_mode ? mode_t(info.st_mode & 0777) : mode_t(new_mode);

    if (!create_temporary(r, keep_mode ? 0600 : mode))
        return false;
    if (keep_mode && fchmod(r->fd, mode) != 0) {
        const int error = errno;
        replace_abandon(r);
        return fail(r, error);
    }
    return true;
}

void replace_abandon(ReplaceFile* r)
{
    if (r->fd >= 0)
        close(r->fd);
    r->fd = -1;
    if (r->temporary[0])
        unlink(r->temporary);
    r->temporary[0] = 0;
}

int replace_commit(ReplaceFile* r, bool keep_open)
{
    if (r->direct) {
        r->committed = true;
        if (keep_open)
            return REPLACE_OK;
        const int closed = close(r->fd);
        r->fd = -1;
        if (closed != 0) {
            r->error = errno;
            return REPLACE_FAILED;
        }
        return REPLACE_OK;
    }
    if (r->fd < 0 || !r->temporary[0]) {
        fail(r, EBADF);
        return REPLACE_FAILED;
    }
    // On the disk before it takes the target's name.
    if (fsync(r->fd) != 0) {
        fail(r, errno);
        replace_abandon(r);
        return REPLACE_FAILED;
    }
    if (!keep_open) {
        const int closed = close(r->fd);
        r->fd = -1;
        if (closed != 0) {
            fail(r, errno);
            replace_abandon(r);
            return REPLACE_FAILED;
        }
    }
    // rename puts the new file in place in one step.
    if (rename(r->temporary, r->target) != 0) {
        fail(r, errno);
        replace_abandon(r);
        return REPLACE_FAILED;
    }
    r->temporary[0] = 0;
    r->committed = true;
    if (!sync_folder_of(r->target)) {
        r->error = errno ? errno : EIO;
        return REPLACE_NOT_SYNCED;
    }
    return REPLACE_OK;
}

const char* replace_reason(const ReplaceFile* r)
{
    if (r->problem)
        return r->problem;
    if (r->error)
        return strerror(r->error);
    return "no failure";
}

int replace_file_bytes(const char* path, const void* bytes, size_t length, int new_mode, const char** reason,
                       int flags)
{
    ReplaceFile r;
    int result = REPLACE_FAILED;
    if (replace_begin(&r, path, new_mode, flags)) {
        if (write_fully(r.fd, bytes, length))
            result = replace_commit(&r);
        else
            r.error = errno;
    }
    if (reason)
        *reason = replace_reason(&r);
    errno = r.error;
    return result;
}
