// The real program driven by scripts of key events (SDL's dummy video and
// disk audio, a temporary HOME, frames back to back).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "core/keys.h"
#include "support/process.h"
#include "support/script_lines.h"

namespace {

const std::string LEVEL0_TEXT = [] {
    // The built-in level as vbltool shows it.
    return run_process(VBLTOOL_BINARY, {"show", "-", "0"}).out;
}();

const int LEVEL0_PAIRS[][2] = {
#include "../tools/level0_pairs.inc"
};

// Level 0's input, tick by tick (index 1 is the first tick).
std::vector<int> level0_inputs()
{
    std::vector<int> inputs{0};
    for (const auto& p : LEVEL0_PAIRS)
        for (int i = 0; i < p[0]; i++)
            inputs.push_back(p[1]);
    return inputs;
}

using namespace scriptline;


struct Fixture {
    TempDir dir;
    Fixture()
    {
        // A user directory whose level 1 is level 0 with its movie.
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(dir.file("home/.zuzezodov").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(dir.file("level001.txt"), LEVEL0_TEXT);
        std::string movie = "score 43450\nname lord mobrin\nseed 1\n";
        for (const auto& p : LEVEL0_PAIRS)
            movie += std::to_string(p[0]) + "x" + std::to_string(p[1]) + "\n";
        write_file(dir.file("level001.movie"), movie);
        run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("home/.zuzezodov/levels.vbl"), dir.file("level001.txt"),
                                     dir.file("level001.movie")});
    }
    ProcessResult run(const std::vector<std::string>& args, const std::string& script)
    {
        write_file(dir.file("script"), script);
        return run_process(VORBIX_BINARY, args,
                           {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                            "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy",
                            "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.file("audio.raw"),
                            "SDL_DISKAUDIODELAY=0"},
                           120, dir.path);
    }
};


TEST(Program, DemonstrationEndsWithTheVictorySoundAndMovesOn)
{
    Fixture f;
    ProcessResult r = f.run({"-w", "-l", "1"}, alt_x(4500));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() - 5), "End.\n");
    EXPECT_NE(r.err.find("frame 1: demo level 1\n"), std::string::npos) << r.err;
    // Level 1 ends with the movie's last tick; level 2 does not exist, so
    // the demonstration goes on with the built-in level.
    EXPECT_NE(r.err.find("frame 4392: demo level 0\n"), std::string::npos) << r.err;
    const std::string audio = read_file(f.dir.file("audio.raw"));
    size_t loud = 0;
    for (char c : audio)
        loud += c != char(0x80) && c != 0;
    EXPECT_GT(loud, 5000u) << "the effects were mixed into the output";
}

// F12 near the end of level 1's demonstration, at a tick whose next input
// moves the hero, then the movie's keys to its last tick; `summary` is the
// modal script lines at the summary, which comes up inside frame 4392,
// before the last key is let go.
std::string take_over_to_the_end(const std::string& summary)
{
    const std::vector<int> inputs = level0_inputs();
    int take = 4392 - 300;
    while (inputs[size_t(take + 2)] == 0)
        take++;
    std::string script = press(take, KEY_F12);
    int held = 0;
    for (int tick = take + 2; tick <= 4392; tick++)
        script += input_key(tick, inputs[size_t(tick)], &held);
    script += summary;
    if (held)
        script += key(4392, "up", held);
    return script;
}

TEST(Program, MenuPlayAndATakeOverStoreAMovieThatReplays)
{
    Fixture f;
    // F12 in the summary stores the play even though it is not better.
    std::string script = take_over_to_the_end(modal(KEY_F12));
    script += press(4400, KEY_SPACE);   // nothing: play mode has no SPACE
    script += alt_x(4410);
    ProcessResult r = f.run({"-w", "-l", "1"}, script);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("play level 1"), std::string::npos) << r.err;
    r = run_process(VBLTOOL_BINARY, {"list", f.dir.file("home/.zuzezodov/levels.vbl")});
    EXPECT_EQ(r.out, "  1  movie  score=43450  time=73.12  ticks=4392  name=tester\n");
    r = run_process(VBLTOOL_BINARY, {"replay", f.dir.file("home/.zuzezodov/levels.vbl"), "1"});
    EXPECT_EQ(r.out, "level=1 outcome=exit ticks=4392 score=43450 seconds=73\n");
}

