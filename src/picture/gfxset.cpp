#include "picture/gfxset.h"

#include <cstdlib>

std::array<GfxSet, GFX_SET_COUNT> gfx_sets;

void clear_gfx_sets()
{
    for (GfxSet& set : gfx_sets) {
        set.palette.fill(0);
        set.remap.fill(0);
        set.pixels = nullptr;
    }
}

// Reading artwork files comes with the picture reader; until then every set
// stays empty and draws as transparent.
const char* load_gfx_set(int) { return nullptr; }

void free_gfx_sets()
{
    for (GfxSet& set : gfx_sets) {
        free(set.pixels);
        set.pixels = nullptr;
    }
}
