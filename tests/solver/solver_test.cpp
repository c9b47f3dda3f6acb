// The search on small levels that each need one of the game's tricks, and
// vbltool solve and render as the level designer runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <unistd.h>
#include <string>
#include <vector>

#include "core/flags.h"
#include "game/game.h"
#include "level/movie.h"
#include "level/grid.h"
#include "level/textformat.h"
#include "platform/clock.h"
#include "solver/solver.h"
#include "support/fixtures.h"
#include "support/process.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

bool file_exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Rows from the top of the field; missing rows and columns are empty.
void load(const std::vector<std::string>& rows) { load_field_rows(level_grid, rows); }

std::string level_file_text(const std::vector<std::string>& rows)
{
    std::string text = "; a test level\n";
    for (int r = 0; r < FIELD_ROWS; r++) {
        std::string row = r < int(rows.size()) ? rows[size_t(r)] : "";
        row.resize(FIELD_COLUMNS, '.');
        text += row + "\n";
    }
    return text;
}

struct TrickLevel {
    const char* name;
    std::vector<std::string> rows;
};

const TrickLevel TRICK_LEVELS[] = {
    // The chest lies in a pit under the hero's closed room: dig the floor,
    // drop in, and leave by the escape ladder that appears in the pit.
    {"dig through the floor and take the escape ladder",
     {"......S",
      "......S",
      ".@P..@S@",
      "@@@#@@S@@@@@@@@@@@@@@@@@",
      "@..$..S@",
      "@@@@@@@@@@@@@@@@@@@@@@@@"}},
    // The only way to the chest and back is hand over hand along the rope.
    {"cross a gap on the rope",
     {"H",
      "H",
      "HP...-----$",
      "@@@@@.....@@@@@@@@@@@@@@",
      "@@@@@.....@",
      "@@@@@@@@@@@"}},
    // An enemy walks the one corridor: it has to fall into a hole so that
    // the hero can walk over it to the chest.
    {"trap the enemy to cross",
     {"H",
      "H",
      "H.P...........E.....$...",
      "@@@@#######@@@@@@@@@@@@@"}},
    // The chest lies in a closed room of stone whose only way in is the
    // brick in its roof: while that brick crumbles it looks like stone, and
    // the search has to step in all the same. Out through the gap in the
    // room's floor and up the ladder; the brick floor below leads nowhere.
    {"dig through the roof of a closed room",
     {"H..P",
      "H@@@@@@#@@@@@@@@@@@@@@@@",
      "H@.....$...@",
      "H@@@@@@@@@.@@@@@@@@@@@@@",
      "H",
      "H",
      "########################"}},
};

TEST(Solver, FindsAWayOutOfEveryTrickLevelThatReplaysToTheExit)
{
    for (const TrickLevel& level : TRICK_LEVELS) {
        SCOPED_TRACE(level.name);
        load(level.rows);
        SolveOptions options;
        options.budget_seconds = 20;
        options.improve = false;
        const SolveResult r = solve_level(level_grid, options);
        ASSERT_EQ(r.status, SOLVE_FOUND);
        EXPECT_GT(r.expanded, 0);
        EXPECT_GE(r.ticks_simulated, int64_t(r.inputs.size()));
        // The movie record's run-length pairs give back the same inputs, and
        // these take the hero out on their last tick with the stated score.
        const std::vector<uint8_t> record = movie_record_of(r.inputs, r.score, 0, "VORBIX");
        ASSERT_FALSE(record.empty());
        const std::vector<uint8_t> inputs = inputs_of_movie(record.data(), int(record.size()));
        EXPECT_EQ(inputs, r.inputs);
        int ticks = 0, score = 0;
        EXPECT_TRUE(play_inputs(level_grid, inputs, 0, &ticks, &score));
        EXPECT_EQ(ticks, r.ticks);
        EXPECT_EQ(score, r.score);
        EXPECT_NE(inputs.front(), INPUT_NONE) << "a movie starts with the hero's first move";
    }
}

