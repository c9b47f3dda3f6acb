// Print in a working folder where no screenshot can be written: the game
// says so (the log, the notice) and goes on; it never searches for ever.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <SDL/SDL.h>

#include "core/keys.h"
#include "support/process.h"
#include "support/script_lines.h"

namespace {

using namespace scriptline;

// A user directory holding every data file, so that the game needs nothing
// from its working folder.
struct ScreenshotGame {
    TempDir dir;
    std::string work = dir.file("work");
    ScreenshotGame()
    {
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(dir.file("home/.zuzezodov").c_str(), 0700);
        mkdir(work.c_str(), 0700);
        DIR* data = opendir(VORBIX_BUILD_DIR "/data");
        while (const dirent* entry = data ? readdir(data) : nullptr)
            if (entry->d_name[0] != '.')
                symlink((std::string(VORBIX_BUILD_DIR "/data/") + entry->d_name).c_str(),
                        dir.file(std::string("home/.zuzezodov/") + entry->d_name).c_str());
        if (data)
            closedir(data);
        // Print in the demonstration, then Alt+X.
        write_file(dir.file("script"), press(5, KEY_PRINT) + alt_x(10));
    }
    ProcessResult run(const ProcessLimits& limits)
    {
        return run_process(VORBIX_BINARY, {"-w", "-q"},
                           {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                            "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy",
                            "SDL_AUDIODRIVER=dummy"},
                           60, work, limits);
    }
};

// A working folder a player without root's rights cannot search (every
// look-up fails with EACCES) or cannot write: the notice, and the game goes on.
TEST(Screenshot, AFolderThatCannotBeSearchedOrWrittenIsToldAndTheGameGoesOn)
{
    for (const mode_t mode : {mode_t(0600), mode_t(0500)}) {
        SCOPED_TRACE(mode);
        ScreenshotGame game;
        chmod(game.work.c_str(), mode);
        ProcessLimits limits;
        limits.obey_permissions = true;
        const ProcessResult r = game.run(limits);
        chmod(game.work.c_str(), 0700);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("notice NO SCREENSHOT"), std::string::npos) << r.err;
    }
}

TEST(Screenshot, AFullDiskIsToldInTheLogAndAsANotice)
{
    ScreenshotGame game;
    ProcessLimits limits;
    limits.file_size = 2048;   // room for the log, not for a screenshot
    const ProcessResult r = game.run(limits);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("notice NO SCREENSHOT"), std::string::npos) << r.err;
    const std::string log = read_file(game.work + "/VRBXINFO.LOG");
    EXPECT_NE(log.find("Screenshot not written: "), std::string::npos) << log;
}

} // namespace
