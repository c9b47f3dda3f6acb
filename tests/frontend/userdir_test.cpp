// The user directory on first start, and start-ups that cannot go on.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "frontend/config.h"
#include "frontend/userdir.h"
#include "picture/datafile.h"
#include "level/archive.h"
#include "support/archive_files.h"
#include "support/process.h"
#include "support/fixtures.h"

namespace {

const std::string FIRST_START_CONFIG =
    "background=redbrick.lbm\nhero=regularguy.lbm\nenemy=badguy.lbm\nhidden=spiral.lbm\n"
    "upkey=111\ndownkey=112\nleftkey=114\nrightkey=113\ndigleftkey=132\ndigrightkey=134\nsolveseconds=60\n";

class UserDir : public ::testing::Test {
protected:
    TempDir dir;
    WorkingDirectory cwd{dir.path};
    const std::string levels = build_archive({4, {{0, pattern_bytes(180, 1)}}});
    const std::string masters = build_archive({4, {{1, pattern_bytes(50, 2)}}});

    void SetUp() override
    {
        // The data path list's first entry is data/ below the working directory.
        ASSERT_EQ(mkdir(dir.file("data").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(dir.file("home").c_str(), 0755), 0);
        write_file(dir.file("data/levels.vbl"), levels);
        write_file(dir.file("data/masters.vbl"), masters);
        strcpy(archive_file_name, "levels.vbl");
        strcpy(config_file_name, "vrbxrc");
    }
    void TearDown() override { close_log(); }
};

TEST_F(UserDir, FirstStartWithHomeEndingInASlash)
{
    setenv("HOME", (dir.file("home") + "//").c_str(), 1);
    setup_user_dir();
    close_log();
    const std::string user = dir.file("home/.zuzezodov");
    EXPECT_EQ(read_file("VRBXINFO.LOG"),
              "No directory " + user + "/!!! Setting one up...\n" +
              "No " + user + "/levels.vbl, setting one up...\n" +
              "Trying to copy " + user + "......copied.\n" +
              "No " + user + "/vrbxrc, setting one up...\n");
    struct stat info;
    ASSERT_EQ(stat(user.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(read_file(user + "/levels.vbl"), levels);
    EXPECT_EQ(read_file(user + "/vrbxrc"), FIRST_START_CONFIG);
    EXPECT_STREQ(archive_path, (user + "/levels.vbl").c_str());
    EXPECT_TRUE(temporaries_in(user).empty());
    EXPECT_EQ(access((user + "/masters.vbl").c_str(), F_OK), -1);
}

TEST_F(UserDir, StuckOptionCopiesMastersAndLeavesLevelsAlone)
{
    setenv("HOME", dir.file("home").c_str(), 1);
    const std::string user = dir.file("home/.zuzezodov");
    ASSERT_EQ(mkdir(user.c_str(), 0700), 0);
    const std::string played = build_archive({4, {{0, "played"}}});
    write_file(user + "/levels.vbl", played);
    write_file(user + "/vrbxrc", "upkey=77\n");
    strcpy(archive_file_name, "masters.vbl");
    setup_user_dir();
    EXPECT_EQ(read_file(user + "/masters.vbl"), masters);
    EXPECT_EQ(read_file(user + "/levels.vbl"), played);
    EXPECT_EQ(read_file(user + "/vrbxrc"), "upkey=77\n");   // an existing file is kept
}

TEST_F(UserDir, DataFileCandidates)
{
    strcpy(home_directory, "/h");
    char path[PATH_BUFFER_SIZE];
    std::vector<std::string> found;
    for (int n = 0; data_path_candidate(path, "spiral.lbm", n); n++)
        found.push_back(path);
    EXPECT_EQ(found, (std::vector<std::string>{"/h/.zuzezodov/spiral.lbm", "data/spiral.lbm",
                                               VORBIX_DATA_DIR "/spiral.lbm"}));
}

TEST_F(UserDir, CopyFileResults)
{
    write_file("source", pattern_bytes(5000, 3));
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    EXPECT_TRUE(copy_file("source", "copy"));
    EXPECT_EQ(read_file("copy"), pattern_bytes(5000, 3));
    const struct {
        const char* source;
        const char* destination;
        int error;
    } failures[] = {
        {"missing", "copy2", ENOENT},
        {"source", "no/such/dir/copy", ENOENT},
        {".", "copy3", EISDIR},   // a directory opens but cannot be read
        {"fifo", "copy4", EINVAL},   // never waited on for a writer
    };
    for (const auto& f : failures) {
        errno = 0;
        EXPECT_FALSE(copy_file(f.source, f.destination)) << f.destination;
        EXPECT_EQ(errno, f.error) << f.destination;
        EXPECT_NE(access(f.destination, F_OK), 0) << f.destination;
    }
}

// Start-ups that end before the window opens: status 1 and the reason on
// stdout and in the log; with a working folder that cannot hold the log, on
// stdout all the same. Cases that need a folder root may not write run with
// root's rights dropped.
TEST(UserDirFailures, StartUpEndsWithStatusOneAndTheReasonOnStdoutAndInTheLog)
{
    const std::string long_home = "/tmp/" + std::string(260, 'h');
    enum Data { NO_DATA, SHIPPED, SHIPPED_FIFO, SHIPPED_UNREADABLE };
    const struct {
        std::string name;
        Data data;
        std::string home;          // empty: the test's own home folder
        mode_t home_mode;          // of the test's home folder
        bool user_dir_read_only;   // the user directory made beforehand, read-only
        bool work_read_only;       // no log can be written
        std::string told;          // on stdout, with HOME for the test's home
        std::string logged;        // in the log (its lines hold 127 characters)
    } cases[] = {
        {"archive found nowhere", NO_DATA, "", 0700, false, false,
         "failed to copy levels.vbl to HOME/.zuzezodov/levels.vbl: no data folder holds it\n",
         "...failed to copy levels.vbl to "},
        {"the shipped archive is a FIFO", SHIPPED_FIFO, "", 0700, false, false,
         "failed to copy data/levels.vbl to HOME/.zuzezodov/levels.vbl: not a regular file\n",
         "...failed to copy data/levels.vbl to "},
        {"the shipped archive unreadable", SHIPPED_UNREADABLE, "", 0700, false, false,
         "failed to copy data/levels.vbl to HOME/.zuzezodov/levels.vbl: Permission denied\n",
         "...failed to copy data/levels.vbl to "},
        {"a read-only user directory", SHIPPED, "", 0700, true, false,
         "failed to copy data/levels.vbl to HOME/.zuzezodov/levels.vbl: Permission denied\n",
         "...failed to copy data/levels.vbl to "},
        {"the user directory cannot be made", SHIPPED, "", 0500, false, false,
         "Failed to create directory HOME/.zuzezodov: Permission denied, exiting\n", "Failed to create directory "},
        {"a read-only working folder", NO_DATA, "", 0700, false, true,
         "failed to copy levels.vbl to HOME/.zuzezodov/levels.vbl: no data folder holds it\n", ""},
        {"home too long", SHIPPED, long_home, 0700, false, false, "HOME is longer than 255 characters, exiting\n",
         "HOME is longer than 255 characters, exiting\n"},
        {"home too long with the user directory", SHIPPED, "/tmp/" + std::string(246, 'h'), 0700, false, false,
         "The path of .zuzezodov in the home directory is longer than 255 characters, exiting\n",
         "longer than 255 characters, exiting\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir top;
        const std::string work = top.file("work");
        const std::string home = work + "/home";
        ASSERT_EQ(mkdir(work.c_str(), 0700), 0);
        ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
        if (c.user_dir_read_only) {
            ASSERT_EQ(mkdir((home + "/.zuzezodov").c_str(), 0500), 0);
        }
        if (c.data != NO_DATA) {
            ASSERT_EQ(mkdir((work + "/data").c_str(), 0755), 0);
            const std::string shipped = work + "/data/levels.vbl";
            if (c.data == SHIPPED_FIFO) {
                ASSERT_EQ(mkfifo(shipped.c_str(), 0644), 0);
            } else {
                write_file(shipped, build_archive({0, {}}));
            }
            if (c.data == SHIPPED_UNREADABLE)
                chmod(shipped.c_str(), 0);
        }
        chmod(home.c_str(), c.home_mode);
        if (c.work_read_only)
            chmod(work.c_str(), 0500);
        ProcessLimits limits;
        limits.obey_permissions = true;
        // The time is only a failure detector: a start waiting on a FIFO.
        ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"},
                                      {"HOME=" + (c.home.empty() ? home : c.home), "SDL_VIDEODRIVER=dummy",
                                       "SDL_AUDIODRIVER=dummy"},
                                      20, work, limits);
        chmod(work.c_str(), 0700);
        chmod(home.c_str(), 0700);
        EXPECT_EQ(r.status, 1);
        std::string told = c.told;
        if (const size_t at = told.find("HOME"); at != std::string::npos && c.home.empty())
            told.replace(at, 4, home);
        EXPECT_NE(r.out.find(told), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("End."), std::string::npos) << "before SDL is up";
        const std::string log = read_file(work + "/VRBXINFO.LOG");
        if (c.work_read_only) {
            EXPECT_EQ(access((work + "/VRBXINFO.LOG").c_str(), F_OK), -1);
        } else {
            EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        }
    }
}

} // namespace
