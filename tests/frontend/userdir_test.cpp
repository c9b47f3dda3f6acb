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
    };
    for (const auto& f : failures) {
        errno = 0;
        EXPECT_FALSE(copy_file(f.source, f.destination)) << f.destination;
        EXPECT_EQ(errno, f.error) << f.destination;
        EXPECT_NE(access(f.destination, F_OK), 0) << f.destination;
    }
}

// Start-ups that end before the window opens: status 1 and a reason in the log.
TEST(UserDirFailures, StartUpEndsWithStatusOneAndALogLine)
{
    const std::string long_home = "/tmp/" + std::string(260, 'h');
    const struct {
        std::string name;
        bool with_data;
        std::string home;   // empty: the test's own home folder
        std::string log_contains;
    } cases[] = {
        {"archive found nowhere", false, "", "failed to copy\n"},
        {"home too long", true, long_home, "HOME is longer than 255 characters, exiting\n"},
        {"home too long with the user directory", true, "/tmp/" + std::string(246, 'h'),
         "longer than 255 characters, exiting\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        ASSERT_EQ(mkdir(work.file("home").c_str(), 0700), 0);
        if (c.with_data) {
            ASSERT_EQ(mkdir(work.file("data").c_str(), 0755), 0);
            write_file(work.file("data/levels.vbl"), build_archive({0, {}}));
        }
        ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"},
                                      {"HOME=" + (c.home.empty() ? work.file("home") : c.home),
                                       "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"},
                                      20, work.path);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");   // before SDL is up: no "End."
        EXPECT_NE(read_file(work.file("VRBXINFO.LOG")).find(c.log_contains), std::string::npos)
            << read_file(work.file("VRBXINFO.LOG"));
    }
}

} // namespace
