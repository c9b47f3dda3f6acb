// Replacing a file whole: links planted at temporary names, the mode of the
// replaced file, devices, FIFOs and folders at the target, failures half-way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "core/replace.h"
#include "level/archive.h"
#include "support/archive_files.h"
#include "support/fixtures.h"
#include "support/process.h"

namespace {

int replace(const std::string& path, const std::string& bytes, int new_mode = 0600, const char** reason = nullptr)
{
    return replace_file_bytes(path.c_str(), bytes.data(), bytes.size(), new_mode, reason);
}

mode_t mode_of(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Symbolic links to `victim` at every name a writer of the past used beside
// `target` and at the first temporary names of this process: a write must
// pass all of them by.
void plant_links(const std::string& target, const std::string& victim)
{
    for (const char* suffix : {".new", ".part", ".tmp"})
        ASSERT_EQ(symlink(victim.c_str(), (target + suffix).c_str()), 0);
    for (int n = 0; n < 10; n++) {
        const std::string name = target + ".new-" + std::to_string(getpid()) + "-" + std::to_string(n);
        ASSERT_EQ(symlink(victim.c_str(), name.c_str()), 0);
    }
}

TEST(Replace, LinksPlantedAtTemporaryNamesAreNeverWrittenThrough)
{
    TempDir dir;
    write_file(dir.file("precious.txt"), "precious");
    for (bool dangling : {false, true}) {
        SCOPED_TRACE(dangling ? "dangling links" : "links to a file");
        const std::string target = dir.file(dangling ? "b.txt" : "a.txt");
        const std::string victim = dangling ? dir.file("created-through-link") : dir.file("precious.txt");
        write_file(target, "old");
        plant_links(target, victim);
        ASSERT_EQ(replace(target, "new"), REPLACE_OK);
        EXPECT_EQ(read_file(target), "new");
        EXPECT_EQ(read_file(dir.file("precious.txt")), "precious");
        EXPECT_EQ(access(dir.file("created-through-link").c_str(), F_OK), -1);
        EXPECT_TRUE(S_ISLNK(mode_of(target + ".new")));
    }
}

TEST(Replace, TheReplacedFileKeepsItsPermissionBitsAndANewOneTakesTheGivenMode)
{
    TempDir dir;
    const mode_t old_mask = umask(022);
    for (mode_t mode : {mode_t(0644), mode_t(0600), mode_t(0640), mode_t(0444)}) {
        SCOPED_TRACE(mode);
        const std::string path = dir.file("kept");
        unlink(path.c_str());
        write_file(path, "old");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ASSERT_EQ(replace(path, "new", 0600), REPLACE_OK);
        EXPECT_EQ(mode_of(path) & 07777, mode);
        EXPECT_EQ(read_file(path), "new");
    }
    ASSERT_EQ(replace(dir.file("fresh"), "x", 0666), REPLACE_OK);
    EXPECT_EQ(mode_of(dir.file("fresh")) & 07777, 0644u) << "the umask applies to a new file";
    umask(old_mask);
}

TEST(Replace, ALinkAtTheTargetIsFollowedAndKeptUnlessTheLinkItselfIsReplaced)
{
    TempDir dir;
    write_file(dir.file("real"), "old");
    ASSERT_EQ(symlink("real", dir.file("link").c_str()), 0);
    ASSERT_EQ(replace(dir.file("link"), "new"), REPLACE_OK);
    EXPECT_TRUE(S_ISLNK(mode_of(dir.file("link"))));
    EXPECT_EQ(read_file(dir.file("real")), "new");

    ReplaceFile r;
    ASSERT_TRUE(replace_begin(&r, dir.file("link").c_str(), 0600, REPLACE_LINK_ITSELF));
    ASSERT_TRUE(write_fully(r.fd, "own", 3));
    ASSERT_EQ(replace_commit(&r), REPLACE_OK);
    EXPECT_TRUE(S_ISREG(mode_of(dir.file("link"))));
    EXPECT_EQ(read_file(dir.file("link")), "own");
    EXPECT_EQ(read_file(dir.file("real")), "new");

    // A chain of links that never ends is refused, nothing written.
    ASSERT_EQ(symlink("loop2", dir.file("loop1").c_str()), 0);
    ASSERT_EQ(symlink("loop1", dir.file("loop2").c_str()), 0);
    const char* reason = nullptr;
    EXPECT_EQ(replace(dir.file("loop1"), "x", 0600, &reason), REPLACE_FAILED);
    EXPECT_STREQ(reason, strerror(ELOOP));
    EXPECT_TRUE(temporaries_in(dir.path).empty());
}

TEST(Replace, AFifoOrADeviceIsWrittenDirectlyAndAFolderIsRefused)
{
    TempDir dir;
    // A FIFO: the reader gets the bytes, the FIFO stays a FIFO.
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t reader = fork();
    if (reader == 0) {
        alarm(10);   // a FIFO replaced by a file never gets a writer
        const std::string got = read_file(fifo);
        _exit(got == "through the fifo" ? 0 : 1);
    }
    EXPECT_EQ(replace(fifo, "through the fifo"), REPLACE_OK);
    int status = 0;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));

