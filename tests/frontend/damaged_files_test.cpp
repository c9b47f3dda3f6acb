// The real program with damaged user files, full disks and directories it
// may not write: what the player is told, and that nothing already stored
// is lost.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "support/archive_files.h"
#include "support/process.h"

namespace {

const std::string QUICK_LEVEL = quick_level_text();

const std::string OLD_MOVIE = "score 1\nname old\nseed 0\n1x0\n";

// F4 plays level 1; right, then up, finishes it; the summary is left with
// SPACE (up stays held until then); Alt+X ends the program in level 2.
const std::string FINISH_LEVEL_1 =
    "5 press 285\n10 down 275\n30 up 275\n30 down 273\nmodal 32\n40 up 273\n60 down 308\n60 press 120\n";
const std::string START_AND_QUIT = "20 down 308\n20 press 120\n";

struct UserDir {
    TempDir dir;
    std::string user = dir.file("home/.zuzezodov");
    UserDir()
    {
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(user.c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(dir.file("level001.txt"), QUICK_LEVEL);
        write_file(dir.file("level002.txt"), QUICK_LEVEL);
        write_file(dir.file("level001.movie"), OLD_MOVIE);
        run_process(VBLTOOL_BINARY, {"pack", "-o", archive(), dir.file("level001.txt"), dir.file("level001.movie"),
                                     dir.file("level002.txt")});
        write_file(user + "/vrbxrc", "background=redbrick.lbm\nhero=regularguy.lbm\nenemy=badguy.lbm\n"
                                     "hidden=spiral.lbm\nupkey=111\ndownkey=112\nleftkey=114\nrightkey=113\n"
                                     "digleftkey=132\ndigrightkey=134\n");
    }
    std::string archive() const { return user + "/levels.vbl"; }
    std::string log() const { return read_file(dir.file("VRBXINFO.LOG")); }
    ProcessResult run(const std::string& script, const ProcessLimits& limits = {})
    {
        write_file(dir.file("script"), script);
        return run_process(VORBIX_BINARY, {"-w", "-q", "-l", "1"},
                           {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                            "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                           60, dir.path, limits);
    }
    std::string list() const { return run_process(VBLTOOL_BINARY, {"list", archive()}).out; }
};

const std::string OLD_LIST = "  1  movie  score=1  time=0.01  ticks=1  name=old\n  2  no movie\n";

struct Case {
    const char* name;
    std::function<void(UserDir&)> damage;
    std::string script;
    std::vector<std::string> told;    // what the player is told (script notices)
    std::vector<std::string> logged;  // lines in the log
    std::vector<std::string> reached; // mode trace lines
    bool archive_unchanged = true;
    ProcessLimits limits{};
};

// A file-size limit of the archive's own size: it can be read, but a longer
// one cannot be written.
constexpr long ARCHIVE_SIZE_LIMIT = -2;

void cut_archive(UserDir& u, size_t length)
{
    const std::string bytes = read_file(u.archive());
    write_file(u.archive(), bytes.substr(0, length));
}

void run_cases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UserDir u;
        c.damage(u);
        const std::string before = read_file(u.archive());
        const std::string name_before = read_file(u.user + "/player.nam");
        ProcessLimits limits = c.limits;
        if (limits.file_size == ARCHIVE_SIZE_LIMIT)
            limits.file_size = long(before.size());
        ProcessResult r = u.run(c.script, limits);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        for (const std::string& t : c.told)
            EXPECT_NE(r.err.find(": notice " + t + "\n"), std::string::npos) << "not told: " << t << "\n" << r.err;
        if (c.told.empty()) {
            EXPECT_EQ(r.err.find(": notice "), std::string::npos) << r.err;
        }
        const std::string log = u.log();
        for (const std::string& l : c.logged)
            EXPECT_NE(log.find(l), std::string::npos) << "not logged: " << l << "\n" << log;
        for (const std::string& m : c.reached)
            EXPECT_NE(r.err.find(m), std::string::npos) << "not reached: " << m << "\n" << r.err;
        if (c.archive_unchanged) {
            EXPECT_EQ(read_file(u.archive()), before) << "the archive changed";
        }
        EXPECT_EQ(read_file(u.user + "/player.nam"), name_before);
        EXPECT_TRUE(temporaries_in(u.user).empty()) << "a temporary file was left";
        umount2(u.user.c_str(), MNT_DETACH);   // a file system of its own, if the case made one
    }
}

TEST(DamagedFiles, ArchiveDamageIsToldAtStartAndNothingIsMadeWorse)
{
    auto set_u32 = [](std::string& bytes, size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            bytes[at + size_t(i)] = char(v >> (24 - 8 * i));
    };
    const std::vector<Case> cases = {
        {"cut in the header", [](UserDir& u) { cut_archive(u, 6); }, START_AND_QUIT, {"ARCHIVE DAMAGED"},
         {"levels.vbl is damaged: it is shorter than its 8-byte header",
          "Remove or rename levels.vbl to get the shipped levels back at the next start"},
         {"demo level 0"}},
        // Records an index count cut short has lost, or the rest of a copy.
        {"bytes beyond the last record",
         [](UserDir& u) { write_file(u.archive(), read_file(u.archive()) + "lost"); }, FINISH_LEVEL_1,
         {"ARCHIVE DAMAGED", "RESULT NOT STORED: the archive is damaged"}, {"4 bytes lie beyond its last record"},
         {"play level 1"}},
        {"cut in the index", [](UserDir& u) { cut_archive(u, 20); }, START_AND_QUIT, {"ARCHIVE DAMAGED"},
         {"entries runs past the end"}, {"demo level 0"}},
        {"cut in the last record", [](UserDir& u) { cut_archive(u, read_file(u.archive()).size() - 7); },
         START_AND_QUIT, {"ARCHIVE DAMAGED"}, {"lies outside the data area"}, {}},
        {"garbage", [](UserDir& u) { write_file(u.archive(), pattern_bytes(3000, 7)); }, START_AND_QUIT,
         {"ARCHIVE DAMAGED"}, {"it does not start with VRBX"}, {"demo level 0"}},
        {"an index past the end",
         [&](UserDir& u) {
             std::string bytes = read_file(u.archive());
             set_u32(bytes, 4, 700);
             write_file(u.archive(), bytes);
         },
         START_AND_QUIT, {"ARCHIVE DAMAGED"}, {"index of 700 entries runs past the end"}, {}},
        {"overlapping records",
         [&](UserDir& u) {
             std::string bytes = read_file(u.archive());
             // Level 2's record starts inside level 1's.
             set_u32(bytes, 8 + 2 * 8, uint32_t(8 * 5 + 10));
             write_file(u.archive(), bytes);
         },
         // A finished play is refused rather than stored into a damaged archive.
         FINISH_LEVEL_1, {"ARCHIVE DAMAGED", "RESULT NOT STORED: the archive is damaged"}, {"overlap"},
         {"play level 1", "play level 2"}},
    };
    run_cases(cases);
}

TEST(DamagedFiles, StoringAResultThatCannotBeWrittenIsTold)
{
    const std::vector<Case> cases = {
        {"a read-only user directory", [](UserDir& u) { chmod(u.user.c_str(), 0500); }, FINISH_LEVEL_1,
         {"RESULT NOT STORED: Permission denied"}, {"Cannot store record 1 in "}, {"play level 2"}, true,
         {-1, true}},
        {"a user directory of another owner",
         [](UserDir& u) {
             chown(u.user.c_str(), 65534, 65534);
             chmod(u.user.c_str(), 0755);
         },
         FINISH_LEVEL_1, {"RESULT NOT STORED: Permission denied"}, {"Cannot store record 1 in "},
         {"play level 2"}, true, {-1, true}},
        // F5 in the menu, a name typed and entered.
        {"the player name in a read-only user directory", [](UserDir& u) { chmod(u.user.c_str(), 0500); },
         "5 press 32\n10 press 286\nmodal 97\nmodal 13\n20 down 308\n20 press 120\n",
         {"NAME NOT STORED: Permission denied"}, {"Cannot store the player name: Permission denied"},
         {"menu level 1"}, true, {-1, true}},
        {"a file-size limit", [](UserDir&) {}, FINISH_LEVEL_1, {"RESULT NOT STORED: File too large"},
         {"Cannot store record 1 in "}, {"play level 2"}, true, {ARCHIVE_SIZE_LIMIT, false}},
    };
    run_cases(cases);
}

TEST(DamagedFiles, StoringOnAFullDiskIsTold)
{
    // A small file system of its own, in a mount namespace of this process.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "no mount namespace here";
    const std::vector<Case> cases = {
        {"a full disk",
         [](UserDir& u) {
             const std::string archive = read_file(u.archive()), config = read_file(u.user + "/vrbxrc");
             ASSERT_EQ(mount("tmpfs", u.user.c_str(), "tmpfs", 0, "size=16k"), 0);
             write_file(u.archive(), archive);
             write_file(u.user + "/vrbxrc", config);
             int fd = open((u.user + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
             const std::string block(512, 'f');
             while (write(fd, block.data(), block.size()) > 0) {
             }
             close(fd);
         },
         FINISH_LEVEL_1, {"RESULT NOT STORED: No space left on device"}, {"Cannot store record 1 in "},
         {"play level 2"}},
    };
    run_cases(cases);
    // The mount goes with the namespace when the test process ends.
}

TEST(DamagedFiles, DamagedConfigurationTakesTheDefaultsAndKeysMoveTheHero)
{
    const std::string long_name = std::string(240, 'n') + ".lbm";
    const std::vector<Case> cases = {
        {"garbage", [](UserDir& u) { write_file(u.user + "/vrbxrc", pattern_bytes(900, 3)); }, FINISH_LEVEL_1, {},
         {"vrbxrc: no valid background, using redbrick.lbm\n", "vrbxrc: no valid digrightkey, using 134\n"},
         {"play level 2"}, false},
        {"partial",
         [](UserDir& u) {
             write_file(u.user + "/vrbxrc", "background=redbrick.lbm\nhero=regularguy.lbm\nenemy=badguy.lbm\nhid");
         },
         FINISH_LEVEL_1, {}, {"vrbxrc: no valid hidden, using spiral.lbm\n", "vrbxrc: no valid upkey, using 111\n"},
         {"play level 2"}, false},
        {"over-long",
         [&](UserDir& u) {
             write_file(u.user + "/vrbxrc", "background=" + long_name + "\nhero=" + long_name + "\nenemy=" +
                                                long_name + "\nhidden=" + long_name +
                                                "\nupkey=111\ndownkey=112\nleftkey=114\nrightkey=113\n");
         },
         FINISH_LEVEL_1, {}, {"vrbxrc: no valid hero, using regularguy.lbm\n", "vrbxrc: no valid rightkey, using 113\n"},
         {"play level 2"}, false},
    };
    run_cases(cases);
}

// A FIFO at the name of a file the game reads is never waited on for a
// writer: the archive is damaged, the configuration and the player name
// unreadable, and the game goes on. Nothing is written into or over it.
TEST(DamagedFiles, AFifoAtTheNameOfAFileTheGameReadsIsNeverWaitedOn)
{
    const struct {
        const char* file;
        std::vector<std::string> told;
        std::string logged;
        std::string reached;
    } cases[] = {
        {"levels.vbl", {"ARCHIVE DAMAGED"}, "levels.vbl is damaged: it is not a regular file.", "demo level 0"},
        {"vrbxrc", {}, "Cannot read vrbxrc (not a regular file), using the default settings\n", "demo level 1"},
        {"player.nam", {}, "", "demo level 1"},
        // Passed over as no data file: the shipped artwork is drawn.
        {"redbrick.lbm", {}, "", "demo level 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        UserDir u;
        const std::string path = u.user + "/" + c.file;
        unlink(path.c_str());
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        // The time is only a failure detector: a start waiting on the FIFO.
        const ProcessResult r = u.run(START_AND_QUIT);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        for (const std::string& t : c.told)
            EXPECT_NE(r.err.find(": notice " + t + "\n"), std::string::npos) << r.err;
        EXPECT_NE(u.log().find(c.logged), std::string::npos) << u.log();
        EXPECT_NE(r.err.find(c.reached), std::string::npos) << r.err;
        struct stat info;
        ASSERT_EQ(lstat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
        EXPECT_TRUE(temporaries_in(u.user).empty());
    }
}

TEST(DamagedFiles, PlayerNameFilesOfAnySizeAndContent)
{
    const struct {
        std::string file;
        std::string listed;   // the name stored with the result, as vbltool lists it
    } cases[] = {
        {"", "tester"},
        {"abc", "abcter"},
        {std::string(100, 'q'), std::string(16, 'q')},
        {std::string("\0\x01\xff", 3), "\\x00\\x01\\xffter"},
        {pattern_bytes(100, 5), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listed);
        UserDir u;
        write_file(u.user + "/player.nam", c.file);
        ProcessResult r = u.run(FINISH_LEVEL_1);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("play level 2"), std::string::npos) << r.err;
        EXPECT_EQ(read_file(u.user + "/player.nam"), c.file);
        const std::string list = u.list();
        ASSERT_EQ(list.find("  1  movie  score=1 "), std::string::npos) << "the result was not stored";
        if (!c.listed.empty()) {
            EXPECT_NE(list.find("name=" + c.listed + "\n"), std::string::npos) << list;
        }
        // Whatever the bytes, the stored name unpacks and packs back unchanged.
        ASSERT_EQ(run_process(VBLTOOL_BINARY, {"unpack", u.archive(), u.dir.file("out")}).status, 0);
        ProcessResult p = run_process(VBLTOOL_BINARY, {"pack", "-o", u.dir.file("again.vbl"),
                                                       u.dir.file("out/level001.txt"), u.dir.file("out/level001.movie"),
                                                       u.dir.file("out/level002.txt")});
        ASSERT_EQ(p.status, 0) << p.err;
        EXPECT_EQ(run_process(VBLTOOL_BINARY, {"list", u.dir.file("again.vbl")}).out, list);
        ASSERT_EQ(run_process(VBLTOOL_BINARY, {"unpack", u.dir.file("again.vbl"), u.dir.file("again")}).status, 0);
        EXPECT_EQ(read_file(u.dir.file("again/level001.movie")), read_file(u.dir.file("out/level001.movie")));
    }
}

TEST(DamagedFiles, F4OnAMissingLevelKeepsTheMenu)
{
    UserDir u;
    write_file(u.dir.file("script"), "5 press 32\n10 press 285\n20 down 308\n20 press 120\n");
    ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q", "-l", "3"},
                                  {"HOME=" + u.dir.file("home"), "VORBIX_FAST=1",
                                   "VORBIX_SCRIPT=" + u.dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                                  60, u.dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("notice LEVEL 0003 CANNOT BE READ\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("play level"), std::string::npos) << r.err;
    EXPECT_NE(u.log().find("Level 3 cannot be read from "), std::string::npos);
    // From the demonstration the same key leaves it running.
    write_file(u.dir.file("script"), "10 press 285\n20 down 308\n20 press 120\n");
    r = run_process(VORBIX_BINARY, {"-w", "-q", "-l", "3"},
                    {"HOME=" + u.dir.file("home"), "VORBIX_FAST=1", "VORBIX_SCRIPT=" + u.dir.file("script"),
                     "SDL_VIDEODRIVER=dummy"},
                    60, u.dir.path);
    EXPECT_NE(r.err.find("notice NO LEVEL 0003\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("play level"), std::string::npos) << r.err;
}

} // namespace
