// The screen on SDL's window surface: the only display file that calls SDL.
#include "display/screen.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

bool lock_surface(SDL_Surface* surface)
{
    if (SDL_LockSurface(surface) == 0)
        return true;
    fprintf(stderr, "Couldn't lock display surface: %s\n", SDL_GetError());
    return false;
}

void unlock_surface(SDL_Surface* surface) { SDL_UnlockSurface(surface); }

void update_surface(SDL_Surface* surface, int x, int y, int w, int h) { SDL_UpdateRect(surface, x, y, w, h); }

void set_surface_colours(SDL_Surface* surface, const uint8_t* palette)
{
    SDL_Color colours[256];
    for (int i = 0; i < 256; i++) {
        colours[i].r = palette[3 * i];
        colours[i].g = palette[3 * i + 1];
        colours[i].b = palette[3 * i + 2];
        colours[i].unused = 0;
    }
    SDL_SetColors(surface, colours, 0, 256);
}

void toggle_surface_fullscreen(SDL_Surface* surface) { SDL_WM_ToggleFullScreen(surface); }

void show_sdl_pointer(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

} // namespace

void attach_screen_surface(SDL_Surface* surface)
{
    display_state.surface = surface;
    display_state.window = WindowCalls{lock_surface,        unlock_surface,            update_surface,
                                       set_surface_colours, toggle_surface_fullscreen, show_sdl_pointer};
    display_state.pixels = static_cast<uint8_t*>(surface->pixels);
    display_state.pitch = surface->pitch;
    display_state.must_lock = SDL_MUSTLOCK(surface);
    display_state.locked = false;
}
