#include "picture/gfxset.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "picture/datafile.h"
#include "picture/ilbm.h"

std::array<GfxSet, GFX_SET_COUNT> gfx_sets;

namespace {

char message_buffer[PATH_BUFFER_SIZE + 128];

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

namespace {

// A picture read as the set's new content: refused when it is not a set's
// size. Null, or the message (without the file name).
const char* take_picture(int set, const Picture& picture)
{
    static char size_message[64];
    if (picture.width != GFX_SET_WIDTH || picture.height != GFX_SET_HEIGHT) {
        snprintf(size_message, sizeof size_message, "Picture is %d x %d, a graphics set is %d x %d.\n",
                 picture.width, picture.height, GFX_SET_WIDTH, GFX_SET_HEIGHT);
        return size_message;
    }
    GfxSet& gfx = gfx_sets[set];
    if (!gfx.pixels) {
        gfx.pixels = static_cast<uint8_t*>(malloc(GFX_SET_PIXELS));
        if (!gfx.pixels)
            return "Could not allocate memory for gfx set.\n";
    }
    // 320 pixels a row are 20 whole plane-row words: no padding.
    memcpy(gfx.pixels, picture.pixels.data(), GFX_SET_PIXELS);
    gfx.palette = picture.palette;
    return nullptr;
}

} // namespace

const char* load_gfx_set(int set)
{
    Picture picture;
    const char* message = read_picture(artwork_names[set], &picture);
    if (!message)
        message = take_picture(set, picture);
    if (message) {
        snprintf(message_buffer, sizeof message_buffer, "%s:%s", artwork_names[set], message);
        return message_buffer;
    }
    return nullptr;
}

const char* load_gfx_set_or_shipped(int set, bool* shipped)
{
    *shipped = false;
    const char* own = load_gfx_set(set);
    if (!own)
        return nullptr;
    char problem[PATH_BUFFER_SIZE];
    snprintf(problem, sizeof problem, "%.*s", int(strcspn(own, "\n")), own);
    char path[PATH_BUFFER_SIZE];
    Picture picture;
    for (int n = 0; data_path_candidate(path, SHIPPED_ARTWORK[set], n); n++) {
        if (!path[0] || read_picture_file(path, &picture) || take_picture(set, picture))
            continue;
        *shipped = true;
        snprintf(message_buffer, sizeof message_buffer, "%s set: %s; the shipped %s is used\n", GFX_SET_NAMES[set],
                 problem, SHIPPED_ARTWORK[set]);
        return message_buffer;
    }
    snprintf(message_buffer, sizeof message_buffer, "%s\n", problem);
    return message_buffer;
}

namespace {

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
    if (!gfx.pixels)
        return save_message(set, "Nothing loaded to save.\n");
    if (!user_file_path(path, artwork_names[set]))
        return save_message(set, "Path too long.\n");
    // Put in place whole, so a failed save never leaves a damaged picture
    // that the next start loads; a symbolic link is followed and kept.
    if (const char* problem =
            write_picture(path, GFX_SET_WIDTH, GFX_SET_HEIGHT, fetch_set_row, &gfx, gfx.palette.data())) {
        if (strcmp(problem, strerror(ELOOP)) == 0)
            return save_message(set, "Cannot follow the link.\n");
        char what[96];
        snprintf(what, sizeof what, "Cannot write picture file (%s).\n", problem);
        return save_message(set, what);
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