// The search in slices of one state each finds the same way out as in one go, and
// between slices the grid is the level as it was.
TEST(Solver, ASearchInSlicesGivesTheSameResultAndKeepsTheGridBetweenSlices)
{
    for (const TrickLevel& level : TRICK_LEVELS) {
        SCOPED_TRACE(level.name);
        load(level.rows);
        const PlayGrid before = level_grid;
        SolveOptions options;
        options.budget_seconds = 20;
        const SolveResult whole = solve_level(level_grid, options);
        ASSERT_EQ(whole.status, SOLVE_FOUND);
        SolveSearchHolder search = solve_begin(level_grid, options);
        int slices = 0;
        for (bool done = false; !done; slices++) {
            done = solve_slice(*search, 0);   // one state a slice
            ASSERT_EQ(level_grid, before);
        }
        const SolveResult& sliced = solve_result(*search);
        EXPECT_GT(slices, 1);
        EXPECT_EQ(sliced.status, SOLVE_FOUND);
        EXPECT_EQ(sliced.inputs, whole.inputs);
        EXPECT_EQ(sliced.score, whole.score);
        EXPECT_EQ(sliced.ticks, whole.ticks);
        EXPECT_EQ(sliced.expanded, whole.expanded);
        EXPECT_EQ(sliced.first_expanded, whole.first_expanded);
        EXPECT_TRUE(solve_slice(*search, 1)) << "a finished search stays finished";
    }
}

// A slice ends near its length even on a level without a way out; the
// budget counts only the time spent inside the slices.
TEST(Solver, ASliceStopsOnTimeAndTheBudgetCountsOnlyTheSlices)
{
    // The chest is walled in by stone; the enemy above and the bricks to dig
    // give the search more states than it can try in the budget.
    load({"H......................E", "H.P", "########################", "",
          "@@@@@@@@@@@@@@@@@@@@@@@@", "@@@@@", "@.$@", "@@@@"});
    SolveOptions options;
    options.budget_seconds = 0.3;
    SolveSearchHolder search = solve_begin(level_grid, options);
    bool done = false;
    int slices = 0;
    while (!done) {
        // Processor time: a slice of 10 ms cannot use more, however busy
        // the machine, while a slice that ran on would.
        const int64_t start = processor_time_ns();
        done = solve_slice(*search, 0.01);
        EXPECT_LT(double(processor_time_ns() - start) / 1e9, 0.1);
        slices++;
        usleep(2000);
    }
    const SolveResult& r = solve_result(*search);
    EXPECT_EQ(r.status, SOLVE_NOT_FOUND);
    EXPECT_GE(slices, 10);
    EXPECT_GE(r.seconds, 0.29);
    EXPECT_LT(r.seconds, 0.5);
}

TEST(Solver, RefusesALevelWithoutAHero)
{
    load({"H", "H.....$", "@@@@@@@@@@@@@@@@@@@@@@@@"});
    const SolveResult r = solve_level(level_grid, SolveOptions{});
    EXPECT_EQ(r.status, SOLVE_REFUSED);
    EXPECT_EQ(r.problem, "the level has no hero");
}

