// The command line, run against the real program with SDL's dummy drivers
// and a temporary HOME: standard output and exit status byte for byte.
#include <gtest/gtest.h>

#include "support/process.h"

namespace {

const std::string HELP =
    "\nSDL Vorbix command line options:\n\n"
    "-h, --help    Show this help text and exit.\n\n"
    "-c file, --config file\n"
    "              Use alternate file for vorbix configuration.\n"
    "              See vrbxrc in your ~/.zuzezodov directory for the\n"
    "              proper config file format.\n\n"
    "-w, --window  Run vorbix in a window instead of full screen.\n\n"
    "-l 125,\n"
    "--level 125   Start the game on level 125. Press F4 when the\n"
    "              game starts to jump to this level.  The maximum\n"
    "              level number is 400, but only 200 levels are\n"
    "              predefined.  Levels 201 through 400 are available\n"
    "              for user defined levels.\n\n"
    "-v, --version Show the vorbix version and exit.\n\n"
    "-s, --stuck   Play vorbix with the pre-solved movies included\n"
    "              If you are convinced that a level is impossible, use\n"
    "              this option to see how the Masters do it. This option\n"
    "              can be used with the -l option to go straight to the\n"
    "              level you are stuck on.  See if you can best the score,\n"
    "              or playing time of the Masters!\n\n"
    "-q, --quiet   Play vorbix without sound.\n\n";
const std::string VERSION = "\nSDL Vorbix version 1.4.5.4 (1/5/2015)\n\n";
const std::string LEVEL = "\nLevel numbers must be numeric, ranging from 1 to 400\n\n";

struct Case {
    std::vector<std::string> args;
    int status;
    const std::string* out;
};

ProcessResult run_vorbix(const std::vector<std::string>& args, const TempDir& home)
{
    return run_process(VORBIX_BINARY, args,
                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
}

TEST(CommandLine, OutputAndStatusByteForByte)
{
    const std::string long_name(300, 'a');
    // An accepted level is followed by -v, which ends the run once the level
    // has passed its check (a refused one would have exited with status 1).
    const Case cases[] = {
        {{"-h"}, 0, &HELP},
        {{"--help"}, 0, &HELP},
        {{"-x"}, 0, &HELP},
        {{"--bogus"}, 0, &HELP},
        {{"-l"}, 0, &HELP},
        {{"--level"}, 0, &HELP},
        {{"-c"}, 0, &HELP},
        {{"-v"}, 0, &VERSION},
        {{"--version"}, 0, &VERSION},
        {{"-l", "7", "-v"}, 0, &VERSION},
        {{"-l", "007", "-v"}, 0, &VERSION},
        {{"-l", "400", "-v"}, 0, &VERSION},
        {{"--Level", "400", "-v"}, 0, &VERSION},
        {{"--level=7", "-v"}, 0, &VERSION},
        {{"-L", "7", "-v"}, 0, &VERSION},
        {{"-L7", "-v"}, 0, &VERSION},
        {{"-l", "0"}, 1, &LEVEL},
        {{"-l", "401"}, 1, &LEVEL},
        {{"-l", "1000"}, 1, &LEVEL},
        {{"-l", "12a"}, 1, &LEVEL},
        {{"-l", ""}, 1, &LEVEL},
        {{"-l", "-1"}, 1, &LEVEL},
        {{"--Level", "0"}, 1, &LEVEL},
        {{"-L", "401"}, 1, &LEVEL},
        {{"-v", "-l", "999"}, 0, &VERSION},
        {{"-l", "999", "-v"}, 1, &LEVEL},
        // Names that would overflow their 256-byte buffers are refused.
        {{"-c", long_name}, 0, &HELP},
        {{"--config", long_name, "-v"}, 0, &HELP},
    };
    TempDir home;
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += "[" + a.substr(0, 20) + "] ";
        SCOPED_TRACE(shown);
        ProcessResult r = run_vorbix(c.args, home);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, *c.out);
    }
}

} // namespace
