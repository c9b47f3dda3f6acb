// vbltool run as a subprocess on small archives.
#include <gtest/gtest.h>

#include <unistd.h>

#include "support/archive_files.h"
#include "support/process.h"

namespace {

const std::string LEVEL0_TEXT =
    "; level 0\n"
    ".-----.$...SS...$.-----.\n"
    "H.....#%...SS...##.....H\n"
    "H.---....P.SS.E.E.E---.H\n"
    "H#...######@@######...#H\n"
    "H......##########......H\n"
    "H#.....*########$.....#H\n"
    "H...$...*######*...$...H\n"
    "H###%.....####.....%###H\n"
    "H..........##..........H\n"
    "H.$....---....---...$..H\n"
    "H######...H##H...######H\n"
    "H######..H####H..######H\n"
    "H.......H######H.......H\n"
    "H......H########H......H\n"
    "H...$.H##########H.$...H\n";

ProcessResult vbltool(const std::vector<std::string>& args)
{
    return run_process(VBLTOOL_BINARY, args);
}

TEST(Vbltool, ShowsTheBuiltInLevel)
{
    ProcessResult r = vbltool({"show", "-", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, LEVEL0_TEXT);
}

TEST(Vbltool, UnpackThenPackGivesTheSameRecords)
{
    TempDir dir;
    const std::string movie = std::string("\x10\x27\0\0", 4) + "some\\one" + std::string(8, '\xe9') +
                              std::string("\x03\x05\x04\xff\x01", 5);
    write_file(dir.file("in.vbl"),
               build_archive({20, {{0, pattern_bytes(180, 1)}, {1, movie}, {6, pattern_bytes(180, 2)}}}));
    // pattern bytes hold codes 12..15 too; the text format has no character for them
    ProcessResult r = vbltool({"unpack", dir.file("in.vbl"), dir.file("out")});
    EXPECT_EQ(r.status, 0) << r.err;

    // Levels written by unpack must be valid text levels: use level 0's.
    write_file(dir.file("out/level001.txt"), LEVEL0_TEXT);
    write_file(dir.file("out/level004.txt"), LEVEL0_TEXT);
    r = vbltool({"pack", "-o", dir.file("packed.vbl"), dir.file("out/level001.txt"),
                 dir.file("out/level001.movie"), dir.file("out/level004.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = vbltool({"unpack", dir.file("packed.vbl"), dir.file("again")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("again/level001.movie")), read_file(dir.file("out/level001.movie")));
    EXPECT_EQ(read_file(dir.file("again/level004.txt")), "; level 4\n" + LEVEL0_TEXT.substr(10));
    r = vbltool({"pack", "-o", dir.file("twice.vbl"), dir.file("again/level001.txt"),
                 dir.file("again/level001.movie"), dir.file("again/level004.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("twice.vbl")), read_file(dir.file("packed.vbl")));
    r = vbltool({"list", dir.file("packed.vbl")});
    EXPECT_EQ(r.out,
              "  1  movie  score=10000  time=4.20  ticks=260  name=some\\x5cone"
              "\\xe9\\xe9\\xe9\\xe9\\xe9\\xe9\\xe9\\xe9\n"
              "  4  no movie\n");
}

// Stored names are printed as unpack writes them: no control character or
// escape sequence reaches the terminal, and bytes after a zero byte show.
TEST(Vbltool, ListEscapesStoredNames)
{
    TempDir dir;
    const std::string movie = std::string("\x01\0\0\0", 4) + std::string("\x1b]0;x\x07\0z\r\n", 10) +
                              std::string(6, 0) + std::string("\x00\x01\x04", 3);
    write_file(dir.file("in.vbl"), build_archive({2, {{0, std::string(180, 0)}, {1, movie}}}));
    ProcessResult r = vbltool({"list", dir.file("in.vbl")});
    EXPECT_EQ(r.out, "  1  movie  score=1  time=0.01  ticks=1  name=\\x1b]0;x\\x07\\x00z\\x0d\\x0a\n");
}

// A failed write leaves neither the new archive nor its part behind, and
// the message names the archive and the system's reason.
TEST(Vbltool, PackThatCannotWriteLeavesNothing)
{
    TempDir dir;
    write_file(dir.file("level001.txt"), LEVEL0_TEXT);
    for (long limit : {4L, 100L}) {
        SCOPED_TRACE(limit);
        ProcessResult r = run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("x.vbl"), dir.file("level001.txt")}, {},
                                      20, "", {limit, false});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "vbltool: " + dir.file("x.vbl") + ": cannot write: File too large\n");
        for (const char* left : {"x.vbl", "x.vbl.part", "x.vbl.new"})
            EXPECT_NE(access(dir.file(left).c_str(), F_OK), 0) << left;
    }
}

TEST(Vbltool, PackRefusesMalformedNumbersWithFileAndLine)
{
    TempDir dir;
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"score \nseed 1\n1x0\n", "line 1: the score is a number"},
        {"score 5\nseed\n1x0\n", "line 2: expected pairs COUNTxINPUT with COUNT 1..255"},
        {"score 5\nseed \n1x0\n", "line 2: the seed is a number 0..23"},
        {"score 5\nseed 7zz\n1x0\n", "line 2: the seed is a number 0..23"},
        {"; c\nscore 5\nseed 4294967296\n1x0\n", "line 3: the seed is a number 0..23"},
    };
    for (const auto& c : cases) {
        write_file(dir.file("level001.movie"), c.text);
        ProcessResult r = vbltool({"pack", "-o", dir.file("x.vbl"), dir.file("level001.movie")});
        EXPECT_EQ(r.status, 1) << c.text;
        EXPECT_EQ(r.err, "vbltool: " + dir.file("level001.movie") + ": " + c.problem + "\n");
    }
}

// repair keeps every record that lies whole in the file and has its kind's
// size, and says what it kept and dropped.
TEST(Vbltool, RepairSalvagesTheReadableRecords)
{
    TempDir dir;
    const std::string level1 = pattern_bytes(180, 1), movie1 = pattern_bytes(25, 2), level2 = pattern_bytes(180, 3);
    const std::string level3 = pattern_bytes(180, 4), movie3 = pattern_bytes(41, 5);
    std::string file = build_archive({8, {{0, level1}, {1, movie1}, {2, level2}, {4, level3}, {5, movie3}}});
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            file[at + size_t(i)] = char(v >> (24 - 8 * i));
    };
    put(8 + 8 * 2 + 4, 100);         // level 2: 100 bytes
    put(8 + 8 * 6, 0x7fffffff);      // record 6 far past the end
    put(8 + 8 * 6 + 4, 180);
    file.resize(file.size() - 10);   // movie 3 cut short
    write_file(dir.file("bad.vbl"), file);
    ProcessResult r = vbltool({"repair", dir.file("bad.vbl"), "-o", dir.file("good.vbl")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kept record 0 (level 1), 180 bytes\n"
                     "kept record 1 (movie of level 1), 25 bytes\n"
                     "dropped record 2 (level 2): 100 bytes, a level has 180\n"
                     "kept record 4 (level 3), 180 bytes\n"
                     "dropped record 5 (movie of level 3): lies outside the file\n"
                     "dropped record 6 (level 4): lies outside the file\n"
                     "31 bytes beyond the last record kept belong to no record\n" +
                         dir.file("good.vbl") + ": 3 records kept, 3 dropped\n");
    EXPECT_EQ(read_file(dir.file("good.vbl")), build_archive({5, {{0, level1}, {1, movie1}, {4, level3}}}));
    EXPECT_EQ(read_file(dir.file("bad.vbl")), file);

    // An index that runs past the end keeps the entries that are there.
    write_file(dir.file("cut.vbl"), build_archive({4, {{0, level1}}}).substr(0, 8 + 8 * 2));
    r = vbltool({"repair", dir.file("cut.vbl"), "-o", dir.file("cut-good.vbl")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("dropped index entries 2..3: the index runs past the end of the file\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(vbltool({"repair", dir.file("cut.vbl"), "-o", dir.file("no/such/dir.vbl")}).status, 1);
    EXPECT_EQ(vbltool({"repair", dir.file("level001.txt"), "-o", dir.file("x.vbl")}).status, 1);
}

// The entry count is not trusted: the index ends where the first record
// begins, so a count too large keeps every record and takes no record bytes
// for index entries, and a count too small loses none of the records the
// index still names.
TEST(Vbltool, RepairBoundsTheIndexByTheRecords)
{
    TempDir dir;
    ArchiveImage image{40, {}};
    for (int record = 0; record < 40; record++)
        image.records.push_back({record, pattern_bytes(record % 2 ? 60 : 180, record)});
    const std::string sound = build_archive(image);
    auto with_count = [&](uint32_t count) {
        std::string file = sound;
        for (int i = 0; i < 4; i++)
            file[size_t(4 + i)] = char(count >> (24 - 8 * i));
        return file;
    };
    const struct {
        uint32_t count;
        const char* line;   // what repair says about the index
    } cases[] = {
        {801, "dropped index entries 40..800: the index would run into the records\n"},
        {0xffffffff, "dropped index entries 40..4294967294: the index would run into the records\n"},
        {30, "read index entries 30..39 beyond the count of 30: the index reaches the first record\n"},
        {0, "read index entries 0..39 beyond the count of 0: the index reaches the first record\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        write_file(dir.file("bad.vbl"), with_count(c.count));
        const ProcessResult r = vbltool({"repair", dir.file("bad.vbl"), "-o", dir.file("good.vbl")});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(c.line), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(": 40 records kept, "), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("dropped record"), std::string::npos) << r.out;
        EXPECT_EQ(read_file(dir.file("good.vbl")), sound);
    }
}

TEST(Vbltool, BadInputNamesTheFileAndTheProblem)
{
    TempDir dir;
    write_file(dir.file("level002.txt"), "; too short\n........................\n");
    write_file(dir.file("notanarchive"), "hello world");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"pack", "-o", dir.file("x.vbl"), dir.file("level002.txt")}, 1,
         "vbltool: " + dir.file("level002.txt") + ": 1 rows, a level has 15\n"},
        {{"pack", "-o", dir.file("x.vbl"), dir.file("nolevel.txt")}, 1,
         "vbltool: " + dir.file("nolevel.txt") + ": the file name names no level 1..400\n"},
        {{"list", dir.file("notanarchive")}, 1,
         "vbltool: " + dir.file("notanarchive") + ": it does not start with VRBX\n"},
        {{"show", dir.file("notanarchive"), "401"}, 1, "vbltool: 401: not a level number 0..400\n"},
    };
    for (const auto& c : cases) {
        ProcessResult r = vbltool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(vbltool({"frobnicate"}).status, 2);
    EXPECT_EQ(vbltool({}).status, 2);
}

// An archive whose entry count was patched is judged as the game judges
// it: every command that reads it gives the game's reason and fails, and
// reports nothing about its levels (no "ok", no phantom levels).
TEST(Vbltool, AnArchiveTheGameCallsDamagedIsRefusedByEveryCommand)
{
    TempDir dir;
    write_file(dir.file("level001.txt"), quick_level_text());
    write_file(dir.file("level002.txt"), quick_level_text());
    write_file(dir.file("level001.movie"), "score 1\nname old\nseed 0\n1x0\n");
    ASSERT_EQ(vbltool({"pack", "-o", dir.file("sound.vbl"), dir.file("level001.txt"), dir.file("level001.movie"),
                       dir.file("level002.txt")})
                  .status,
              0);
    const std::string sound = read_file(dir.file("sound.vbl"));
    const IndexEntry first = parse_archive(sound).index.at(0);   // level 1, the only record a count of 1 keeps
    const size_t first_end = first.offset + first.length;
    auto with_count = [&](uint32_t count) {
        std::string bytes = sound;
        for (int i = 0; i < 4; i++)
            bytes[size_t(4 + i)] = char(count >> (24 - 8 * i));
        return bytes;
    };
    const struct {
        uint32_t count;
        std::string reason;
    } counts[] = {
        {0, std::to_string(sound.size() - 8) + " bytes lie beyond its last record"},
        {1, std::to_string(sound.size() - first_end) + " bytes lie beyond its last record"},
        {1000, "its index has 1000 entries, more than 800"},
    };
    for (const auto& c : counts) {
        write_file(dir.file("patched.vbl"), with_count(c.count));
        for (const char* command : {"list", "check", "verify", "unpack", "measure"}) {
            SCOPED_TRACE(std::string(command) + " with a count of " + std::to_string(c.count));
            std::vector<std::string> args = {command, dir.file("patched.vbl")};
            if (std::string(command) == "unpack")
                args.push_back(dir.file("out"));
            const ProcessResult r = vbltool(args);
            EXPECT_NE(r.status, 0);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, "vbltool: " + dir.file("patched.vbl") + ": " + c.reason + "\n");
        }
    }
    // The sound archive itself passes.
    const ProcessResult r = vbltool({"list", dir.file("sound.vbl")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "  1  movie  score=1  time=0.01  ticks=1  name=old\n  2  no movie\n");
}

} // namespace

namespace {

TEST(VbltoolReplay, BuiltInMovieReplaysToItsResult)
{
    ProcessResult r = run_process(VBLTOOL_BINARY, {"replay", "-", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "level=0 outcome=exit ticks=4392 score=43450 seconds=73\n");
}

TEST(VbltoolReplay, VerifyChecksEveryStoredMovie)
{
    // Level 0's layout and movie stored as level 3: verify replays it.
    TempDir dir;
    write_file(dir.file("level003.txt"), LEVEL0_TEXT);
    ProcessResult r = run_process(VBLTOOL_BINARY, {"show", "-", "0"});
    ASSERT_EQ(r.status, 0);
    std::string movie = "score 43450\nname lord mobrin\nseed 1\n";
    const int pairs[][2] = {
#include "level0_pairs.inc"
    };
    for (const auto& p : pairs)
        movie += std::to_string(p[0]) + "x" + std::to_string(p[1]) + "\n";
    write_file(dir.file("level003.movie"), movie);
    r = run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("a.vbl"), dir.file("level003.txt"), dir.file("level003.movie")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run_process(VBLTOOL_BINARY, {"verify", dir.file("a.vbl")});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "level=3 outcome=exit ticks=4392 score=43450 seconds=73\n");
    // The same movie measured from its files: the replay's ticks and score.
    r = run_process(VBLTOOL_BINARY, {"measure", dir.file("level003.txt"), dir.file("level003.movie")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("movie ticks=4392 score=43450 ", 0), 0u) << r.out;

    // A stored score the replay does not reach fails verification.
    write_file(dir.file("level003.movie"), "score 50000\n" + movie.substr(movie.find('\n') + 1));
    ASSERT_EQ(run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("b.vbl"), dir.file("level003.txt"),
                                           dir.file("level003.movie")}).status, 0);
    EXPECT_EQ(run_process(VBLTOOL_BINARY, {"verify", dir.file("b.vbl")}).status, 1);

    // A movie cut short stalls.
    write_file(dir.file("level003.movie"), movie.substr(0, movie.size() / 2));
    ASSERT_EQ(run_process(VBLTOOL_BINARY, {"pack", "-o", dir.file("c.vbl"), dir.file("level003.txt"),
                                           dir.file("level003.movie")}).status, 0);
    r = run_process(VBLTOOL_BINARY, {"replay", dir.file("c.vbl"), "3"});
    EXPECT_NE(r.out.find("outcome=stalled"), std::string::npos) << r.out;
    r = run_process(VBLTOOL_BINARY, {"measure", dir.file("level003.txt"), dir.file("level003.movie")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("movie (no win) ", 0), 0u) << r.out;
}

} // namespace

namespace {

TEST(Vbltool, ShortenRefusesACountThatIsNoNumberOrOverflows)
{
    TempDir dir;
    const struct {
        const char* option;
        const char* value;
    } cases[] = {
        {"--budget", "abc"},
        {"--budget", "99999999999999999999"},
        {"--budget", "-5"},
        {"--budget", "0"},
        {"--shortcut-states", "3000x"},
        {"--shortcut-budget", "99999999999999999999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        const ProcessResult r = run_process(VBLTOOL_BINARY, {"shorten", dir.file("level001.txt"), dir.file("m.movie"),
                                                             "-o", dir.file("out.movie"), c.option, c.value});
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err.rfind(std::string("vbltool: ") + c.option + ": \"" + c.value + "\" is not a whole number", 0), 0u)
            << r.err;
    }
}

} // namespace
