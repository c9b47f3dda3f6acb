#include "picture/gfxset.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "core/settings.h"
#include "picture/ilbm.h"

std::array<GfxSet, GFX_SET_COUNT> gfx_sets;
const char* const GFX_SET_NAMES[GFX_SET_COUNT] = {"background", "hero", "main enemy", "hidden enemy"};

namespace {

char message_buffer[PATH_BUFFER_SIZE + 64];

void fetch_set_row(uint8_t* row, int y, const void* source)
{
    memcpy(row, static_cast<const GfxSet*>(source)->pixels + y * GFX_SET_WIDTH, GFX_SET_WIDTH);
}

} // namespace

void clear_gfx_sets()
{
    for (GfxSet& set : gfx_sets) {
        set.palette.fill(0);
        set.remap.fill(0);
        set.pixels = nullptr;
    }
}

const char* load_gfx_set(int set)
{
    const char* message = read_picture(artwork_names[set]);
    if (message) {
        snprintf(message_buffer, sizeof message_buffer, "%s:%s", artwork_names[set], message);
        return message_buffer;
    }
    GfxSet& gfx = gfx_sets[set];
    if (!gfx.pixels) {
        gfx.pixels = static_cast<uint8_t*>(malloc(GFX_SET_PIXELS));
        if (!gfx.pixels)
            return "Could not allocate memory for gfx set.\n";
    }
    memcpy(gfx.pixels, picture_buffer, GFX_SET_PIXELS);
    memcpy(gfx.palette.data(), picture_palette.data(), 768);
    return nullptr;
}

bool save_gfx_set(int set)
{
    const GfxSet& gfx = gfx_sets[set];
    char path[PATH_BUFFER_SIZE];
    char temporary[PATH_BUFFER_SIZE + 8];
    if (!gfx.pixels || !user_file_path(path, artwork_names[set]))
        return false;
    // Written beside the old picture and renamed over it once complete, so
    // a failed save never leaves a damaged picture that the next start loads.
    snprintf(temporary, sizeof temporary, "%s.new", path);
    if (write_picture(temporary, GFX_SET_WIDTH, GFX_SET_HEIGHT, fetch_set_row, &gfx, gfx.palette.data()) != 0)
        return false;
    if (rename(temporary, path) != 0) {
        unlink(temporary);
        return false;
    }
    return true;
}

void free_gfx_sets()
{
    for (GfxSet& set : gfx_sets) {
        free(set.pixels);
        set.pixels = nullptr;
    }
}