// A written opening runs first; the search goes on from where it ends, and
// the movie found is the opening and then the search's way. An opening the
// hero does not live through is refused with the input where he is lost.
TEST(Solver, AnOpeningRunsFirstAndTheSearchGoesOnFromItsEnd)
{
    load(TRICK_LEVELS[2].rows);
    SolveOptions options;
    options.budget_seconds = 20;
    options.improve = false;
    options.opening = std::vector<uint8_t>(24, INPUT_LEFT);   // away from the chest first
    const SolveResult r = solve_level(level_grid, options);
    ASSERT_EQ(r.status, SOLVE_FOUND);
    ASSERT_GT(r.inputs.size(), options.opening.size());
    EXPECT_TRUE(std::equal(options.opening.begin(), options.opening.end(), r.inputs.begin()));
    int ticks = 0, score = 0;
    EXPECT_TRUE(play_inputs(level_grid, r.inputs, 0, &ticks, &score));
    EXPECT_EQ(ticks, r.ticks);
    EXPECT_EQ(score, r.score);

    // One step towards the guard, then standing until he comes.
    options.opening = {INPUT_RIGHT};
    options.opening.resize(401, INPUT_NONE);
    const SolveResult lost = solve_level(level_grid, options);
    EXPECT_EQ(lost.status, SOLVE_REFUSED);
    EXPECT_EQ(lost.problem.rfind("the opening loses the hero on its input ", 0), 0u) << lost.problem;
    EXPECT_NE(lost.problem.find(" of 401"), std::string::npos) << lost.problem;
}

TEST(Solver, MovieRecordsSplitLongRunsAndRefuseTooManyPairs)
{
    std::vector<uint8_t> inputs(300, INPUT_RIGHT);
    inputs.push_back(INPUT_UP);
    const std::vector<uint8_t> record = movie_record_of(inputs, 1234, 7, "VORBIX");
    ASSERT_EQ(record.size(), size_t(MOVIE_HEADER_SIZE + 6));
    EXPECT_EQ(record[20], 7);
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + 21, record.end()),
              (std::vector<uint8_t>{255, INPUT_RIGHT, 45, INPUT_RIGHT, 1, INPUT_UP}));
    std::vector<uint8_t> alternating;
    for (int i = 0; i < 2 * MOVIE_MAX_PAIRS + 2; i++)
        alternating.push_back(uint8_t(1 + i % 2));
    EXPECT_TRUE(movie_record_of(alternating, 0, 0, "VORBIX").empty());
}

struct SolveFiles {
    TempDir dir;
    std::string level(const std::vector<std::string>& rows)
    {
        write_file(dir.file("level.txt"), level_file_text(rows));
        return dir.file("level.txt");
    }
};

TEST(VbltoolSolve, WritesAMovieThatPacksAndVerifiesAndIsTheSameEveryTime)
{
    SolveFiles f;
    const std::string level = f.level(TRICK_LEVELS[2].rows);
    ProcessResult first = run_process(VBLTOOL_BINARY, {"solve", level, "1", "--budget", "20", "-o", f.dir.file("a.movie")});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("level=1 result=solved ticks=", 0), 0u) << first.out;
    for (const char* field : {" score=", " expanded=", " simulated=", " seconds="})
        EXPECT_NE(first.out.find(field), std::string::npos) << field;
    ProcessResult second = run_process(VBLTOOL_BINARY, {"solve", level, "1", "--budget", "20", "-o", f.dir.file("b.movie")});
    ASSERT_EQ(second.status, 0) << second.err;
    // The same movie and the same states; only the seconds in the effort
    // comment depend on the machine.
    auto without_seconds = [](const std::string& text) {
        return std::regex_replace(text, std::regex("in [0-9.]+ seconds"), "in - seconds");
    };
    EXPECT_EQ(without_seconds(read_file(f.dir.file("a.movie"))), without_seconds(read_file(f.dir.file("b.movie"))));

    write_file(f.dir.file("level001.txt"), read_file(level));
    write_file(f.dir.file("level001.movie"), read_file(f.dir.file("a.movie")));
    ASSERT_EQ(run_process(VBLTOOL_BINARY, {"pack", "-o", f.dir.file("m.vbl"), f.dir.file("level001.txt"),
                                           f.dir.file("level001.movie")}).status, 0);
    ProcessResult verify = run_process(VBLTOOL_BINARY, {"verify", f.dir.file("m.vbl")});
    EXPECT_EQ(verify.status, 0) << verify.out;
    EXPECT_EQ(verify.out.rfind("level=1 outcome=exit", 0), 0u) << verify.out;
}

