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

#include "support/process.h"

namespace {

const int LEVEL0_PAIRS[][2] = {
#include "../tools/level0_pairs.inc"
};

const int INPUT_KEYS[] = {0, 273, 274, 276, 275, 306, 308};   // the first-start bindings
const int PRINT = 316;

std::string at(long frame, const std::string& what) { return std::to_string(frame) + " " + what + "\n"; }
std::string print_at(long frame) { return at(frame, "press " + std::to_string(PRINT)); }
std::string alt_x(long frame) { return at(frame, "down 308") + at(frame, "press 120"); }

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
    std::string script = at(take, "press 293");   // F12
    int held = 0;
    for (int tick = take + 2; tick <= 4392; tick++) {
        if (tick % 600 == 0)
            script += print_at(tick);
        const int want = INPUT_KEYS[inputs[size_t(tick)]];
        if (want != held) {
            if (held)
                script += at(tick - 1, "up " + std::to_string(held));
            if (want)
                script += at(tick - 1, "down " + std::to_string(want));
            held = want;
        }
    }
    script += "modal " + std::to_string(PRINT) + "\nmodal 32\n";
    if (held)
        script += at(4392, "up " + std::to_string(held));
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
     at(5, "press 282") + at(10, "down 308") + at(16, "up 308") + print_at(20) + print_at(40) + print_at(60) +
         print_at(100) + alt_x(110),
     TRAP_LEVEL},
    {"menu", 1, at(10, "press 32") + print_at(15) + alt_x(20)},
    // The level editor with the pointer over the grid, after one brick.
    {"leveledit", 2,
     at(10, "press 284") + at(12, "motion 200 200") + print_at(14) + at(20, "mouse down 1 116 108") +
         at(22, "mouse up 1 116 108") + print_at(24) + alt_x(30)},
    {"gfxedit", 2, at(10, "press 283") + print_at(14) + at(20, "motion 300 300") + print_at(22) + alt_x(30)},
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
