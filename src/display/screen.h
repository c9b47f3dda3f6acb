// The one 640 by 480 screen of 8-bit palette indices: locking, updates to the
// visible display, the shared palette and the per-frame dirty blocks.
#pragma once
#include <array>
#include <cstdint>

struct SDL_Surface;
struct GfxSet;

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
constexpr int DIRTY_CAPACITY = 64;
constexpr int COLOUR_BLACK = 256;   // outline colour arguments meaning the
constexpr int COLOUR_WHITE = 257;   // nearest black / white of the palette

// The calls that reach the window behind the screen (display/surface_sdl.cpp).
// They come in through attach_screen_surface only, so that a program that
// draws into a frame buffer (vbltool render) links no window system.
struct WindowCalls {
    bool (*lock)(SDL_Surface* surface);   // false when the lock failed
    void (*unlock)(SDL_Surface* surface);
    void (*update)(SDL_Surface* surface, int x, int y, int w, int h);
    void (*set_colours)(SDL_Surface* surface, const uint8_t* palette);
    void (*toggle_fullscreen)(SDL_Surface* surface);
    void (*show_pointer)(bool shown);
};

struct DisplayState {
    SDL_Surface* surface;   // null when drawing into a caller's frame buffer
    const WindowCalls* window;   // null with surface
    uint8_t* pixels;
    int32_t pitch;          // bytes per row; may be more than 640
    bool must_lock;
    bool locked;
};

struct ScreenPalette {
    std::array<uint8_t, 768> colours;
    int nearest_black;
    int nearest_white;
};

struct SharedPalette {
    std::array<uint8_t, 768> entries;
    int count;              // entries in use, entry 0 included: 1..255
};

struct DirtyCell {
    int32_t x, y;
};

struct DirtyRectList {
    std::array<DirtyCell, DIRTY_CAPACITY> cells;
    int used;
    bool full_update;
};

// Called with every rectangle pushed to the display (0, 0, 0, 0 = whole
// screen); lets tests and tools watch the updates of a frame.
using UpdateHook = void (*)(int x, int y, int w, int h);

extern DisplayState display_state;
extern UpdateHook update_hook;
extern ScreenPalette screen_palette;
extern SharedPalette shared_palette;
extern DirtyRectList dirty_list;

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
