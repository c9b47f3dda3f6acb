// The one 640 by 480 screen of 8-bit palette indices: locking, updates to the
// visible display, the shared palette and the per-frame dirty blocks.
#pragma once
#include <array>
#include <cstdint>

#include "display/display.h"

struct GfxSet;

constexpr int COLOUR_BLACK = 256;   // outline colour arguments meaning the
constexpr int COLOUR_WHITE = 257;   // nearest black / white of the palette

// Takes the surface SDL_SetVideoMode returned.
void attach_screen_surface(SDL_Surface* surface);
// Draws into a caller's buffer instead of a window (tests, tools, replays):
// no locking, and updates reach nothing.
void attach_frame_buffer(uint8_t* pixels, int32_t pitch);

inline uint8_t* screen_row(int y) { return display_state.pixels + y * display_state.pitch; }

// Switches between window and full screen (Alt+Enter in the menu).
void toggle_fullscreen();
// The mouse pointer over the window: shown in the editors, hidden in play.
void show_pointer(bool shown);
// Writes the screen into the next free capNNN.lbm; nullptr when written,
// otherwise why not.
const char* take_screenshot();
// What the player is shown when a screenshot could not be written.
constexpr char SCREENSHOT_FAILED[] = "NO SCREENSHOT";
// A screenshot's failure (take_screenshot's result, nullptr when it was
// written) said in the log with its reason and passed on as a notice; true
// when there was one, for the caller to show SCREENSHOT_FAILED where its
// mode shows messages.
bool screenshot_failed(const char* failure);

void lock_screen();
void unlock_screen();
void update_whole_screen();
void update_rect(int x, int y, int w, int h);
void update_cell(int x, int y);
void clear_screen();

int nearest_colour(const uint8_t* palette, int r, int g, int b);
void set_palette(const uint8_t* palette);
void reset_shared_palette();
void merge_set_palette(GfxSet& set);
void apply_shared_palette();
// The colour build of start-up and of leaving the graphics editor: merge the
// four sets in order, install the palette, rebuild the tile cache.
void rebuild_screen_colours();

void add_dirty_cell(int x, int y);
void flush_dirty_cells();
void request_full_update();
void clear_dirty_list();
void present_frame();
