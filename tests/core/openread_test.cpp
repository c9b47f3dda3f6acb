// Opening the game's files to read: what stands at the name decides, and
// nothing is ever waited on.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/openread.h"
#include "support/process.h"

namespace {

TEST(OpenForReading, WhatStandsAtTheNameDecides)
{
    TempDir dir;
    write_file(dir.file("file"), "bytes");
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("fifo", dir.file("link-to-fifo").c_str()), 0);
    const struct {
        std::string path;
        int error;        // 0: opens
        bool readable;    // reading gives the bytes (else fails with EISDIR)
    } cases[] = {
        {dir.file("file"), 0, true},
        {dir.file("folder"), 0, false},       // a reader fails on it as before
        {dir.file("fifo"), EINVAL, false},     // nobody writes it: never waited on
        {dir.file("link-to-fifo"), EINVAL, false},
        {"/dev/null", EINVAL, false},
        {dir.file("missing"), ENOENT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        errno = 0;
        const int fd = open_for_reading(c.path.c_str());
        if (c.error) {
            EXPECT_EQ(fd, -1);
            EXPECT_EQ(errno, c.error);
            continue;
        }
        ASSERT_GE(fd, 0);
        EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "later reads wait as usual";
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
        char buffer[16];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (c.readable) {
            EXPECT_EQ(std::string(buffer, size_t(n > 0 ? n : 0)), "bytes");
        } else {
            EXPECT_EQ(n, -1);
            EXPECT_EQ(errno, EISDIR);
        }
        close(fd);
    }
    EXPECT_STREQ(open_failure_reason(EINVAL), "not a regular file");
    EXPECT_STREQ(open_failure_reason(EACCES), strerror(EACCES));
}

} // namespace
