// The end of the real program while its tick source is busy: each start and
// quit ends with "End." and its status, whatever the tick thread is doing.
// VORBIX_TICK_DELAY_MS holds every tick inside the tick source for that
// long, so the exit nearly always meets a tick under way. The harness's
// timeouts only tell a hang from an end; they measure nothing.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/process.h"
#include "support/script_lines.h"

namespace {

struct GameFolder {
    TempDir dir;
    GameFolder()
    {
        mkdir(dir.file("home").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(dir.file("script"), scriptline::alt_x(12));
    }
    ProcessResult run(const std::string& tick_delay_ms, bool fast)
    {
        std::vector<std::string> env{"HOME=" + dir.file("home"), "USER=tester",
                                     "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy",
                                     "SDL_AUDIODRIVER=dummy", "VORBIX_TICK_DELAY_MS=" + tick_delay_ms};
        if (fast)
            env.push_back("VORBIX_FAST=1");
        return run_process(VORBIX_BINARY, {"-w", "-q"}, env, 60, dir.path);
    }
};

TEST(ProgramExit, StartsAndQuitsWithATickUnderWayAllEnd)
{
    GameFolder game;
    for (int run = 0; run < 24; run++) {
        SCOPED_TRACE("run " + std::to_string(run));
        // Frames paced by the ticks and frames back to back, by turns: both
        // leave the tick source inside a tick when Alt+X comes.
        const ProcessResult r = game.run("30", run % 2 == 0);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_GE(r.out.size(), 5u);
        ASSERT_EQ(r.out.substr(r.out.size() - 5), "End.\n");
    }
}

// The game started on its own with every tick held for ten minutes: frames
// wait for a tick that does not come, and the shutdown waits for the tick
// source. SIGTERM ends the game; `second_signal` sends another one once the
// game has said "End.". Returns the wait status.
int end_a_game_whose_tick_hangs(GameFolder& game, bool second_signal)
{
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(game.dir.path.c_str()) != 0)
            _exit(126);
        setenv("HOME", game.dir.file("home").c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("VORBIX_TICK_DELAY_MS", "600000", 1);
        const int out = open(game.dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        execl(VORBIX_BINARY, VORBIX_BINARY, "-w", "-q", static_cast<char*>(nullptr));
        _exit(127);
    }
    usleep(1500 * 1000);   // started: the first tick is under way
    kill(child, SIGTERM);
    int status = 0;
    // The loops' bounds only stop a hung test; they measure nothing.
    for (int wait = 0; wait < 3000 && waitpid(child, &status, WNOHANG) == 0; wait++) {
        if (second_signal && read_file(game.dir.file("out")).find("End.\n") != std::string::npos) {
            kill(child, SIGTERM);
            second_signal = false;
        }
        usleep(20 * 1000);
    }
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "the game did not end";
    }
    return status;
}

TEST(ProgramExit, AShutdownThatCannotFinishStillEnds)
{
    GameFolder game;
    // Cut short by the watchdog, with the game's own status.
    int status = end_a_game_whose_tick_hangs(game, false);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(game.dir.file("out")).find("End.\n") + 5, read_file(game.dir.file("out")).size());
    // A SIGTERM during the shutdown ends it at once, as the signal's end.
    status = end_a_game_whose_tick_hangs(game, true);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
}

} // namespace