    // A character device: a null device of its own where one can be made
    // (never the system's, which a faulty writer would replace).
    const std::string device = dir.file("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(replace(device, std::string(5000, 'x')), REPLACE_OK);
        EXPECT_TRUE(S_ISCHR(mode_of(device)));
    }

    // A folder is never replaced.
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0);
    write_file(dir.file("folder/inside"), "kept");
    const char* reason = nullptr;
    EXPECT_EQ(replace(dir.file("folder"), "x", 0600, &reason), REPLACE_FAILED);
    EXPECT_STREQ(reason, "it is a folder, not a file");
    EXPECT_EQ(read_file(dir.file("folder/inside")), "kept");
    EXPECT_TRUE(temporaries_in(dir.path).empty());
}

TEST(Replace, AWriteThatFailsHalfWayLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string path = dir.file("file");
    write_file(path, "the old content");
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        const char* reason = nullptr;
        const int result = replace(path, std::string(1000, 'n'), 0600, &reason);
        _exit(result == REPLACE_FAILED && strcmp(reason, strerror(EFBIG)) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read_file(path), "the old content");
    EXPECT_TRUE(temporaries_in(dir.path).empty());
}

// The writers on top of it: the archive and the log.
TEST(Replace, TheArchiveRewriteAndTheLogGoThroughNoPlantedLink)
{
    TempArchiveDir work;
    write_file(work.dir.file("precious.txt"), "precious");
    // The log's own name is replaced by a fresh file, not written through.
    ASSERT_EQ(symlink("precious.txt", work.dir.file("VRBXINFO.LOG").c_str()), 0);
    write_file(archive_path, build_archive({2, {{0, std::string(180, 'a')}}}));
    plant_links(archive_path, work.dir.file("precious.txt"));
    ASSERT_EQ(write_record(1, reinterpret_cast<const uint8_t*>("movie"), 5), ARCHIVE_OK);
    close_log();
    EXPECT_EQ(read_file(work.dir.file("precious.txt")), "precious");
    EXPECT_EQ(read_file(archive_path), build_archive({2, {{0, std::string(180, 'a')}, {1, "movie"}}}));
    EXPECT_TRUE(S_ISREG(mode_of(work.dir.file("VRBXINFO.LOG"))));
    EXPECT_NE(read_file(work.dir.file("VRBXINFO.LOG")).find("trying to replace"), std::string::npos);
}

TEST(Replace, AFifoAtTheLogsNameIsReplacedNeverWaitedOn)
{
    // Nobody reads the FIFO: opening it to write would wait for ever.
    TempArchiveDir work;
    ASSERT_EQ(mkfifo(work.dir.file("VRBXINFO.LOG").c_str(), 0600), 0);
    log_message("a line\n");
    close_log();
    EXPECT_TRUE(S_ISREG(mode_of(work.dir.file("VRBXINFO.LOG"))));
    EXPECT_EQ(read_file(work.dir.file("VRBXINFO.LOG")), "a line\n");
}

TEST(Replace, ALogLineCutAtItsLimitStillEndsItsLine)
{
    TempArchiveDir work;
    log_message("%s\n", std::string(300, 'x').c_str());
    log_message("next\n");
    close_log();
    EXPECT_EQ(read_file(work.dir.file("VRBXINFO.LOG")), std::string(LOG_LINE_SIZE - 2, 'x') + "\nnext\n");
}

} // namespace
