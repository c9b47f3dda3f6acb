// The screens of the real program at fixed frames, byte for byte: the
// demonstration, play with digging and a trapped guard, the level summary,
// the main menu and both editors. Print Screen in a script writes capNNN.lbm
// into the working folder; each capture is compared with the stored one in
// tests/frontend/screens/. With VORBIX_WRITE_SCREENS=1 the captures are
// stored instead (run once, look at them, commit them).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "core/keys.h"
#include "support/process.h"
#include "support/script_lines.h"

namespace {

const int LEVEL0_PAIRS[][2] = {
#include "../tools/level0_pairs.inc"
};

using namespace scriptline;

std::string print_at(long frame) { return press(frame, KEY_PRINT); }

// Level 1 (level 0 and its movie) taken over at frame 10 and played on with
// the movie's keys, so that the hero digs and guards fall into the holes;
// captures along the way and of the summary at the end.
std::string play_script()
{
    std::vector<int> inputs{0};
    for (const auto& p : LEVEL0_PAIRS)
        for (int i = 0; i < p[0]; i++)
            inputs.push_back(p[1]);
    const int take = 10;
    std::string script = press(take, KEY_F12);
    int held = 0;
    for (int tick = take + 2; tick <= 4392; tick++) {
        if (tick % 600 == 0)
            script += print_at(tick);
        script += input_key(tick, inputs[size_t(tick)], &held);
    }
    script += modal(KEY_PRINT) + modal(KEY_SPACE);
    if (held)
        script += key(4392, "up", held);
    return script + alt_x(4400);
}

// A floor with a guard three cells from the hero: one dig to the right and
// the guard walks into the hole.
const char* TRAP_LEVEL = "; trap\n........................\n"
                         ".......................H\n.......................H\n.......................H\n"
                         ".......................H\n.......................H\n.......................H\n"
                         ".......................H\n.......................H\n.......................H\n"
                         ".......................H\n.......................H\n.......................H\n"
                         "....$P..E............$.H\n########################\n";

struct ScreensCase {
    const char* name;
    int captures;
    std::string script;
    const char* level = nullptr;   // level 1's text without a movie; level 0 and its movie when null
};

const ScreensCase CASES[] = {
    {"demo", 3, print_at(2) + print_at(700) + print_at(2500) + alt_x(2510)},
    {"play", 8, play_script()},
    // F1 plays the first unsolved level; Alt held over two frames digs right.
    {"trap", 4,
     press(5, KEY_F1) + key(10, "down", KEY_LALT) + key(16, "up", KEY_LALT) + print_at(20) + print_at(40) + print_at(60) +
         print_at(100) + alt_x(110),
     TRAP_LEVEL},
    {"menu", 1, press(10, KEY_SPACE) + print_at(15) + alt_x(20)},
    // The level editor with the pointer over the grid, after one brick.
    {"leveledit", 2,
     press(10, KEY_F3) + motion(12, 200, 200) + print_at(14) + mouse(20, "down", 1, 116, 108) +
         mouse(22, "up", 1, 116, 108) + print_at(24) + alt_x(30)},
    {"gfxedit", 2, press(10, KEY_F2) + print_at(14) + motion(20, 300, 300) + print_at(22) + alt_x(30)},
};

std::string capture_name(int n)
{
    char name[32];
    snprintf(name, sizeof name, "cap%03d.lbm", n);
    return name;
}

TEST(Screens, EveryFixedFrameMatchesItsStoredCapture)
{
    const bool store = getenv("VORBIX_WRITE_SCREENS") != nullptr;
    const std::string stored = VORBIX_SOURCE_DIR "/tests/frontend/screens/";
    const std::string level0 = run_process(VBLTOOL_BINARY, {"show", "-", "0"}).out;
    for (const ScreensCase& c : CASES) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(dir.file("home/.zuzezodov").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(dir.file("level001.txt"), c.level ? c.level : level0);
        std::vector<std::string> pack{"pack", "-o", dir.file("home/.zuzezodov/levels.vbl"), dir.file("level001.txt")};
        if (!c.level) {
            std::string movie = "score 43450\nname lord mobrin\nseed 1\n";
            for (const auto& p : LEVEL0_PAIRS)
                movie += std::to_string(p[0]) + "x" + std::to_string(p[1]) + "\n";
            write_file(dir.file("level001.movie"), movie);
            pack.push_back(dir.file("level001.movie"));
        }
        ASSERT_EQ(run_process(VBLTOOL_BINARY, pack).status, 0);
        write_file(dir.file("script"), c.script);
        const ProcessResult r = run_process(
            VORBIX_BINARY, {"-w", "-q", "-l", "1"},
            {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1", "VORBIX_SCRIPT=" + dir.file("script"),
             "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"},
            120, dir.path);
        EXPECT_EQ(r.status, 0) << r.err;
        for (int n = 0; n <= c.captures; n++) {
            const std::string made = dir.file(capture_name(n));
            const std::string fixture = stored + c.name + "_" + std::to_string(n) + ".lbm";
            if (n == c.captures) {
                EXPECT_NE(access(made.c_str(), F_OK), 0) << "one capture more than expected";
                break;
            }
            ASSERT_EQ(access(made.c_str(), F_OK), 0) << "capture " << n << " missing\n" << r.err;
            if (store)
                write_file(fixture, read_file(made));
            else
                EXPECT_TRUE(read_file(made) == read_file(fixture)) << fixture << " differs";
        }
    }
}

} // namespace
