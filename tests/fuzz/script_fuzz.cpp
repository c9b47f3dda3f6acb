// Fuzz target for the script reader: any bytes as the VORBIX_SCRIPT file,
// then its events taken in for a few hundred frames and modal waits. The
// input state stays inside its bounds: lists within their capacity, the
// pointer on the screen.
#include <SDL/SDL.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/input.h"
#include "program/script.h"
#include "fuzz_files.h"
#include "level/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        if (SDL_Init(SDL_INIT_VIDEO) < 0)
            abort();
        setenv("VORBIX_SCRIPT", (fuzz_directory() + "/script").c_str(), 1);
        return true;
    }();
    (void)ready;
    write_bytes(fuzz_directory() + "/script", data, size);
    reset_input_state();
    if (!load_script())
        return 0;
    for (int frame = 0; frame < 300; frame++) {
        begin_input_frame();
        inject_script_events(frame % 3 != 0);   // every third a modal wait
        poll_events();
        trace_frame(nullptr, 1);
        const KeyState& k = key_state;
        FUZZ_CHECK(k.held.count >= 0 && k.held.count <= KEY_LIST_CAPACITY);
        FUZZ_CHECK(k.pressed.count >= 0 && k.pressed.count <= KEY_LIST_CAPACITY);
        FUZZ_CHECK(k.mouse_x >= 0 && k.mouse_x < 640 && k.mouse_y >= 0 && k.mouse_y < 480);
    }
    reset_script();
    return 0;
}
