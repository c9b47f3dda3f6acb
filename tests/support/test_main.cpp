// The tests' main: every test binary runs headless, with a HOME of its own
// inside the build directory, never the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

// SDL2 (under sdl12-compat) keeps some allocations until the process ends.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL2\nleak:libX11\nleak:libdbus\n";
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    mkdir(VORBIX_BUILD_DIR "/test-home", 0700);
    setenv("HOME", VORBIX_BUILD_DIR "/test-home", 1);
    // Programs the tests start inherit the same suppressions.
    setenv("LSAN_OPTIONS", "suppressions=" VORBIX_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
