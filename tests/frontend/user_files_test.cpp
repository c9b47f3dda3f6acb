// The real program and the names of its user files: nothing is written
// outside the user directory, over a file that is not the one meant, or
// through a link planted beside a file it replaces.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/archive_files.h"
#include "support/process.h"

namespace {

const std::string CONFIG = "background=redbrick.lbm\nhero=regularguy.lbm\nenemy=badguy.lbm\n"
                           "hidden=spiral.lbm\nupkey=111\ndownkey=112\nleftkey=114\nrightkey=113\n"
                           "digleftkey=132\ndigrightkey=134\n";

// SPACE shows the menu, F10 asks for six keys (a to f), Alt+X ends.
const std::string REMAP_KEYS =
    "5 press 32\n10 press 291\nmodal 97\nmodal 98\nmodal 99\nmodal 100\nmodal 101\nmodal 102\n"
    "30 down 308\n30 press 120\n";
const std::string REMAPPED = "upkey=61\ndownkey=62\nleftkey=63\nrightkey=64\ndigleftkey=65\ndigrightkey=66\n";
// F2 opens the graphics editor, Shift+S saves the background set.
const std::string SAVE_BACKGROUND = "5 press 283\n10 down 304\n11 press 115\n12 up 304\n20 down 308\n20 press 120\n";

struct Home {
    TempDir dir;
    std::string user = dir.file("home/.zuzezodov");
    Home()
    {
        mkdir(dir.file("home").c_str(), 0700);
        mkdir(user.c_str(), 0700);
        mkdir(dir.file("outside").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        write_file(user + "/vrbxrc", CONFIG);
        write_file(user + "/levels.vbl", read_file(VORBIX_BUILD_DIR "/data/levels.vbl"));
        write_file(dir.file("outside/precious.txt"), "precious");
        write_file(dir.file("outside/pic.lbm"), "not to be replaced");
    }
    ProcessResult run(const std::vector<std::string>& args, const std::string& script)
    {
        write_file(dir.file("script"), script);
        std::vector<std::string> all = {"-w", "-q"};
        all.insert(all.end(), args.begin(), args.end());
        return run_process(VORBIX_BINARY, all,
                           {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                            "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                           60, dir.path);
    }
    std::string log() const { return read_file(dir.file("VRBXINFO.LOG")); }
};

// -c names a file of the user directory that holds a configuration; any
// other name is refused, told, and the game's own vrbxrc takes the keys.
TEST(UserFiles, AConfigurationNameOutsideOrOverAnotherFileIsRefused)
{
    const struct {
        const char* name;
        std::string argument;
        std::string other;   // the file -c would have overwritten ("" when none)
        std::string told;
    } cases[] = {
        {"a path out of the user directory", "../../outside/precious.txt", "outside/precious.txt",
         "../../outside/precious.txt is not a file name of the user directory: using vrbxrc"},
        {"the archive", "levels.vbl", "home/.zuzezodov/levels.vbl",
         "levels.vbl is not a file name of the user directory: using vrbxrc"},
        {"a text that is no configuration", "notes.txt", "home/.zuzezodov/notes.txt",
         "notes.txt is not a configuration file: using vrbxrc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Home h;
        write_file(h.user + "/notes.txt", "my notes\nnothing else\n");
        const std::string before = read_file(h.dir.file(c.other));
        const ProcessResult r = h.run({"-c", c.argument}, REMAP_KEYS);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find(c.told), std::string::npos) << r.out;
        EXPECT_TRUE(read_file(h.dir.file(c.other)) == before) << c.other << " changed";
        EXPECT_NE(read_file(h.user + "/vrbxrc").find(REMAPPED), std::string::npos) << read_file(h.user + "/vrbxrc");
        EXPECT_NE(h.log().find("using vrbxrc"), std::string::npos) << h.log();
    }
    // A configuration of the user's own under another name is taken.
    Home h;
    write_file(h.user + "/mine", CONFIG);
    const ProcessResult r = h.run({"-c", "mine"}, REMAP_KEYS);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(read_file(h.user + "/mine").find(REMAPPED), std::string::npos);
    EXPECT_EQ(read_file(h.user + "/vrbxrc"), CONFIG);
}

TEST(UserFiles, AnArtworkNameOutsideTheUserDirectoryTakesTheShippedOne)
{
    Home h;
    std::string config = CONFIG;
    config.replace(0, config.find('\n'), "background=../../outside/pic.lbm");
    write_file(h.user + "/vrbxrc", config);
    const ProcessResult r = h.run({}, SAVE_BACKGROUND);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.err.find(": gfxedit level"), std::string::npos) << r.err;
    EXPECT_EQ(read_file(h.dir.file("outside/pic.lbm")), "not to be replaced");
    EXPECT_NE(h.log().find("vrbxrc: no valid background, using redbrick.lbm"), std::string::npos) << h.log();
    struct stat info;
    EXPECT_EQ(stat((h.user + "/redbrick.lbm").c_str(), &info), 0) << "saved under the shipped name";
}

// Links planted at every temporary name the user files ever used: the
// files are replaced, the link targets stay.
TEST(UserFiles, LinksPlantedBesideTheUserFilesAreNeverWrittenThrough)
{
    Home h;
    const std::string precious = h.dir.file("outside/precious.txt");
    for (const char* name : {"vrbxrc.new", "player.nam.new", "levels.new", "redbrick.lbm.new"})
        ASSERT_EQ(symlink(precious.c_str(), (h.user + "/" + name).c_str()), 0);
    // F5 names the player (Return keeps the name), then the keys and a save.
    const ProcessResult r = h.run({}, "5 press 32\n8 press 286\nmodal 13\n" + REMAP_KEYS.substr(11));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const ProcessResult s = h.run({}, SAVE_BACKGROUND);
    EXPECT_EQ(s.status, 0) << s.out << s.err;
    EXPECT_EQ(read_file(precious), "precious");
    EXPECT_NE(read_file(h.user + "/vrbxrc").find(REMAPPED), std::string::npos);
    EXPECT_EQ(read_file(h.user + "/player.nam").substr(0, 6), "tester");
    EXPECT_EQ(read_file(h.user + "/redbrick.lbm").substr(0, 4), "FORM");
    EXPECT_TRUE(temporaries_in(h.user).empty());
}

// A missing or damaged artwork file of the user's: the shipped artwork is
// drawn instead, and the player is told on the screen, on stdout and in the
// log; the game is playable.
TEST(UserFiles, DamagedOrMissingArtworkFallsBackToTheShippedOne)
{
    const std::string shipped_hero = read_file(VORBIX_BUILD_DIR "/data/regularguy.lbm");
    const std::string shipped_bricks = read_file(VORBIX_BUILD_DIR "/data/redbrick.lbm");
    const std::string DAMAGED_ART = VORBIX_SOURCE_DIR "/tests/picture/damaged/";
    const struct {
        const char* name;
        std::string file;      // written into the user directory under `as`
        const char* as;
        std::string config;    // the configuration line for the set, or ""
        std::string told;
    } cases[] = {
        {"a name that is nowhere", "", "", "hero=missing.lbm",
         "hero set: missing.lbm:Cannot open picture file.; the shipped regularguy.lbm is used"},
        {"the form's header only", shipped_hero.substr(0, 12), "regularguy.lbm", "",
         "hero set: regularguy.lbm:Picture file lacks its header, colours or pixels.; the shipped regularguy.lbm is used"},
        {"cut in half", shipped_bricks.substr(0, shipped_bricks.size() / 2), "redbrick.lbm", "",
         "background set: redbrick.lbm:Picture file is cut short.; the shipped redbrick.lbm is used"},
        // Whole pixels under size words that disagree with the file, or
        // under a header of 1 plane.
        {"a BODY length of 0x7fffffff", read_file(DAMAGED_ART + "body_hugelen.lbm"), "redbrick.lbm", "",
         "background set: redbrick.lbm:Picture file's sizes disagree with its length.; the shipped redbrick.lbm is used"},
        {"a FORM length of 0xffffffff", read_file(DAMAGED_ART + "form_hugelen.lbm"), "redbrick.lbm", "",
         "background set: redbrick.lbm:Picture file's sizes disagree with its length.; the shipped redbrick.lbm is used"},
        {"1 plane over a body of 8", read_file(DAMAGED_ART + "planes1.lbm"), "redbrick.lbm", "",
         "background set: redbrick.lbm:Picture file's pixels do not fit its header.; the shipped redbrick.lbm is used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Home h;
        if (!c.config.empty()) {
            std::string config = CONFIG;
            const std::string key = c.config.substr(0, c.config.find('=') + 1);
            const size_t at = config.find(key);
            config.replace(at, config.find('\n', at) - at, c.config);
            write_file(h.user + "/vrbxrc", config);
        }
        if (c.as[0])
            write_file(h.user + "/" + c.as, c.file);
        // F1 plays the first level for a while, then Alt+X.
        const ProcessResult r = h.run({}, "5 press 32\n8 press 282\n40 down 308\n40 press 120\n");
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find(c.told), std::string::npos) << r.out;
        EXPECT_NE(h.log().find(c.told.substr(0, 60)), std::string::npos) << h.log();
        EXPECT_NE(r.err.find(": notice ARTWORK DAMAGED\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(": play level 1"), std::string::npos) << r.err;
        if (c.as[0]) {
            EXPECT_EQ(read_file(h.user + "/" + c.as), c.file) << "the damaged file is left for the player";
        }
    }
}

TEST(UserFiles, KeysThatCannotBeStoredAreToldOnScreen)
{
    Home h;
    unlink((h.user + "/vrbxrc").c_str());
    ASSERT_EQ(mkdir((h.user + "/vrbxrc").c_str(), 0700), 0);
    const ProcessResult r = h.run({}, REMAP_KEYS);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.err.find(": notice KEYS NOT STORED: Is a directory\n"), std::string::npos) << r.err;
    struct stat info;
    EXPECT_TRUE(stat((h.user + "/vrbxrc").c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

} // namespace
