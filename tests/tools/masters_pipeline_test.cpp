// tools/masters.sh end to end on two small levels in a folder of their own:
// the masters it makes, keeps, picks, shortens and measures, checked by
// replaying them. The levels are small enough that every search ends when
// it runs out of states, long before its budget, so nothing here depends on
// the machine's speed.
#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

#include "support/process.h"

namespace {

const std::string SCRIPT = VORBIX_SOURCE_DIR "/tools/masters.sh";

std::string level_text(const std::vector<std::string>& rows)
{
    std::string text = "; Level: a test level\n";
    for (size_t r = 0; r < 15; r++) {
        std::string row = r < rows.size() ? rows[r] : "";
        row.resize(24, '.');
        text += row + "\n";
    }
    return text;
}

// Level 1: walk to the object and back to the ladder. Level 2: hand over
// hand along a rope over a pit and back.
const std::vector<std::string> WALK = {"H", "H", "H..P.....$", std::string(24, '@')};
const std::vector<std::string> ROPE = {"H", "H", "HP...-----$", "@@@@@.....@@@@@@@@@@@@@@", "@@@@@.....@", "@@@@@@@@@@@"};

struct Figures {
    bool won = false;
    int ticks = 0, score = 0;
};

struct Pipeline {
    TempDir dir;
    Pipeline()
    {
        mkdir(dir.file("data").c_str(), 0755);
        mkdir(dir.file("data/levels").c_str(), 0755);
        write_file(level(1), level_text(WALK));
        write_file(level(2), level_text(ROPE));
    }
    std::string level(int n) const { return dir.file("data/levels/level00" + std::to_string(n) + ".txt"); }
    std::string master(int n) const { return dir.file("data/masters/level00" + std::to_string(n) + ".movie"); }

    ProcessResult run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {SCRIPT, "--root", dir.path, "--vbltool", VBLTOOL_BINARY});
        return run_process("/bin/sh", args, {}, 60);
    }
    // A movie's figures as a replay of it measures them.
    Figures figures(int n, const std::string& movie) const
    {
        const ProcessResult r = run_process(VBLTOOL_BINARY, {"--kv", "measure", level(n), movie});
        std::smatch m;
        Figures f;
        if (std::regex_search(r.out, m, std::regex(" result=(won|lost) ticks=([0-9]+) score=([0-9]+)")))
            f = {m[1] == "won", std::stoi(m[2]), std::stoi(m[3])};
        return f;
    }
    // The master with the hero standing still for a second after its first
    // pair: it still wins, later and with less time left to score.
    void slow_down(int n) const
    {
        const std::string movie = read_file(master(n));
        const size_t pairs = movie.find('\n', movie.find("\nseed ") + 1) + 1;
        const size_t first = movie.find(' ', pairs);
        write_file(master(n), movie.substr(0, first) + " 60x0" + movie.substr(first));
    }
};

