// vbltool against planted links, devices, FIFOs and folders at its outputs,
// endless inputs and numbers out of range.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "level/archive.h"
#include "level/textformat.h"
#include "support/archive_files.h"
#include "support/process.h"

namespace {

const std::string LEVEL_TEXT = quick_level_text();

ProcessResult vbltool(const std::vector<std::string>& args, const std::string& cwd = "")
{
    return run_process(VBLTOOL_BINARY, args, {}, 60, cwd);
}

mode_t mode_of(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

struct Workspace {
    TempDir dir;
    Workspace()
    {
        write_file(dir.file("level001.txt"), LEVEL_TEXT);
        write_file(dir.file("precious.txt"), "precious");
        EXPECT_EQ(vbltool({"pack", "-o", dir.file("in.vbl"), dir.file("level001.txt")}).status, 0);
    }
};

// Every name a writer of the past used beside OUT, planted as links to a
// file that must survive: the outputs appear and the file stays.
TEST(VbltoolOutputs, LinksPlantedBesideTheOutputAreNeverWrittenThrough)
{
    Workspace w;
    const struct {
        const char* name;
        std::vector<std::string> args;   // OUT stands for the output
    } cases[] = {
        {"pack", {"pack", "-o", "OUT", w.dir.file("level001.txt")}},
        {"repair", {"repair", w.dir.file("in.vbl"), "-o", "OUT"}},
        {"solve", {"solve", w.dir.file("level001.txt"), "1", "--first", "--budget", "5", "-o", "OUT"}},
        {"render", {"render", w.dir.file("level001.txt"), "1", "-o", "OUT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = w.dir.file(std::string("out-") + c.name);
        for (const char* suffix : {".part", ".new", ".movie.part", ".tmp"})
            ASSERT_EQ(symlink(w.dir.file("precious.txt").c_str(), (out + suffix).c_str()), 0);
        std::vector<std::string> args = c.args;
        for (std::string& a : args)
            if (a == "OUT")
                a = out;
        const ProcessResult r = vbltool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(S_ISREG(mode_of(out)));
        EXPECT_EQ(read_file(w.dir.file("precious.txt")), "precious");
    }
    EXPECT_TRUE(temporaries_in(w.dir.path).empty());
}

TEST(VbltoolOutputs, AFifoOrADeviceIsWrittenAsItIsAndAFolderIsRefused)
{
    Workspace w;
    const std::string archive = read_file(w.dir.file("in.vbl"));
    // pack into a FIFO: the reader gets the archive, the FIFO stays.
    const std::string fifo = w.dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t reader = fork();
    if (reader == 0) {
        alarm(10);   // a FIFO replaced by a file never gets a writer
        _exit(read_file(fifo) == archive ? 0 : 1);
    }
    ProcessResult r = vbltool({"pack", "-o", fifo, w.dir.file("level001.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    int status = 0;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader got the archive";
    EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));

    // render onto a character device: the device stays (a null device of its
    // own where one can be made, never the system's).
    const std::string device = w.dir.file("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        r = vbltool({"render", w.dir.file("level001.txt"), "1", "-o", device});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(S_ISCHR(mode_of(device)));
    }

    ASSERT_EQ(mkdir(w.dir.file("folder").c_str(), 0700), 0);
    r = vbltool({"pack", "-o", w.dir.file("folder"), w.dir.file("level001.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vbltool: " + w.dir.file("folder") + ": cannot write: it is a folder, not a file\n");
    EXPECT_TRUE(S_ISDIR(mode_of(w.dir.file("folder"))));
}

TEST(VbltoolOutputs, UnpackReplacesALinkFoundInTheFolder)
{
    Workspace w;
    ASSERT_EQ(mkdir(w.dir.file("out").c_str(), 0755), 0);
    ASSERT_EQ(symlink(w.dir.file("precious.txt").c_str(), w.dir.file("out/level001.txt").c_str()), 0);
    const ProcessResult r = vbltool({"unpack", w.dir.file("in.vbl"), w.dir.file("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(w.dir.file("precious.txt")), "precious");
    EXPECT_TRUE(S_ISREG(mode_of(w.dir.file("out/level001.txt"))));
    EXPECT_EQ(read_file(w.dir.file("out/level001.txt")), "; level 1\n" + LEVEL_TEXT.substr(8));
}

// Inputs without end and numbers out of range end in a message, never in
// an allocation failure, an overflow or a run without end.
TEST(VbltoolInputs, EndlessInputsAndNumbersOutOfRangeAreRefused)
{
    Workspace w;
    ASSERT_EQ(symlink("/dev/zero", w.dir.file("level002.txt").c_str()), 0);
    write_file(w.dir.file("level003.txt"), LEVEL_TEXT);
    const std::string text_limit = std::to_string(TEXT_FILE_MAX_BYTES);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;   // the message, or "" when only the status counts
    } cases[] = {
        {{"repair", "/dev/zero", "-o", w.dir.file("z.vbl")},
         1,
         "vbltool: /dev/zero: cannot read: larger than " + std::to_string(ARCHIVE_MAX_BYTES) +
             " bytes, the most vbltool reads of this kind\n"},
        {{"pack", "-o", w.dir.file("z.vbl"), w.dir.file("level002.txt")},
         1,
         "vbltool: " + w.dir.file("level002.txt") + ": larger than " + text_limit +
             " bytes, the most vbltool reads of this kind\n"},
        {{"solve", "/dev/zero", "1"}, 2, "vbltool: /dev/zero: larger than " + text_limit +
                                             " bytes, the most vbltool reads of this kind\n"},
        {{"list", w.dir.path}, 1, "vbltool: " + w.dir.path + ": it is a folder, not a file\n"},
        {{"solve", w.dir.file("level001.txt"), "1", "--budget", "inf"}, 2, ""},
        {{"solve", w.dir.file("level001.txt"), "1", "--budget", "1e10"}, 2, ""},
        {{"solve", w.dir.file("level001.txt"), "1", "--budget", "1e19"}, 2, ""},
        {{"solve", w.dir.file("level001.txt"), "1", "--budget", "nan"}, 2, ""},
        {{"solve", w.dir.file("level001.txt"), "1", "--seed", ""}, 2, "vbltool: : the seed is 0..23\n"},
        {{"replay", w.dir.file("in.vbl"), "1", "--repeat", "99999999999"},
         2,
         "vbltool: 99999999999: the repeat count is 1..1000000\n"},
        {{"pack", "-o", w.dir.file("z.vbl"), w.dir.file("level001.txt"), w.dir.file("other/level001.txt")},
         1,
         "vbltool: " + w.dir.file("other/level001.txt") + ": a second file for level 1 (the first is " +
             w.dir.file("level001.txt") + ")\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const ProcessResult r = vbltool(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    EXPECT_NE(access(w.dir.file("z.vbl").c_str(), F_OK), 0);
}

// Tile codes 12 to 15 have no letter in the level text: check refuses them
// instead of passing a level that unpack cannot write and pack refuses.
TEST(VbltoolInputs, CheckRefusesTileCodesThatAreNoTile)
{
    Workspace w;
    std::string archive = read_file(w.dir.file("in.vbl"));
    const ParsedArchive parsed = parse_archive(archive);
    ASSERT_EQ(parsed.index[0].length, 180u);
    for (char code : {'\xcc', '\xdd', '\xee', '\xff'}) {
        SCOPED_TRACE(int(uint8_t(code)));
        std::string damaged = archive;
        damaged[parsed.index[0].offset + 12 * 3] = code;   // two empty cells of row 4
        write_file(w.dir.file("codes.vbl"), damaged);
        const ProcessResult r = vbltool({"check", w.dir.file("codes.vbl")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, w.dir.file("codes.vbl") + " level 1: level holds a tile code that is no tile (12 to 15)\n");
    }
}

} // namespace
