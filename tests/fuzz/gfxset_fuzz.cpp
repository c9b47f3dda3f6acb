// Fuzz target for a graphics set through drawing: the first byte chooses the
// set, the rest is its artwork file in the user directory. A file that does
// not load leaves the set as it was; whatever loads is drawn: the tiles, a
// level and its figures on a frame buffer in memory.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/flags.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "fuzz_files.h"
#include "game/game.h"
#include "view/view.h"
#include "game/replay.h"
#include "level/archive.h"
#include "level/grid.h"
#include "picture/gfxset.h"
#include "picture/ilbm.h"
#include "solver/solver.h"

namespace {

void pattern_row(uint8_t* row, int y, const void* source)
{
    const int set = *static_cast<const int*>(source);
    for (int x = 0; x < GFX_SET_WIDTH; x++)
        row[x] = uint8_t((x / 3 + y * 7 + set * 40) % 64);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        snprintf(home_directory, sizeof home_directory, "%s", fuzz_directory().c_str());
        const std::string user = fuzz_directory() + "/" + USER_DIR_NAME;
        mkdir(user.c_str(), 0700);
        // Sound pictures of every set, so that a refused input leaves a
        // drawable set behind it.
        uint8_t palette[768];
        for (int i = 0; i < 768; i++)
            palette[i] = uint8_t(i * 37);
        for (int set = 0; set < GFX_SET_COUNT; set++)
            if (write_picture((user + "/" + SHIPPED_ARTWORK[set]).c_str(), GFX_SET_WIDTH, GFX_SET_HEIGHT,
                              pattern_row, &set, palette))
                abort();
        prepare_headless();
        clear_gfx_sets();
        set_first_start_config();
        for (int set = 0; set < GFX_SET_COUNT; set++)
            if (load_gfx_set(set))
                abort();
        for (int set = 0; set < GFX_SET_COUNT; set++)
            strcpy(artwork_names[set], "input.lbm");
        return true;
    }();
    (void)ready;
    if (size < 1)
        return 0;
    const int set = data[0] % GFX_SET_COUNT;
    write_bytes(fuzz_directory() + "/" + USER_DIR_NAME + "/input.lbm", data + 1, size - 1);
    const std::vector<uint8_t> before(gfx_sets[size_t(set)].pixels, gfx_sets[size_t(set)].pixels + GFX_SET_PIXELS);
    const auto palette_before = gfx_sets[size_t(set)].palette;
    if (load_gfx_set(set)) {
        FUZZ_CHECK(memcmp(gfx_sets[size_t(set)].pixels, before.data(), before.size()) == 0);
        FUZZ_CHECK(gfx_sets[size_t(set)].palette == palette_before);
    }
    reset_shared_palette();
    for (GfxSet& s : gfx_sets)
        merge_set_palette(s);
    apply_shared_palette();
    build_tile_cache();
    // The built-in level with its figures, as vbltool render draws it.
    static Session session;
    session.level = 0;
    unpack_record(BUILTIN_LEVEL.data(), session.grid);
    std::string problem;
    clear_screen();
    static LevelState check;
    if (start_level_run(session.grid, 0, &check, &problem)) {
        release_game_sprites(session);
        clear_sprite_slots();
        session.game_active = true;
        start_running_level_seeded(session, session.grid, 0);
        draw_running_level(session);
        restore_sprite_backgrounds();
        release_game_sprites(session);
    }
    session.game_active = false;
    return 0;
}
