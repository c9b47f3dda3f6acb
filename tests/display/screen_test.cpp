// Screen locking, the shared palette merge, nearest colours and dirty blocks.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "display/screen.h"
#include "display/status.h"
#include "picture/gfxset.h"

int lock_calls, unlock_calls;

namespace {

struct Update {
    int x, y, w, h;
    bool operator==(const Update&) const = default;
};
std::vector<Update> updates;
void record_update(int x, int y, int w, int h) { updates.push_back({x, y, w, h}); }

class Screen : public ::testing::Test {
protected:
    std::vector<uint8_t> frame = std::vector<uint8_t>(700 * 480);
    std::vector<uint8_t> pixels = std::vector<uint8_t>(GFX_SET_PIXELS);
    GfxSet set{};

    void SetUp() override
    {
        attach_frame_buffer(frame.data(), 700);
        updates.clear();
        update_hook = record_update;
        clear_dirty_list();
        top_status.changed = bottom_status.changed = false;
        reset_shared_palette();
        set = GfxSet{};
        set.pixels = pixels.data();
    }
    void TearDown() override { update_hook = nullptr; }
    void colour(GfxSet& s, int index, uint8_t r, uint8_t g, uint8_t b)
    {
        s.palette[3 * index] = r;
        s.palette[3 * index + 1] = g;
        s.palette[3 * index + 2] = b;
    }
};

TEST_F(Screen, ClearScreenStepsRowsByPitch)
{
    std::fill(frame.begin(), frame.end(), 9);
    clear_screen();
    EXPECT_EQ(frame[479 * 700 + 639], 0);
    EXPECT_EQ(frame[479 * 700 + 640], 9);   // past the width: not part of the screen
}

TEST_F(Screen, NearestColourTiesGoToTheLowestIndex)
{
    std::array<uint8_t, 768> palette{};
    for (int i : {3, 9})
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = 255;
    EXPECT_EQ(nearest_colour(palette.data(), 255, 255, 255), 3);
    EXPECT_EQ(nearest_colour(palette.data(), 0, 0, 0), 0);
    std::array<uint8_t, 768> black{};
    EXPECT_EQ(nearest_colour(black.data(), 255, 255, 255), 0);
    set_palette(palette.data());
    EXPECT_EQ(screen_palette.nearest_white, 3);
    EXPECT_EQ(screen_palette.nearest_black, 0);
}

TEST_F(Screen, MergeGivesBlackOfANonZeroIndexItsOwnEntry)
{
    pixels[10] = 5;   // pixels use only indices 0 and 5; 5 is black
    colour(set, 0, 1, 2, 3);
    merge_set_palette(set);
    EXPECT_EQ(shared_palette.count, 2);
    EXPECT_EQ(set.remap[5], 1);
    EXPECT_EQ(set.remap[0], 0);
    EXPECT_EQ(shared_palette.entries[3], 0);
    EXPECT_EQ(shared_palette.entries[0], 0);   // entry 0 is never written
}

TEST_F(Screen, MergeSharesEqualColoursAcrossSets)
{
    std::vector<uint8_t> other_pixels(GFX_SET_PIXELS);
    GfxSet other{};
    other.pixels = other_pixels.data();
    pixels[0] = 7;
    pixels[1] = 8;
    colour(set, 7, 200, 10, 10);
    colour(set, 8, 10, 200, 10);
    other_pixels[0] = 40;
    colour(other, 40, 10, 200, 10);
    colour(other, 41, 1, 1, 1);   // unused: adds nothing, keeps its remap
    other.remap[41] = 99;
    merge_set_palette(set);
    merge_set_palette(other);
    EXPECT_EQ(shared_palette.count, 3);
    EXPECT_EQ(set.remap[7], 1);
    EXPECT_EQ(set.remap[8], 2);
    EXPECT_EQ(other.remap[40], 2);
    EXPECT_EQ(other.remap[41], 99);
}

TEST_F(Screen, MergeOverflowWritesEntry255Again)
{
    for (int v = 1; v < 255; v++) {
        pixels[v] = static_cast<uint8_t>(v);
        colour(set, v, static_cast<uint8_t>(v), 0, 1);
    }
    merge_set_palette(set);
    ASSERT_EQ(shared_palette.count, 255);
    std::vector<uint8_t> other_pixels(GFX_SET_PIXELS);
    GfxSet other{};
    other.pixels = other_pixels.data();
    other_pixels[0] = 1;
    other_pixels[1] = 2;
    colour(other, 1, 0, 99, 0);
    colour(other, 2, 0, 0, 99);
    merge_set_palette(other);
    EXPECT_EQ(shared_palette.count, 255);
    EXPECT_EQ(other.remap[1], 255);
    EXPECT_EQ(other.remap[2], 255);
    EXPECT_EQ(shared_palette.entries[3 * 255 + 2], 99);   // the colour written last
    EXPECT_EQ(set.remap[254], 254);
}

TEST_F(Screen, SixtyFourDirtyBlocksAreUpdatedOneByOne)
{
    for (int i = 0; i < 64; i++)
        add_dirty_cell(i * 8, 100);
    add_dirty_cell(0, 100);   // no duplicate test: a 65th entry overflows
    EXPECT_TRUE(dirty_list.full_update);
    EXPECT_EQ(dirty_list.used, 64);
    present_frame();
    EXPECT_EQ(updates, (std::vector<Update>{{0, 0, 0, 0}}));
    EXPECT_EQ(dirty_list.used, 0);
    EXPECT_FALSE(dirty_list.full_update);

    updates.clear();
    for (int i = 0; i < 64; i++)
        add_dirty_cell(i * 8, 100);
    present_frame();
    ASSERT_EQ(updates.size(), 64u);
    EXPECT_EQ(updates[63], (Update{504, 100, 24, 24}));
    EXPECT_FALSE(dirty_list.full_update);
}

TEST_F(Screen, SameBlockTwiceIsUpdatedTwice)
{
    add_dirty_cell(32, 60);
    add_dirty_cell(32, 60);
    present_frame();
    EXPECT_EQ(updates, (std::vector<Update>{{32, 60, 24, 24}, {32, 60, 24, 24}}));
}

TEST_F(Screen, StatusStripsWaitForAFrameWithoutFullUpdate)
{
    top_status.changed = bottom_status.changed = true;
    request_full_update();
    present_frame();
    EXPECT_EQ(updates, (std::vector<Update>{{0, 0, 0, 0}}));
    EXPECT_TRUE(top_status.changed);
    updates.clear();
    present_frame();
    EXPECT_EQ(updates, (std::vector<Update>{{32, 24, 576, 12}, {32, 444, 576, 12}}));
    EXPECT_FALSE(top_status.changed);
    EXPECT_FALSE(bottom_status.changed);
}

// sdl12-compat keeps neither SDL_RLEACCEL in the flags nor the lock count in
// the surface, so the flag is set by hand and the calls are counted at the
// link (the test binary wraps SDL_LockSurface and SDL_UnlockSurface).


TEST(ScreenLock, SurfaceThatNeedsLockingIsLockedOnceUntilAnUpdate)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0);
    ASSERT_NE(surface, nullptr);
    surface->flags |= SDL_RLEACCEL;
    attach_screen_surface(surface);
    ASSERT_TRUE(display_state.must_lock);
    lock_calls = unlock_calls = 0;
    lock_screen();
    lock_screen();
    EXPECT_TRUE(display_state.locked);
    EXPECT_EQ(lock_calls, 1);
    clear_screen();   // drawing under a held lock takes no second one
    EXPECT_EQ(lock_calls, 1);
    unlock_screen();
    EXPECT_FALSE(display_state.locked);
    EXPECT_EQ(unlock_calls, 1);
    lock_screen();
    EXPECT_EQ(lock_calls, 2);
    unlock_screen();
    surface->flags &= ~SDL_RLEACCEL;
    display_state = DisplayState{};
    SDL_FreeSurface(surface);
}

TEST(ScreenLock, SurfaceWithoutLockingIsNeverLocked)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0);
    ASSERT_NE(surface, nullptr);
    attach_screen_surface(surface);
    ASSERT_FALSE(display_state.must_lock);
    lock_calls = unlock_calls = 0;
    lock_screen();
    clear_screen();
    EXPECT_FALSE(display_state.locked);
    unlock_screen();
    EXPECT_EQ(lock_calls, 0);
    EXPECT_EQ(unlock_calls, 0);
    display_state = DisplayState{};
    SDL_FreeSurface(surface);
}

} // namespace

extern "C" int __real_SDL_LockSurface(SDL_Surface* surface);
extern "C" void __real_SDL_UnlockSurface(SDL_Surface* surface);
extern "C" int __wrap_SDL_LockSurface(SDL_Surface* surface)
{
    lock_calls++;
    return __real_SDL_LockSurface(surface);
}
extern "C" void __wrap_SDL_UnlockSurface(SDL_Surface* surface)
{
    unlock_calls++;
    __real_SDL_UnlockSurface(surface);
}