// --opening-ticks takes the first inputs of a movie as the opening: none of
// them gives the search from the start, a hundred of them the movie's first
// hundred and a way on from there.
TEST(VbltoolSolve, AnOpeningOfAMoviesFirstTicks)
{
    SolveFiles f;
    const std::string level = f.level(TRICK_LEVELS[2].rows);
    auto solve = [&](std::vector<std::string> more, const std::string& out) {
        std::vector<std::string> args = {"solve", level, "1", "--budget", "20", "-o", f.dir.file(out)};
        args.insert(args.end(), more.begin(), more.end());
        ProcessResult r = run_process(VBLTOOL_BINARY, args);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<uint8_t> record;
        EXPECT_EQ(parse_movie_text(read_file(f.dir.file(out)), &record), "");
        return inputs_of_movie(record.data(), int(record.size()));
    };
    const std::vector<uint8_t> plain = solve({}, "plain.movie");
    ASSERT_GT(plain.size(), 100u);
    EXPECT_EQ(solve({"--opening", f.dir.file("plain.movie"), "--opening-ticks", "0"}, "none.movie"), plain);
    const std::vector<uint8_t> on = solve({"--opening", f.dir.file("plain.movie"), "--opening-ticks", "100"}, "on.movie");
    ASSERT_GT(on.size(), 100u);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 100, on.begin()));
    load(TRICK_LEVELS[2].rows);
    int ticks = 0, score = 0;
    EXPECT_TRUE(play_inputs(level_grid, on, 0, &ticks, &score));
}

TEST(VbltoolSolve, AWalledInHeroEndsWithStatus1AndNoFile)
{
    SolveFiles f;
    const std::string level = f.level({"H", "H..@@@", "H..@P@....$", "@@@@@@@@@@@@@@@@@@@@@@@@"});
    ProcessResult r = run_process(VBLTOOL_BINARY, {"solve", level, "3", "--budget", "2", "-o", f.dir.file("out.movie")});
    EXPECT_EQ(r.status, 1);
    // The closed room runs out of states long before the budget, and says so.
    EXPECT_NE(r.err.find("level 3: no way out found: the search ran out of states after "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(" of 2 seconds"), std::string::npos) << r.err;
    EXPECT_FALSE(file_exists(f.dir.file("out.movie")));
    EXPECT_FALSE(file_exists(f.dir.file("out.movie.part")));
}

// check --solve searches each level that keeps to the rules: proven with the
// way out's ticks and score (those of solve), or unproven with status 1; a
// level that breaks a rule gets the rule, unsearched.
TEST(VbltoolCheck, SolveProvesOrFailsEachLevel)
{
    SolveFiles f;
    const std::string rope = f.dir.file("rope.txt"), walled = f.dir.file("walled.txt"), broken = f.dir.file("broken.txt");
    write_file(rope, level_file_text(TRICK_LEVELS[1].rows));
    write_file(walled, level_file_text({"H", "H..@@@", "H..@P@....$", "@@@@@@@@@@@@@@@@@@@@@@@@"}));
    write_file(broken, level_file_text({"H", "H.....$", "@@@@@@@@@@@@@@@@@@@@@@@@"}));
    const ProcessResult solved = run_process(VBLTOOL_BINARY, {"solve", rope, "1", "--budget", "20", "-o", f.dir.file("r.movie")});
    ASSERT_EQ(solved.status, 0) << solved.err;
    std::smatch figures;
    ASSERT_TRUE(std::regex_search(solved.out, figures, std::regex("ticks=[0-9]+ score=[0-9]+")));

    ProcessResult proven = run_process(VBLTOOL_BINARY, {"check", "--solve", "20", rope});
    EXPECT_EQ(proven.status, 0) << proven.out << proven.err;
    EXPECT_EQ(proven.out, rope + ": ok, proven " + figures.str() + "\n");

    ProcessResult mixed = run_process(VBLTOOL_BINARY, {"check", rope, walled, broken, "--solve", "1"}, {}, 60);
    EXPECT_EQ(mixed.status, 1);
    EXPECT_NE(mixed.out.find(rope + ": ok, proven ticks="), std::string::npos) << mixed.out;
    EXPECT_NE(mixed.out.find(walled + ": ok, unproven (no way out found in "), std::string::npos) << mixed.out;
    EXPECT_NE(mixed.out.find(broken + ": level must have exactly 1 player\n"), std::string::npos) << mixed.out;

    // Without --solve nothing is searched: the walled-in level keeps the rules.
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"check", walled}).out, walled + ": ok\n");
    for (const char* budget : {"0", "-1", "x", "700000"})
        EXPECT_EQ(run_process(VBLTOOL_BINARY, {"check", "--solve", budget, rope}).status, 2) << budget;
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"check", rope, "--solve"}).status, 2);
}

