// vbltool --kv: every result one line of key=value pairs with a result key,
// failures included, which scripts read by key.
#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

#include "support/process.h"

namespace {

// A text level from rows at the top of the field; the rest is empty.
std::string level_text(const std::vector<std::string>& rows)
{
    std::string text = "; a test level\n";
    for (size_t r = 0; r < 15; r++) {
        std::string row = r < rows.size() ? rows[r] : "";
        row.resize(24, '.');
        text += row + "\n";
    }
    return text;
}

// Level 0's layout and its movie, stored as level 3 (the movie's score
// given, so that a wrong one can be stored too).
struct Level0Files {
    TempDir dir;
    std::string folder = dir.file("a b");   // a space that values must escape
    std::string level = folder + "/level003.txt";
    std::string movie = folder + "/level003.movie";

    Level0Files()
    {
        mkdir(folder.c_str(), 0755);
        write_file(level, run_process(VBLTOOL_BINARY, {"show", "-", "0"}).out);
    }
    // The archive holding the level and its movie with the given stored score.
    std::string archive(int stored_score)
    {
        std::string text = "score " + std::to_string(stored_score) + "\nname lord mobrin\nseed 1\n";
        const int pairs[][2] = {
#include "level0_pairs.inc"
        };
        for (const auto& p : pairs)
            text += std::to_string(p[0]) + "x" + std::to_string(p[1]) + "\n";
        write_file(movie, text);
        const std::string path = dir.file(std::to_string(stored_score) + ".vbl");
        EXPECT_EQ(run_process(VBLTOOL_BINARY, {"pack", "-o", path, level, movie}).status, 0);
        return path;
    }
};

// Each line: pairs of a key and a value without spaces, one of them result.
void expect_machine_lines(const std::string& out)
{
    static const std::regex LINE("[a-z_/]+=[^ \n]*( [a-z_/]+=[^ \n]*)*");
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "an unfinished line: " << out;
        const std::string line = out.substr(start, end - start);
        EXPECT_TRUE(std::regex_match(line, LINE)) << line;
        EXPECT_TRUE(line.rfind("result=", 0) == 0 || line.find(" result=") != std::string::npos) << line;
        start = end + 1;
    }
}

TEST(MachineLines, EveryResultIsOneLineOfKeysAndValues)
{
    Level0Files f;
    const std::string good = f.archive(43450), wrong = f.archive(50000);
    const std::string walled = f.dir.file("level004.txt"), no_hero = f.dir.file("level005.txt");
    write_file(walled, level_text({"H", "H..@@@", "H..@P@....$", std::string(24, '@')}));
    write_file(no_hero, level_text({"H", "H.....$", std::string(24, '@')}));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;   // a regular expression for the whole output
    } cases[] = {
        {{"replay", "-", "0", "--kv"}, 0,
         "level=0 result=exit outcome=exit ticks=4392 score=43450 stored=43450 seconds=73\n"},
        {{"--kv", "verify", good}, 0, "level=3 result=ok outcome=exit ticks=4392 score=43450 stored=43450 seconds=73\n"},
        {{"--kv", "verify", wrong}, 1,
         "level=3 result=wrong_score outcome=exit ticks=4392 score=43450 stored=50000 seconds=73\n"},
        {{"--kv", "list", good}, 0, "level=3 result=movie score=43450 ticks=4392 name=lord\\\\x20mobrin\n"},
        {{"--kv", "measure", f.level, f.movie}, 0,
         "movie=" + f.dir.path +
             "/a\\\\x20b/level003\\.movie result=won ticks=4392 score=43450 moves=[0-9]+ back=[0-9]+ "
             "fetch=[0-9]+ other=[0-9]+ standing=[0-9]+\n"},
        {{"--kv", "check", f.level, no_hero}, 1,
         "input=" + f.dir.path + "/a\\\\x20b/level003\\.txt result=ok\ninput=" + no_hero +
             " result=broken problem=level\\\\x20must\\\\x20have\\\\x20exactly\\\\x201\\\\x20player\n"},
        {{"--kv", "check", "--solve", "5", walled}, 1,
         "input=" + walled + " result=unproven seconds=[0-9.]+ expanded=[0-9]+\n"},
        {{"--kv", "solve", walled, "4", "--budget", "5", "-o", f.dir.file("w.movie")}, 1,
         "level=4 result=unsolved limit=states expanded=[0-9]+ simulated=[0-9]+ seconds=[0-9.]+\n"},
        {{"--kv", "solve", no_hero, "5", "-o", f.dir.file("n.movie")}, 2,
         "level=5 result=refused problem=the\\\\x20level\\\\x20has\\\\x20no\\\\x20hero\n"},
        {{"--kv", "list", f.level}, 1,
         "input=" + f.dir.path + "/a\\\\x20b/level003\\.txt result=error problem=[^ ]+\n"},
        {{"--kv", "solve", walled, "4", "--seed", "24"}, 2, "input=24 result=error problem=the\\\\x20seed\\\\x20is\\\\x200\\.\\.23\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = run_process(VBLTOOL_BINARY, c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << ": " << r.out << r.err;
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << c.args[1] << ": " << r.out;
        expect_machine_lines(r.out);
    }
}

// A way out found: the line names the movie written and the figures a
// script keeps, and measure of that movie agrees on ticks and score.
TEST(MachineLines, SolveNamesTheMovieAndItsFiguresAsMeasureReadsThem)
{
    TempDir dir;
    const std::string level = dir.file("level001.txt"), movie = dir.file("out.movie");
    write_file(level, level_text({"H", "H", "H..P.....$", std::string(24, '@')}));
    const ProcessResult solved = run_process(VBLTOOL_BINARY, {"--kv", "solve", level, "1", "--first", "-o", movie});
    ASSERT_EQ(solved.status, 0) << solved.err;
    expect_machine_lines(solved.out);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(solved.out, m,
                                 std::regex("level=1 result=solved (ticks=[0-9]+ score=[0-9]+) expanded=[0-9]+ "
                                            "first=[1-9][0-9]* simulated=[0-9]+ seconds=[0-9.]+ states/s=[0-9]+ "
                                            "bytes/state=[0-9]+ first_seconds=[0-9.]+ seed=0 movie=(.*)\n")))
        << solved.out;
    EXPECT_EQ(m[2].str(), movie);
    const ProcessResult measured = run_process(VBLTOOL_BINARY, {"--kv", "measure", level, movie});
    EXPECT_EQ(measured.status, 0);
    EXPECT_EQ(measured.out.rfind("movie=" + movie + " result=won " + m[1].str() + " ", 0), 0u) << measured.out;
}

} // namespace
