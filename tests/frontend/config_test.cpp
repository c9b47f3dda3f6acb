// The configuration file's scanner and writer.
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/keys.h"
#include "frontend/config.h"
#include "frontend/userdir.h"
#include "level/archive.h"
#include "support/process.h"
#include "support/fixtures.h"

namespace {

struct Snapshot {
    int32_t up, down, left, right, digleft, digright;
    std::string names[4];
};

Snapshot take()
{
    return {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey,
            {artwork_names[0], artwork_names[1], artwork_names[2], artwork_names[3]}};
}

void reset()
{
    upkey = downkey = leftkey = rightkey = digleftkey = digrightkey = 0;
    for (auto& name : artwork_names)
        name[0] = 0;
}

TEST(Config, ScannerLines)
{
    const struct {
        const char* text;
        int32_t up;           // -1: not checked
        const char* background;
    } cases[] = {
        {"UPKEY=1B\n", 27, ""},
        {"upkey=0x111\n", 0x111, ""},
        {"upkey= 20\n", 0x20, ""},               // the hex scan skips spaces
        {"upkey=zz\n", 0, ""},                   // no digit: unchanged
        {"Background=MyTiles.LBM\n", 0, "mytiles.lbm"},
        {"background=a b\r\n", 0, "a b"},        // spaces kept, carriage return ignored
        {"#upkey=1b\n", 0, ""},
        {" upkey=1b\n", 0, ""},
        {"upkey =1b\n", 0, ""},
        {"up key=1b\n", 0, ""},
        {"upkey=1b", 0, ""},                     // no newline: ignored
        {"downkey=5\nupkey=6\n", 6, ""},
        {"unknown=5\nupkey=7\n", 7, ""},
        {"\n\n1upkey=8\nupkey=9\n", 9, ""},
        // 17 letters: abandoned at the 16th, "y=1c" then starts a line
        // (unknown key "y"), so nothing is set.
        {"abcdefghijklmnoxy=1c\n", 0, ""},
        // The 16th letter is dropped and "upkey" after it starts anew.
        {"abcdefghijklmnopupkey=2d\n", 0x2d, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reset();
        scan_config(c.text);
        EXPECT_EQ(upkey, c.up);
        EXPECT_STREQ(artwork_names[0], c.background);
    }
}

TEST(Config, MissingLinesLeaveZeroAndLongValuesAreCut)
{
    reset();
    std::string text = "downkey=112\nhero=" + std::string(400, 'x') + "\n";
    scan_config(text.c_str());
    EXPECT_EQ(upkey, 0);
    EXPECT_EQ(downkey, 0x112);
    EXPECT_EQ(strlen(artwork_names[1]), size_t(PATH_BUFFER_SIZE - 1));
}

TEST(Config, WriteThenReadGivesTheSameSettings)
{
    TempUserDir home;
    strcpy(config_file_name, "vrbxrc");
    set_first_start_config();
    upkey = 'w';
    strcpy(artwork_names[2], "other.lbm");
    char path[PATH_BUFFER_SIZE];
    ASSERT_TRUE(config_path(path));
    ASSERT_TRUE(write_config(path));
    EXPECT_NE(read_file(path).find("upkey=77\n"), std::string::npos);
    const Snapshot written = take();
    reset();
    read_config();
    const Snapshot back = take();
    EXPECT_EQ(back.up, written.up);
    EXPECT_EQ(back.digright, written.digright);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(back.names[i], written.names[i]);
    EXPECT_FALSE(write_config(home.dir.file("no/such/dir/vrbxrc").c_str()));
}

// Whatever the file holds, every setting ends up usable: what it does not
// give validly takes its first-start value, and the log names it.
TEST(Config, SettingsNotGivenValidlyTakeTheirDefaults)
{
    TempArchiveDir work;   // the log lands here
    const std::string full = "background=a.lbm\nhero=b.lbm\nenemy=c.lbm\nhidden=d.lbm\nupkey=77\n"
                             "downkey=73\nleftkey=61\nrightkey=64\ndigleftkey=71\ndigrightkey=65\n";
    const struct {
        std::string text;
        int defaults;
        const char* logged;   // one of the log's lines
        int32_t up;
        const char* hidden;
    } cases[] = {
        {full, 0, nullptr, 0x77, "d.lbm"},
        {"", 10, "vrbxrc: no valid background, using redbrick.lbm\n", KEY_UP, "spiral.lbm"},
        {std::string("\x8f\x01=\xff\n\0garbage", 13), 10, "vrbxrc: no valid upkey, using 111\n", KEY_UP, "spiral.lbm"},
        {full.substr(0, full.find("upkey")), 6, "vrbxrc: no valid digrightkey, using 134\n", KEY_UP, "d.lbm"},
        {full + "hidden=\nupkey=0\n", 2, "vrbxrc: no valid hidden, using spiral.lbm\n", KEY_UP, "spiral.lbm"},
        {full + "upkey=zz\n", 0, nullptr, 0x77, "d.lbm"},   // no digit: the earlier line holds
        {full + "upkey=ffffffff\n", 1, "vrbxrc: no valid upkey, using 111\n", KEY_UP, "d.lbm"},
        {full + "hidden=a\tb\n", 1, "vrbxrc: no valid hidden, using spiral.lbm\n", 0x77, "spiral.lbm"},
        {full + "hidden=" + std::string(ARTWORK_NAME_MAX + 1, 'x') + "\n", 1,
         "vrbxrc: no valid hidden, using spiral.lbm\n", 0x77, "spiral.lbm"},
        {full + "hidden=" + std::string(ARTWORK_NAME_MAX, 'x') + "\n", 0, nullptr, 0x77, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        close_log();
        unlink("VRBXINFO.LOG");
        EXPECT_EQ(apply_config_text(c.text.c_str(), "vrbxrc"), c.defaults);
        close_log();
        const std::string log = read_file("VRBXINFO.LOG");
        if (c.logged)
            EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        else
            EXPECT_EQ(log, "");
        EXPECT_EQ(upkey, c.up);
        if (c.hidden) {
            EXPECT_STREQ(artwork_names[3], c.hidden);
        }
        for (int32_t key : {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey})
            EXPECT_TRUE(key > 0 && key < KEY_LAST);
        for (const auto& name : artwork_names)
            EXPECT_GT(strlen(name), 0u);
    }
}

// The level editor's search budget: whole seconds up to a week; a file
// without it takes 60 without a word, a wrong value is logged; it is
// written back with the rest.
TEST(Config, TheSearchBudgetIsOptionalAndWrittenBack)
{
    TempArchiveDir work;   // the log lands here
    const struct {
        const char* text;
        int seconds;
        int defaults;
    } cases[] = {
        {"solveseconds=5\n", 5, 0},
        {"SolveSeconds=604800\n", 604800, 0},
        {"solveseconds= 8\n", 8, 0},
        {"solveseconds=8 \n", 8, 0},
        {"solveseconds= 8\t \n", 8, 0},
        {"solveseconds=8 9\n", 60, 1},
        {"upkey=77\n", 60, 0},
        {"solveseconds=0\n", 60, 1},
        {"solveseconds=604801\n", 60, 1},
        {"solveseconds=2.5\n", 60, 1},
        {"solveseconds=\n", 60, 1},
        {"solveseconds=9\nsolveseconds=x\n", 60, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        close_log();
        unlink("VRBXINFO.LOG");
        const std::string full = std::string("background=a.lbm\nhero=b.lbm\nenemy=c.lbm\nhidden=d.lbm\nupkey=77\n"
                                             "downkey=73\nleftkey=61\nrightkey=64\ndigleftkey=71\ndigrightkey=65\n") +
                                 c.text;
        EXPECT_EQ(apply_config_text(full.c_str(), "vrbxrc"), c.defaults);
        EXPECT_EQ(solve_seconds, c.seconds);
        close_log();
        const bool logged = read_file("VRBXINFO.LOG").find("vrbxrc: no valid solveseconds, using 60\n") != std::string::npos;
        EXPECT_EQ(logged, c.defaults == 1);
    }
    TempUserDir home;
    strcpy(config_file_name, "vrbxrc");
    set_first_start_config();
    solve_seconds = 7;
    char path[PATH_BUFFER_SIZE];
    ASSERT_TRUE(config_path(path));
    ASSERT_TRUE(write_config(path));
    EXPECT_NE(read_file(path).find("solveseconds=7\n"), std::string::npos);
    solve_seconds = 1;
    read_config();
    EXPECT_EQ(solve_seconds, 7);
    set_first_start_config();
    EXPECT_EQ(solve_seconds, DEFAULT_SOLVE_SECONDS);
}

// What write_config writes is read back whole: names up to the longest kept
// fit in what is read, longer ones are refused before anything is written.
TEST(Config, WrittenFileIsReadBackWhole)
{
    TempDir dir;
    strcpy(home_directory, dir.path.c_str());
    ASSERT_EQ(mkdir(dir.file(".zuzezodov").c_str(), 0700), 0);
    strcpy(config_file_name, "vrbxrc");
    char path[PATH_BUFFER_SIZE];
    ASSERT_TRUE(config_path(path));
    set_first_start_config();
    for (int i = 0; i < 4; i++)
        snprintf(artwork_names[i], PATH_BUFFER_SIZE, "%c%s", 'a' + i, std::string(ARTWORK_NAME_MAX - 1, 'n').c_str());
    upkey = downkey = leftkey = rightkey = digleftkey = digrightkey = KEY_LAST - 1;
    ASSERT_TRUE(write_config(path));
    EXPECT_LE(read_file(path).size(), size_t(CONFIG_TEXT_SIZE - 1));
    const Snapshot written = take();
    reset();
    read_config();
    const Snapshot back = take();
    EXPECT_EQ(back.digright, written.digright);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(back.names[i], written.names[i]);

    const std::string before = read_file(path);
    const std::string refused[] = {std::string(ARTWORK_NAME_MAX + 1, 'l'), "", "a\nupkey=1"};
    for (const std::string& name : refused) {
        snprintf(artwork_names[1], PATH_BUFFER_SIZE, "%s", name.c_str());
        EXPECT_FALSE(write_config(path)) << name;
        EXPECT_EQ(read_file(path), before);
    }
    strcpy(artwork_names[1], "b.lbm");
    upkey = 0;
    EXPECT_FALSE(write_config(path));
}

TEST(Config, OnlyTheFirst1023BytesAreRead)
{
    TempUserDir home;
    strcpy(config_file_name, "vrbxrc");
    TempArchiveDir work;   // the log of the settings not read lands here
    // upkey's line ends at byte 1023 exactly (counted from 1): its newline is
    // the 1023rd byte, so it counts; downkey's line lies beyond and does not.
    std::string text = "#" + std::string(1013, '-') + "\nupkey=1\n" + "downkey=2\n";
    ASSERT_EQ(text.find("downkey"), 1023u);
    write_file(home.user_file("vrbxrc"), text);
    reset();
    read_config();
    EXPECT_EQ(upkey, 1);
    EXPECT_EQ(downkey, KEY_DOWN);   // not read: its first-start value
}

} // namespace
