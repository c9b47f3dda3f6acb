// The one screen's state, one record because there is one screen: the
// surface or frame buffer, the palettes, the dirty blocks, the tile cache and
// the sprite slots, the text cursor, the status lines and the message area.
// Each part keeps its own name, an alias of its place in the record.
#pragma once
#include <array>
#include <cstdint>

struct SDL_Surface;

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
constexpr int DIRTY_CAPACITY = 64;
constexpr int SPRITE_COUNT = 16;

// The calls that reach the window behind the screen (display/surface_sdl.cpp).
// They come in through attach_screen_surface only, so that a program that
// draws into a frame buffer (vbltool render) links no window system; all
// null without a window.
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
    WindowCalls window;
    uint8_t* pixels;
    int32_t pitch;          // bytes per row; may be more than 640
    bool must_lock;
    bool locked;
    bool pointer_shown;     // the mouse pointer over the window
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


struct SpriteSlot {
    int32_t flags;
    int32_t x, y;
    int32_t cell;
};

struct StatusLine {
    std::array<char, 80> shown;    // characters on the screen
    std::array<char, 80> wanted;   // characters that should be there
    bool changed;                  // redrawn; present_frame pushes the strip
};

struct Display {
    DisplayState state;
    UpdateHook update_hook;
    ScreenPalette palette;
    SharedPalette shared_palette;
    DirtyRectList dirty;
    uint8_t* tile_cache;           // TILE_CACHE_CELLS x CELL_BYTES
    uint8_t* save_under_store;     // SAVE_UNDER_BLOCKS x CELL_BYTES
    std::array<SpriteSlot, SPRITE_COUNT> sprite_slots;
    int32_t text_x, text_y;        // the text cursor
    StatusLine top_status;
    StatusLine bottom_status;
    int32_t message_timer;         // frames the message area has left
    // A problem the player has been shown, passed on (status.h, pass_notice).
    void (*notice_listener)(const char* text);
};

extern Display display;

inline constexpr DisplayState& display_state = display.state;
inline constexpr UpdateHook& update_hook = display.update_hook;
inline constexpr ScreenPalette& screen_palette = display.palette;
inline constexpr SharedPalette& shared_palette = display.shared_palette;
inline constexpr DirtyRectList& dirty_list = display.dirty;
inline constexpr uint8_t*& tile_cache = display.tile_cache;
inline constexpr uint8_t*& save_under_store = display.save_under_store;
inline constexpr std::array<SpriteSlot, SPRITE_COUNT>& sprite_slots = display.sprite_slots;
inline constexpr int32_t& text_x = display.text_x;
inline constexpr int32_t& text_y = display.text_y;
inline constexpr StatusLine& top_status = display.top_status;
inline constexpr StatusLine& bottom_status = display.bottom_status;
inline constexpr int32_t& message_timer = display.message_timer;
inline constexpr auto& notice_listener = display.notice_listener;
