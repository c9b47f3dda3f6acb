#include "display/screen.h"

#include <cstdio>
#include <cstring>

#include "display/status.h"
#include "display/tiles.h"
#include "level/archive.h"
#include "picture/gfxset.h"
#include "picture/screenshot.h"

Display display;

void toggle_fullscreen()
{
    if (display_state.surface)
        display_state.window.toggle_fullscreen(display_state.surface);
}

void show_pointer(bool shown)
{
    display_state.pointer_shown = shown;
    if (display_state.surface)
        display_state.window.show_pointer(shown);
}

namespace {

void fetch_screen_row(uint8_t* row, int y, const void*)
{
    memcpy(row, screen_row(y), SCREEN_WIDTH);
}

} // namespace

const char* take_screenshot()
{
    lock_screen();
    return write_screenshot(SCREEN_WIDTH, SCREEN_HEIGHT, fetch_screen_row, nullptr,
                            screen_palette.colours.data());
}

bool screenshot_failed(const char* failure)
{
    if (!failure)
        return false;
    log_message("Screenshot not written: %s\n", failure);
    pass_notice(SCREENSHOT_FAILED);
    return true;
}

void attach_frame_buffer(uint8_t* pixels, int32_t pitch)
{
    display_state = DisplayState{nullptr, {}, pixels, pitch, false, false, false};
}

void lock_screen()
{
    if (display_state.locked || !display_state.must_lock)
        return;
    display_state.window.lock(display_state.surface);
    // Drawing goes on after a failed lock; the next update clears the flag.
    display_state.locked = true;
}

void unlock_screen()
{
    if (display_state.locked && display_state.must_lock) {
        display_state.window.unlock(display_state.surface);
        display_state.locked = false;
    }
}

void update_rect(int x, int y, int w, int h)
{
    unlock_screen();
    if (update_hook)
        update_hook(x, y, w, h);
    if (display_state.surface)
        display_state.window.update(display_state.surface, x, y, w, h);
}

void update_whole_screen() { update_rect(0, 0, 0, 0); }
void update_cell(int x, int y) { update_rect(x, y, 24, 24); }

void clear_screen()
{
    lock_screen();
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        memset(screen_row(y), 0, SCREEN_WIDTH);
}

int nearest_colour(const uint8_t* palette, int r, int g, int b)
{
    int best = 0;
    int best_distance = 0;
    for (int i = 0; i < 256; i++) {
        int dr = r - palette[3 * i];
        int dg = g - palette[3 * i + 1];
        int db = b - palette[3 * i + 2];
        int distance = dr * dr + dg * dg + db * db;
        if (i == 0 || distance < best_distance) {   // ties keep the lower index
            best = i;
            best_distance = distance;
        }
    }
    return best;
}

void set_palette(const uint8_t* palette)
{
    memcpy(screen_palette.colours.data(), palette, 768);
    if (display_state.surface)
        display_state.window.set_colours(display_state.surface, palette);
    screen_palette.nearest_black = nearest_colour(palette, 0, 0, 0);
    screen_palette.nearest_white = nearest_colour(palette, 255, 255, 255);
}

void reset_shared_palette()
{
    shared_palette.entries[0] = shared_palette.entries[1] = shared_palette.entries[2] = 0;
    shared_palette.count = 1;
}

void merge_set_palette(GfxSet& set)
{
    set.remap[0] = 0;
    if (!set.pixels)
        return;   // a set never loaded uses no colours
    std::array<int32_t, 256> used{};
    for (int i = 0; i < GFX_SET_PIXELS; i++)
        used[set.pixels[i]]++;
    uint8_t* entries = shared_palette.entries.data();
    for (int v = 1; v < 256; v++) {
        if (!used[v])
            continue;
        const uint8_t* rgb = &set.palette[3 * v];
        int match = 0;
        // Entry 0 is transparent black and is never matched.
        for (int j = 1; j < shared_palette.count; j++) {
            if (memcmp(&entries[3 * j], rgb, 3) == 0) {
                match = j;
                break;
            }
        }
        if (!match) {
            // Once 255 entries are in use, every new colour lands in entry 255,
            // replacing the one written there before.
            match = shared_palette.count;
            memcpy(&entries[3 * match], rgb, 3);
            if (shared_palette.count < 255)
                shared_palette.count++;
        }
        set.remap[v] = static_cast<uint8_t>(match);
    }
}

void apply_shared_palette() { set_palette(shared_palette.entries.data()); }

void rebuild_screen_colours()
{
    reset_shared_palette();
    for (GfxSet& set : gfx_sets)
        merge_set_palette(set);
    apply_shared_palette();
    build_tile_cache();
}

void add_dirty_cell(int x, int y)
{
    if (dirty_list.used >= DIRTY_CAPACITY) {
        dirty_list.full_update = true;
        return;
    }
    dirty_list.cells[dirty_list.used++] = DirtyCell{x, y};
}

void flush_dirty_cells()
{
    for (int i = 0; i < dirty_list.used; i++)
        update_cell(dirty_list.cells[i].x, dirty_list.cells[i].y);
    dirty_list.used = 0;
}

void request_full_update() { dirty_list.full_update = true; }

void clear_dirty_list()
{
    dirty_list.used = 0;
    dirty_list.full_update = false;
}

void present_frame()
{
    if (dirty_list.full_update) {
        // The status strips' changed flags survive for the next frame.
        clear_dirty_list();
        update_whole_screen();
        return;
    }
    flush_dirty_cells();
    if (top_status.changed) {
        top_status.changed = false;
        update_rect(32, 24, 576, 12);
    }
    if (bottom_status.changed) {
        bottom_status.changed = false;
        update_rect(32, 444, 576, 12);
    }
}
