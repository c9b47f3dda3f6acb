// The first start copies the shipped archive into the user directory: a
// copy cut short leaves no partial archive, so the next start copies it
// again instead of finding a damaged one for good.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/process.h"

namespace {

TEST(FirstStart, ACopyCutShortLeavesNoArchiveAndTheNextCopiesItWhole)
{
    TempDir dir;
    const std::string shipped = read_file(VORBIX_BUILD_DIR "/data/levels.vbl");
    ASSERT_GT(shipped.size(), 20000u);
    mkdir(dir.file("home").c_str(), 0700);
    mkdir(dir.file("data").c_str(), 0700);
    for (const char* name : {"redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm", "vrbx.bmp"})
        ASSERT_EQ(symlink((std::string(VORBIX_BUILD_DIR "/data/") + name).c_str(), dir.file(std::string("data/") + name).c_str()), 0);
    write_file(dir.file("data/levels.vbl"), shipped);
    // Under a file-size limit the copy's writes fail part way through.
    ProcessLimits limits;
    limits.file_size = long(shipped.size() / 2);
    ProcessResult cut = run_process(VORBIX_BINARY, {"-w", "-q"},
                                    {"HOME=" + dir.file("home"), "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"},
                                    60, dir.path, limits);
    EXPECT_EQ(cut.status, 1) << cut.out << cut.err;
    EXPECT_NE(cut.out.find("failed to copy data/levels.vbl to "), std::string::npos) << cut.out;
    EXPECT_NE(cut.out.find(": File too large\n"), std::string::npos) << cut.out;
    const std::string user = dir.file("home/.zuzezodov");
    EXPECT_NE(access((user + "/levels.vbl").c_str(), F_OK), 0) << "a partial archive was left";
    EXPECT_TRUE(temporaries_in(user).empty());

    // The next start, without the limit, copies it.
    write_file(dir.file("script"), "20 down 308\n20 press 120\n");
    const ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"},
                                        {"HOME=" + dir.file("home"), "VORBIX_FAST=1",
                                         "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                                        60, dir.path);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(read_file(user + "/levels.vbl") == shipped);
    EXPECT_EQ(r.err.find("ARCHIVE DAMAGED"), std::string::npos);
}

} // namespace

namespace {

// One game per user directory: a second start while another game holds the
// directory says so and ends without writing anything there; what killed
// writers left behind goes at the next start that holds it.
TEST(UserDirLock, ASecondGameOnOneUserDirectoryEndsWithoutWriting)
{
    TempDir dir;
    const std::string user = dir.file("home/.zuzezodov");
    mkdir(dir.file("home").c_str(), 0700);
    mkdir(user.c_str(), 0700);
    symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
    write_file(user + "/levels.vbl.new-2147483647-0", "left by a killed writer");
    write_file(dir.file("script"), "20 down 308\n20 press 120\n");
    const std::vector<std::string> env = {"HOME=" + dir.file("home"), "VORBIX_FAST=1",
                                          "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy"};
    // The first game is this test, holding the lock, with its log in the
    // working folder. The second is given a -c name it refuses, a message
    // said before the lock is decided.
    const int lock = open(user.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    const std::string first_log = "the running game's lines\n";
    write_file(dir.file("VRBXINFO.LOG"), first_log);
    ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q", "-c", "../elsewhere"}, env, 60, dir.path);
    EXPECT_EQ(r.status, 6) << r.out << r.err;
    EXPECT_EQ(read_file(dir.file("VRBXINFO.LOG")), first_log);
    EXPECT_NE(r.out.find("../elsewhere is not a file name of the user directory"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Another vorbix is using the user directory"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(": notice ANOTHER VORBIX IS USING THE USER DIRECTORY"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("End."), std::string::npos);
    EXPECT_EQ(temporaries_in(user), std::vector<std::string>{"levels.vbl.new-2147483647-0"});
    for (const char* name : {"levels.vbl", "vrbxrc", "player.nam"})
        EXPECT_NE(access((user + "/" + name).c_str(), F_OK), 0) << name << " written";
    close(lock);

    r = run_process(VORBIX_BINARY, {"-w", "-q", "-c", "../elsewhere"}, env, 60, dir.path);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(temporaries_in(user).empty());
    const std::string log = read_file(dir.file("VRBXINFO.LOG"));
    EXPECT_EQ(log.find(first_log), std::string::npos) << "a game holding the lock starts a fresh log";
    // What was said before the lock was decided comes first.
    EXPECT_EQ(log.find("-c ../elsewhere refused (not a plain file name), using vrbxrc\n"
                       "Removed levels.vbl.new-2147483647-0"),
              0u)
        << log;
}

} // namespace
