#include "picture/gfxset.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
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

namespace {

// Follows symbolic links from path to the file they name (at most 16 steps),
// so that a save replaces the target and keeps the link. A path that is not
// a link stays as it is; false when a link cannot be read or the chain does
// not end.
bool follow_links(char* path, size_t size)
{
    for (int step = 0; step < 16; step++) {
        struct stat info;
        if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char target[PATH_BUFFER_SIZE];
        const ssize_t n = readlink(path, target, sizeof target - 1);
        if (n <= 0 || size_t(n) >= sizeof target - 1)
            return false;
        target[n] = 0;
        char next[PATH_BUFFER_SIZE];
        const char* slash = strrchr(path, '/');
        if (target[0] == '/' || !slash) {
            if (snprintf(next, sizeof next, "%s", target) >= int(sizeof next))
                return false;
        } else if (snprintf(next, sizeof next, "%.*s/%s", int(slash - path), path, target) >= int(sizeof next)) {
            return false;
        }
        if (strlen(next) >= size)
            return false;
        strcpy(path, next);
    }
    return false;
}

const char* save_message(int set, const char* what)
{
    snprintf(message_buffer, sizeof message_buffer, "%s:%s", artwork_names[set], what);
    return message_buffer;
}

} // namespace

const char* save_gfx_set(int set)
{
    const GfxSet& gfx = gfx_sets[set];
    char path[PATH_BUFFER_SIZE];
    char temporary[PATH_BUFFER_SIZE + 8];
    if (!gfx.pixels)
        return save_message(set, "Nothing loaded to save.\n");
    if (!user_file_path(path, artwork_names[set]))
        return save_message(set, "Path too long.\n");
    if (!follow_links(path, sizeof path))
        return save_message(set, "Cannot follow the link.\n");
    // Written beside the old picture and renamed over it once complete, so
    // a failed save never leaves a damaged picture that the next start loads.
    snprintf(temporary, sizeof temporary, "%s.new", path);
    if (write_picture(temporary, GFX_SET_WIDTH, GFX_SET_HEIGHT, fetch_set_row, &gfx, gfx.palette.data()) != 0)
        return save_message(set, "Cannot write picture file.\n");
    if (rename(temporary, path) != 0) {
        unlink(temporary);
        return save_message(set, "Cannot replace picture file.\n");
    }
    return nullptr;
}

void free_gfx_sets()
{
    for (GfxSet& set : gfx_sets) {
        free(set.pixels);
        set.pixels = nullptr;
    }
}