// Alt+X in the summary ends the program the way it does in a frame: the
// session's end is written and nothing runs after that frame.
TEST(Program, AltXInTheSummaryEndsTheProgram)
{
    Fixture f;
    ProcessResult r = f.run({"-w", "-q", "-l", "1"}, take_over_to_the_end(modal("down", KEY_LALT) + modal(KEY_x)) +
                                                           press(4393, KEY_SPACE) + press(4400, KEY_ESCAPE));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() >= 5 ? r.out.size() - 5 : 0), "End.\n") << r.out;
    EXPECT_EQ(r.err.find("frame 4393"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("menu"), std::string::npos) << r.err;
}

TEST(Program, SpaceShowsTheMenuAndF4StartsPlay)
{
    Fixture f;
    ProcessResult r = f.run({"-w", "-q", "-l", "1"}, press(10, KEY_SPACE) + press(20, KEY_F4) + alt_x(40));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("frame 11: menu level 1\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("frame 21: play level 1\n"), std::string::npos) << r.err;
}

TEST(Program, HInTheMenuShowsTheHelpAndAnyKeyGoesBack)
{
    Fixture f;
    // Print (a screenshot of the help) and Shift leave the help up; a leaves it.
    ProcessResult r = f.run({"-w", "-q", "-l", "1"},
                            "10 press 32\n20 press 104\n24 press 316\n26 press 304\n30 press 97\n" + alt_x(40));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("frame 11: menu level 1\nframe 21: help level 1\nframe 31: menu level 1\n"),
              std::string::npos)
        << r.err;
}

TEST(Program, AltXTappedWithinOneBatchEnds)
{
    // Alt goes down, x is pressed and Alt goes up before frame 31 looks.
    Fixture f;
    ProcessResult r = f.run({"-w", "-q", "-l", "1"}, press(10, KEY_SPACE) + press(20, KEY_F4) + tapped_with(30, KEY_LALT, KEY_x));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() >= 5 ? r.out.size() - 5 : 0), "End.\n") << r.out;
    EXPECT_NE(r.err.find("frame 21: play level 1\n"), std::string::npos) << r.err;
}

TEST(Program, LevelStepsInDemonstrationAndPlay)
{
    Fixture f;
    // F7 back to the built-in level, F12 there does nothing, F8 on to level 1,
    // Escape plays it, F7 in play leads to level 0.
    ProcessResult r = f.run({"-w", "-q", "-l", "1"},
                            press(10, KEY_F7) + press(15, KEY_F12) + press(20, KEY_F8) + press(30, KEY_ESCAPE) +
                                press(40, KEY_F7) + alt_x(50));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("frame 1: demo level 1\nframe 11: demo level 0\nframe 21: demo level 1\n"
                         "frame 31: play level 1\nframe 41: play level 0\n"),
              std::string::npos)
        << r.err;
}

// The masters: with -s the demonstration plays the shipped levels' solved
// movies one after another, each level ending at its movie's last tick.
TEST(Program, PreSolvedMoviesPlayLevelAfterLevel)
{
    TempDir dir;
    mkdir(dir.file("home").c_str(), 0700);
    symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
    ProcessResult list = run_process(VBLTOOL_BINARY, {"list", VORBIX_BUILD_DIR "/data/masters.vbl"});
    ASSERT_EQ(list.status, 0);
    long frame = 0;
    std::string expected = "frame 1: demo level 1\n";
    for (int level = 1; level <= 3; level++) {
        const std::string key = (level < 10 ? "  " : " ") + std::to_string(level) + "  movie";
        const size_t at = list.out.find(key);
        ASSERT_NE(at, std::string::npos) << list.out;
        const size_t ticks_at = list.out.find("ticks=", at);
        frame += std::stol(list.out.substr(ticks_at + 6));
        expected += "frame " + std::to_string(frame) + ": demo level " + std::to_string(level + 1) + "\n";
    }
    write_file(dir.file("script"), alt_x(frame + 5));
    ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q", "-s", "-l", "1"},
                                  {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                                   "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy",
                                   "SDL_AUDIODRIVER=dummy"},
                                  120, dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
}

