// The first start copies the shipped archive into the user directory: a
// start killed during the copy leaves no partial archive, so the next start
// copies it again instead of finding a damaged one for good.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/process.h"

namespace {

TEST(FirstStart, AStartKilledDuringTheCopyLeavesNoArchiveAndTheNextCopiesItWhole)
{
    TempDir dir;
    const std::string shipped = read_file(VORBIX_BUILD_DIR "/data/levels.vbl");
    ASSERT_GT(shipped.size(), 20000u);
    mkdir(dir.file("home").c_str(), 0700);
    mkdir(dir.file("data").c_str(), 0700);
    for (const char* name : {"redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm", "vrbx.bmp"})
        ASSERT_EQ(symlink((std::string(VORBIX_BUILD_DIR "/data/") + name).c_str(), dir.file(std::string("data/") + name).c_str()), 0);
    // The shipped archive comes through a FIFO: the copy gets half of it,
    // then the start is killed while it waits for the rest.
    const std::string fifo = dir.file("data/levels.vbl");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t game = fork();
    if (game == 0) {
        if (chdir(dir.path.c_str()) != 0)
            _exit(126);
        setenv("HOME", dir.file("home").c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(VORBIX_BINARY, VORBIX_BINARY, "-w", "-q", static_cast<char*>(nullptr));
        _exit(127);
    }
    const int out = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(out, 0);
    ASSERT_EQ(write(out, shipped.data(), shipped.size() / 2), ssize_t(shipped.size() / 2));
    usleep(300 * 1000);   // the copy takes in what was written
    kill(game, SIGKILL);
    int status = 0;
    waitpid(game, &status, 0);
    close(out);
    EXPECT_TRUE(WIFSIGNALED(status));
    const std::string user = dir.file("home/.zuzezodov");
    EXPECT_NE(access((user + "/levels.vbl").c_str(), F_OK), 0) << "a partial archive was left";

    // The next start, with the shipped archive whole, copies it.
    unlink(fifo.c_str());
    write_file(fifo, shipped);
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
    // The first game is this test, holding the lock.
    const int lock = open(user.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"}, env, 60, dir.path);
    EXPECT_EQ(r.status, 6) << r.out << r.err;
    EXPECT_NE(r.out.find("Another vorbix is using the user directory"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(": notice ANOTHER VORBIX IS USING THE USER DIRECTORY"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("End."), std::string::npos);
    EXPECT_EQ(temporaries_in(user), std::vector<std::string>{"levels.vbl.new-2147483647-0"});
    for (const char* name : {"levels.vbl", "vrbxrc", "player.nam"})
        EXPECT_NE(access((user + "/" + name).c_str(), F_OK), 0) << name << " written";
    close(lock);

    r = run_process(VORBIX_BINARY, {"-w", "-q"}, env, 60, dir.path);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(temporaries_in(user).empty());
    EXPECT_NE(read_file(dir.file("VRBXINFO.LOG")).find("Removed levels.vbl.new-2147483647-0"), std::string::npos);
}

} // namespace
