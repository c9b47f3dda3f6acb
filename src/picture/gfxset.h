// The four graphics sets: background tiles, hero, main enemy, hidden enemy.
#pragma once
#include <array>
#include <cstdint>

constexpr int GFX_SET_COUNT = 4;
constexpr int GFX_SET_WIDTH = 320;
constexpr int GFX_SET_HEIGHT = 200;
constexpr int GFX_SET_PIXELS = GFX_SET_WIDTH * GFX_SET_HEIGHT;

enum GfxSetIndex { SET_BACKGROUND = 0, SET_HERO = 1, SET_ENEMY = 2, SET_HIDDEN = 3 };

struct GfxSet {
    std::array<uint8_t, 768> palette;
    std::array<uint8_t, 256> remap;   // set colour index -> shared palette index
    uint8_t* pixels;                  // 320 x 200, null until first loaded
};

extern std::array<GfxSet, GFX_SET_COUNT> gfx_sets;
// As the editor shows them.
inline constexpr char GFX_SET_NAMES[GFX_SET_COUNT][13] = {"background", "hero", "main enemy", "hidden enemy"};
// The artwork the game ships, set by set (the first-start names).
inline constexpr char SHIPPED_ARTWORK[GFX_SET_COUNT][15] = {"redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm"};

void clear_gfx_sets();
// Loads the set's artwork file (user directory first, then the data path
// list). Null on success, otherwise "file:message"; the set is then unchanged.
// A picture that is not 320 by 200 is refused.
const char* load_gfx_set(int set);
// load_gfx_set, and when the set's own file is missing or damaged, the
// shipped artwork of the set (every place it is found, in order). Null when
// the set's own file was loaded; otherwise a line saying what went wrong and,
// with *shipped true, that the shipped artwork is used (with *shipped false
// nothing could be loaded and the set is unchanged).
const char* load_gfx_set_or_shipped(int set, bool* shipped);
// Writes the set into the user directory under its artwork name. The old
// file is replaced only by a complete new one; when that name is a symbolic
// link, the file it points to is replaced and the link kept. Null when
// written, otherwise "file:message" (ending in a newline) and the old file
// is as it was.
const char* save_gfx_set(int set);
void free_gfx_sets();
