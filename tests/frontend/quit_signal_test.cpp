// SIGTERM and SIGINT end the real program from any wait (the level summary,
// the name prompt, a paused game) through its normal exit: "End." and
// status 0. The waits below only bound a hang; a busy machine may take its
// time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "support/archive_files.h"
#include "support/process.h"

namespace {

const std::string QUICK_LEVEL = quick_level_text();

double seconds_now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

TEST(QuitSignal, SigtermAndSigintEndTheProgramFromAnyWait)
{
    const struct {
        const char* wait;
        std::string script;
        int signal;
    } cases[] = {
        // F4 plays level 1, right then up finishes it: the summary waits.
        {"the level summary", "5 press 285\n10 down 275\n30 up 275\n30 down 273\n40 up 273\n", SIGTERM},
        {"the level summary", "5 press 285\n10 down 275\n30 up 275\n30 down 273\n40 up 273\n", SIGINT},
        // SPACE shows the menu, F5 asks for the player's name.
        {"the name prompt", "5 press 32\n8 press 286\n", SIGTERM},
        // p pauses the game.
        {"a paused game", "5 press 285\n10 press 112\n", SIGINT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.wait) + (c.signal == SIGTERM ? ", SIGTERM" : ", SIGINT"));
        TempDir dir;
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(dir.file("home/.zuzezodov").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(dir.file("level001.txt"), QUICK_LEVEL);
        ASSERT_EQ(run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("home/.zuzezodov/levels.vbl"),
                                               dir.file("level001.txt")})
                      .status,
                  0);
        write_file(dir.file("script"), c.script);
        const pid_t game = fork();
        if (game == 0) {
            if (chdir(dir.path.c_str()) != 0)
                _exit(126);
            setenv("HOME", dir.file("home").c_str(), 1);
            setenv("VORBIX_FAST", "1", 1);
            setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const int out = open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(dir.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(err, 2);
            execl(VORBIX_BINARY, VORBIX_BINARY, "-w", "-q", "-l", "1", static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(1500 * 1000);   // the script has run out: the program waits
        int status = 0;
        ASSERT_EQ(waitpid(game, &status, WNOHANG), 0) << "ended before the signal: " << read_file(dir.file("err"));
        const double sent = seconds_now();
        kill(game, c.signal);
        pid_t ended = 0;
        while ((ended = waitpid(game, &status, WNOHANG)) == 0 && seconds_now() - sent < 10.0)
            usleep(10 * 1000);
        if (ended == 0) {
            kill(game, SIGKILL);
            waitpid(game, &status, 0);
            ADD_FAILURE() << "still running ten seconds after the signal";
            continue;
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_NE(read_file(dir.file("out")).find("End.\n"), std::string::npos) << read_file(dir.file("out"));
    }
}

} // namespace
