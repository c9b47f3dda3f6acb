// The archive rewrite with failing system calls: the Nth open, read, write,
// fsync, close, rename or directory fsync fails, once or from then on, for
// every N until the rewrite gets through. Linked with -Wl,--wrap for each of
// those calls, so the library's own code is what runs.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "level/archive.h"
#include "support/archive_files.h"
#include "support/fixtures.h"
#include "support/process.h"

namespace {

enum Call { CALL_OPEN, CALL_READ, CALL_WRITE, CALL_FSYNC, CALL_CLOSE, CALL_RENAME, CALL_DIR_FSYNC, CALL_KINDS };
const char* const CALL_NAMES[CALL_KINDS] = {"open", "read", "write", "fsync", "close", "rename", "directory fsync"};

struct FaultPlan {
    bool armed = false;
    int kind = -1;
    long nth = 0;
    bool persistent = false;   // every call of the kind from the Nth on fails
    int error = EIO;
    long counts[CALL_KINDS] = {};
    long failed = 0;
};
FaultPlan plan;

bool inject(int kind)
{
    if (!plan.armed)
        return false;
    long n = ++plan.counts[kind];
    if (kind != plan.kind || n < plan.nth || (n > plan.nth && !plan.persistent))
        return false;
    plan.failed++;
    errno = plan.error;
    return true;
}

} // namespace

extern "C" {
int __real_open(const char* path, int flags, ...);
ssize_t __real_read(int fd, void* buffer, size_t n);
ssize_t __real_write(int fd, const void* buffer, size_t n);
int __real_close(int fd);
int __real_rename(const char* from, const char* to);

int __wrap_open(const char* path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    return inject(CALL_OPEN) ? -1 : __real_open(path, flags, mode);
}
ssize_t __wrap_read(int fd, void* buffer, size_t n) { return inject(CALL_READ) ? -1 : __real_read(fd, buffer, n); }
ssize_t __wrap_write(int fd, const void* buffer, size_t n)
{
    return inject(CALL_WRITE) ? -1 : __real_write(fd, buffer, n);
}
int __wrap_fsync(int fd)
{
    struct stat info;
    bool directory = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    // The flush itself is skipped: what counts here is what the rewrite does
    // with each result, and hundreds of real flushes take seconds.
    return inject(directory ? CALL_DIR_FSYNC : CALL_FSYNC) ? -1 : 0;
}
int __wrap_close(int fd)
{
    if (inject(CALL_CLOSE)) {
        __real_close(fd);   // the descriptor is gone, as after a real failed close
        return -1;
    }
    return __real_close(fd);
}
int __wrap_rename(const char* from, const char* to) { return inject(CALL_RENAME) ? -1 : __real_rename(from, to); }
}

namespace {

struct Rewrite {
    const char* name;
    std::string old_file;
    int record;
    std::string data;
    int second_record = -1;   // changed in the same rewrite (a level's movie)
    std::string second_data = "";
};

int rewrite(const Rewrite& w)
{
    const RecordWrite writes[2] = {
        {w.record, reinterpret_cast<const uint8_t*>(w.data.data()), int(w.data.size())},
        {w.second_record, reinterpret_cast<const uint8_t*>(w.second_data.data()), int(w.second_data.size())}};
    if (w.second_record >= 0)
        return write_records(writes, 2);
    return write_record(w.record, reinterpret_cast<const uint8_t*>(w.data.data()), int(w.data.size()));
}

TEST(ArchiveFaults, EveryFailingCallLeavesTheOldOrTheNewArchive)
{
    TempArchiveDir work;
    log_message("log opened before the faults\n");
    const std::string a = pattern_bytes(180, 1), b = pattern_bytes(2500, 2), c = pattern_bytes(700, 3);
    const std::string base = build_archive({20, {{0, a}, {3, b}, {8, c}}});
    const Rewrite rewrites[] = {
        {"replace a middle record", base, 3, pattern_bytes(1500, 4)},
        {"grow the index", base, 401, pattern_bytes(300, 5)},
        {"remove a record", base, 0, ""},
        // A level written in the editor: the level and the end of its movie.
        {"a level and its movie", base, 2, pattern_bytes(180, 6), 3, ""},
    };
    long runs = 0, faults = 0;
    for (const Rewrite& w : rewrites) {
        write_file(archive_path, w.old_file);
        ASSERT_EQ(rewrite(w), 0) << w.name;
        const std::string new_file = read_file(archive_path);
        for (int kind = 0; kind < CALL_KINDS; kind++) {
            for (bool persistent : {false, true}) {
                for (int error : {EIO, ENOSPC}) {
                    for (long n = 1;; n++) {
                        SCOPED_TRACE(testing::Message() << w.name << ": " << CALL_NAMES[kind] << " " << n
                                                        << (persistent ? " and on" : " once") << ", "
                                                        << strerror(error));
                        write_file(archive_path, w.old_file);
                        plan = FaultPlan{true, kind, n, persistent, error};
                        const int result = rewrite(w);
                        plan.armed = false;
                        runs++;
                        const std::string now = read_file(archive_path);
                        EXPECT_TRUE(now == w.old_file || now == new_file) << "the archive has " << now.size() << " bytes";
                        if (now != new_file) {
                            EXPECT_NE(result, 0) << "success reported, but the new archive is not in place";
                        }
                        if (plan.failed > 0 && result != 0) {
                            EXPECT_NE(archive_errno, 0);
                        }
                        EXPECT_TRUE(temporaries_in(work.dir.path).empty()) << "the temporary file was left";
                        if (plan.failed == 0) {
                            EXPECT_EQ(result, 0);
                            EXPECT_EQ(now, new_file);
                            break;   // the rewrite makes fewer calls of this kind
                        }
                        faults++;
                        if (::testing::Test::HasFailure())
                            return;
                    }
                }
            }
        }
    }
    printf("%ld rewrites, %ld of them with failing calls\n", runs, faults);
}

// The new archive is in place, but a crash could still bring the old one
// back: the caller is told.
TEST(ArchiveFaults, FailedDirectoryFlushIsReported)
{
    TempArchiveDir work;
    log_message("log opened before the faults\n");
    const std::string old_file = build_archive({4, {{1, "abc"}}});
    write_file(archive_path, old_file);
    for (int kind : {CALL_DIR_FSYNC, CALL_OPEN}) {
        SCOPED_TRACE(CALL_NAMES[kind]);
        write_file(archive_path, old_file);
        // The directory's open is the third: archive, temporary, directory.
        plan = FaultPlan{true, kind, kind == CALL_OPEN ? 3 : 1, false, EIO};
        const int result = write_record(1, reinterpret_cast<const uint8_t*>("defg"), 4);
        plan.armed = false;
        ASSERT_EQ(plan.failed, 1);
        EXPECT_EQ(result, ARCHIVE_NOT_SYNCED);
        EXPECT_EQ(archive_errno, EIO);
        EXPECT_EQ(read_file(archive_path), build_archive({4, {{1, "defg"}}}));
    }
}

} // namespace