TEST(VbltoolSolve, RefusedLevelsAndBadArgumentsEndWithStatus2)
{
    SolveFiles f;
    const std::string no_hero = f.level({"H", "H.....$", "@@@@@@@@@@@@@@@@@@@@@@@@"});
    ProcessResult r = run_process(VBLTOOL_BINARY, {"solve", no_hero, "1", "-o", f.dir.file("out.movie")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the level has no hero"), std::string::npos) << r.err;
    write_file(f.dir.file("bad.txt"), "; too short\n....\n");
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"solve", f.dir.file("bad.txt"), "1"}).status, 2);
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"solve", no_hero, "1", "--seed", "24"}).status, 2);
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"solve", no_hero, "1", "--budget", "0"}).status, 2);
    // An opening's movie brings its own seed; another one given is refused.
    write_file(f.dir.file("opening.movie"), "score 0\nname VORBIX\nseed 0\n24x3\n");
    ProcessResult seeds = run_process(VBLTOOL_BINARY, {"solve", f.level(TRICK_LEVELS[2].rows), "1", "--seed", "3",
                                                       "--opening", f.dir.file("opening.movie")});
    EXPECT_EQ(seeds.status, 2);
    EXPECT_NE(seeds.err.find("the opening was made with seed 0"), std::string::npos) << seeds.err;
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"solve", no_hero, "1", "--opening", f.dir.file("none.movie")}).status, 2);
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"solve", no_hero, "1", "--opening-ticks", "5"}).status, 2);
    EXPECT_FALSE(file_exists(f.dir.file("out.movie")));
}

TEST(VbltoolRender, DrawsALevelAndAMovieTickAsPngFiles)
{
    SolveFiles f;
    const std::string level = f.level(TRICK_LEVELS[0].rows);
    ASSERT_EQ(run_process(VBLTOOL_BINARY, {"solve", level, "1", "-o", f.dir.file("l.movie")}).status, 0);
    const std::string data = VORBIX_BUILD_DIR;
    ProcessResult start = run_process(VBLTOOL_BINARY, {"render", level, "1", "-o", f.dir.file("start.png")}, {}, 20, data);
    ASSERT_EQ(start.status, 0) << start.err;
    ProcessResult later = run_process(VBLTOOL_BINARY, {"render", level, "1", "-o", f.dir.file("later.png"), "--movie",
                                                       f.dir.file("l.movie"), "--tick", "60"}, {}, 20, data);
    ASSERT_EQ(later.status, 0) << later.err;
    const std::string a = read_file(f.dir.file("start.png")), b = read_file(f.dir.file("later.png"));
    EXPECT_EQ(a.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(b.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_NE(a, b) << "the hero has moved after 60 ticks";
    // Width and height in the header: the whole screen.
    EXPECT_EQ(a.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xe0", 8));
    // A path where no file can be made: status 1, nothing left behind.
    ProcessResult bad = run_process(VBLTOOL_BINARY, {"render", level, "1", "-o", f.dir.file("no/such/dir.png")}, {}, 20, data);
    EXPECT_EQ(bad.status, 1);
}

} // namespace