TEST(MastersPipeline, SolvesKeepsPicksShortensAndMeasuresTheMasters)
{
    Pipeline p;
    ProcessResult r = p.run({"solve", "20"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const Figures walk = p.figures(1, p.master(1)), rope = p.figures(2, p.master(2));
    ASSERT_TRUE(walk.won && rope.won) << r.out;
    EXPECT_NE(r.out.find("level001: new master (" + std::to_string(walk.score) + " in " +
                         std::to_string(walk.ticks) + " ticks)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("unsolved: none\n"), std::string::npos) << r.out;
    // The masters pack and verify against the scores they store.
    const ProcessResult pack = run_process(VBLTOOL_BINARY, {"pack", "-o", p.dir.file("m.vbl"), p.level(1), p.master(1),
                                                            p.level(2), p.master(2)});
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"verify", p.dir.file("m.vbl")}).status, 0);

    // Solved again: no better movie, the masters stay byte for byte.
    const std::string master1 = read_file(p.master(1));
    r = p.run({"solve", "20", "1"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("level001: kept the master"), std::string::npos) << r.out;
    EXPECT_EQ(read_file(p.master(1)), master1);

    // A master slowed down loses to the search...
    p.slow_down(1);
    const Figures slow = p.figures(1, p.master(1));
    ASSERT_TRUE(slow.won);
    ASSERT_EQ(slow.ticks, walk.ticks + 60);
    ASSERT_LT(slow.score, walk.score);
    r = p.run({"solve", "20", "1"});
    EXPECT_NE(r.out.find("level001: new master"), std::string::npos) << r.out;
    const Figures again = p.figures(1, p.master(1));
    EXPECT_TRUE(again.won && again.ticks == walk.ticks && again.score == walk.score);

    // ... and to the movies found from other seeds, shortened.
    p.slow_down(1);
    r = p.run({"resolve-seeds", p.dir.file("seeds"), "0 5", "20", "1", "2"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    for (const char* name : {"level001.s0.movie", "level001.s5.movie", "level002.s0.movie", "level002.s5.movie"})
        EXPECT_TRUE(p.figures(1 + (name[7] == '2'), p.dir.file(std::string("seeds/") + name)).won) << name;
    r = p.run({"pick", p.dir.file("seeds"), "1000000"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("level001: " + std::to_string(slow.ticks) + " ticks, score " + std::to_string(slow.score) +
                         " -> "), std::string::npos) << r.out;
    const Figures picked = p.figures(1, p.master(1));
    EXPECT_TRUE(picked.won);
    EXPECT_LE(picked.ticks, walk.ticks);
    EXPECT_GE(picked.score, walk.score);

    // Shortened into a folder of its own: a slowed master loses its wait,
    // the masters themselves stay.
    const Figures rope_now = p.figures(2, p.master(2));   // pick may have shortened it too
    EXPECT_LE(rope_now.ticks, rope.ticks);
    p.slow_down(2);
    const std::string slow_rope = read_file(p.master(2));
    const Figures slowed = p.figures(2, p.master(2));
    ASSERT_TRUE(slowed.won);
    ASSERT_EQ(slowed.ticks, rope_now.ticks + 60);
    r = p.run({"shorten", p.dir.file("short"), "1000000"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(read_file(p.master(2)), slow_rope);
    const Figures shortened = p.figures(2, p.dir.file("short/level002.movie"));
    EXPECT_TRUE(shortened.won);
    EXPECT_LE(shortened.ticks, rope_now.ticks);
    EXPECT_GE(shortened.score, rope_now.score);
    // Picked from a shortened movie, it names its figures before the first
    // shortening only.
    const std::string text = read_file(p.dir.file("short/level002.movie"));
    const std::regex shortened_line("; shortened by vbltool shorten from ");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), shortened_line), std::sregex_iterator()), 1)
        << text;

    // The tail of the slowed master searched again from half its inputs,
    // part way through the wait: a quicker way on from there.
    r = p.run({"improve-tails", "20", "50", "2"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const Figures tail = p.figures(2, p.master(2));
    EXPECT_TRUE(tail.won);
    EXPECT_LT(tail.ticks, slowed.ticks);
    EXPECT_NE(read_file(p.master(2)).find("; tail searched again by tools/masters.sh improve-tails from " +
                                          std::to_string(slowed.ticks) + " ticks, score " +
                                          std::to_string(slowed.score) + "\n"), std::string::npos);

    // The effort to the first way out goes into each master's comment; the
    // inputs stay.
    const std::string before = read_file(p.master(1));
    r = p.run({"measure-effort", "20"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::string after = read_file(p.master(1));
    std::smatch effort;
    ASSERT_TRUE(std::regex_search(after, effort, std::regex("\n; solver: first way out after ([0-9]+) states in "
                                                            "[0-9.]+ seconds\n"))) << after;
    EXPECT_GT(std::stoi(effort[1]), 0);
    EXPECT_EQ(after.substr(after.find("\nscore ")), before.substr(before.find("\nscore ")));
    EXPECT_NE(r.out.find("level001: ; solver: first way out after " + effort[1].str() + " states"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("unsolved: none\n"), std::string::npos) << r.out;

    // A new master from two seeds for the rope level, whatever it had.
    r = p.run({"remaster", "0 5", "20", "2"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(p.figures(2, p.master(2)).won);
    EXPECT_NE(r.out.find("level002: "), std::string::npos) << r.out;
}

// A level with no way out: said, counted and the status false; no master.
TEST(MastersPipeline, ALevelWithNoWayOutIsToldAndFailsTheRun)
{
    Pipeline p;
    write_file(p.dir.file("data/levels/level003.txt"), level_text({"H", "H..@@@", "H..@P@....$", std::string(24, '@')}));
    ProcessResult r = p.run({"solve", "20", "1", "3"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("level003: no way out found\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("unsolved: 3\n"), std::string::npos) << r.out;
    EXPECT_TRUE(p.figures(1, p.master(1)).won);
    r = p.run({"measure-effort", "20", "3"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_EQ(p.run({"frobnicate"}).status, 2);
}

} // namespace