TEST(Program, F3EditsFromTheDemonstrationPlayAndMenuAndAltWWrites)
{
    Fixture f;
    // Demonstration, editor, play, editor, play, demonstration, menu, editor.
    std::string script = press(10, KEY_F3) + press(20, KEY_ESCAPE) + press(30, KEY_F3) + press(40, KEY_SPACE) +
                         press(50, KEY_q) + press(60, KEY_SPACE) + press(70, KEY_F3);
    // A brick (the tile chosen at start) painted on the first empty cell of
    // row 7 with a two-frame click, then Alt+W over the existing level.
    size_t at = LEVEL0_TEXT.find('\n');   // the end of the comment line; then of rows 0..6
    for (int r = 0; r < 7; r++)
        at = LEVEL0_TEXT.find('\n', at + 1);
    const size_t column = LEVEL0_TEXT.find('.', at + 1) - (at + 1);
    ASSERT_LT(column, 24u);
    const int x = int(32 + 24 * column + 12), y = 60 + 24 * 7 + 12;
    script += mouse(80, "down", 1, x, y) + mouse(82, "up", 1, x, y);
    script += with(85, KEY_LALT, KEY_w) + press(90, KEY_ESCAPE) + alt_x(100);
    ProcessResult r = f.run({"-w", "-q", "-l", "1"}, script);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("frame 1: demo level 1\nframe 11: leveledit level 1\nframe 21: play level 1\n"
                         "frame 31: leveledit level 1\nframe 41: play level 1\nframe 51: demo level 1\n"
                         "frame 61: menu level 1\nframe 71: leveledit level 1\nframe 91: play level 1\n"),
              std::string::npos)
        << r.err;
    std::string painted = LEVEL0_TEXT;
    painted[at + 1 + column] = '#';
    const std::string archive = f.dir.file("home/.zuzezodov/levels.vbl");
    r = run_process(VBLTOOL_BINARY, {"show", archive, "1"});
    EXPECT_EQ(r.out.substr(r.out.find('\n')), painted.substr(painted.find('\n')));
    r = run_process(VBLTOOL_BINARY, {"list", archive});
    EXPECT_EQ(r.out, "  1  no movie\n") << "writing the level empties its movie";
}

TEST(Program, MissingSoundEndsStartUpWithStatus4)
{
    TempDir dir;
    mkdir(dir.file("home").c_str(), 0700);
    mkdir(dir.file("data").c_str(), 0755);
    for (const char* name : {"levels.vbl", "redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm",
                             "fall.wav", "pop.wav", "victory.wav", "death.wav"})
        symlink((std::string(VORBIX_BUILD_DIR "/data/") + name).c_str(), dir.file(std::string("data/") + name).c_str());
    ProcessResult r = run_process(VORBIX_BINARY, {"-w"},
                                  {"HOME=" + dir.file("home"), "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, 20,
                                  dir.path);
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("Paths exhausted for file " VORBIX_DATA_DIR "/dig.wav\n"), std::string::npos) << r.err;
    // With -q the same start-up runs silently.
    write_file(dir.file("script"), alt_x(5));
    r = run_process(VORBIX_BINARY, {"-w", "-q"},
                    {"HOME=" + dir.file("home"), "SDL_VIDEODRIVER=dummy", "VORBIX_FAST=1",
                     "VORBIX_SCRIPT=" + dir.file("script")},
                    20, dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
}

} // namespace
