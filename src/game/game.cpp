#include "game/game.h"

#include <SDL/SDL.h>

#include "core/frame.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/modes.h"
#include "level/archive.h"
#include "level/grid.h"

// Enter the demonstration at current_level, falling back to the built-in
// level when the level does not exist.
void start_demo()
{
    mode_handler = demo_handler;
    game_active = true;
    recording = false;
    if (!unpack_level(current_level))
        current_level = 0;
    // Only levels with a movie are demonstrated.
    uint8_t probe[20];
    if (current_level != 0 && read_record(2 * current_level - 1, probe, sizeof probe) <= 0)
        current_level = 0;
    unpack_level(current_level);
    restore_sprite_backgrounds();
    clear_status_lines();
    clear_screen();
    draw_play_field();
    refresh_status_lines();
    save_sprite_backgrounds();
    draw_sprites();
    update_whole_screen();
    SDL_ShowCursor(0);
}

// The game rules arrive with their own work; until then a level stands still.
void game_tick() {}
void update_holes() {}
void update_clock()
{
    if (game_active)
        expire_message();
}
bool top_line_stale() { return false; }
void format_top_line() {}
void update_sprite_poses() {}
