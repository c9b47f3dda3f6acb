// The running level on the screen: its figures in sprite slots, the cells,
// icons, messages and sounds a tick reports, the top line.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "picture/artwork.h"
#include "sound/sound.h"
#include "view/view.h"

namespace {

// The sprite slot of each figure, -1 for none.

void place_sprite(int slot, int x, int y, int cell)
{
    if (slot < 0 || slot >= SPRITE_COUNT)
        return;
    SpriteSlot& s = sprite_slots[size_t(slot)];
    s.x = x;
    s.y = y;
    s.cell = cell;
}

void new_figure(Session& session, int figure) { session.figure_slot[size_t(figure)] = alloc_sprite(); }

void figure_gone(Session& session, int figure)
{
    release_sprite(session.figure_slot[size_t(figure)]);
    session.figure_slot[size_t(figure)] = -1;
}

void draw_grid_image(int cell, int picture)
{
    add_dirty_cell(cell_x(cell), cell_y(cell));
    draw_cell(cell_x(cell), cell_y(cell), picture);
}

// A cell as the grid held it: the background, the shadow, the tile.
void draw_grid_cell(int i, int t, int shadow)
{
    const int v = cell_variant[size_t(i)];
    draw_grid_image(i, tile_square(TILE_EMPTY, v));
    if (shadow)
        draw_cell(cell_x(i), cell_y(i), SHADOW_BASE + shadow);
    if (t != 0)
        draw_cell(cell_x(i), cell_y(i), t == TILE_HIDDEN_BONUS ? SQUARE_HIDDEN_BONUS : tile_square(t, v));
}

void show_bonus_icon(int slot, int picture)
{
    draw_cell(bonus_icon_x(slot), BONUS_ICON_Y, picture);
    update_rect(bonus_icon_x(slot), BONUS_ICON_Y, CELL_SIZE, CELL_SIZE);
}

void show_icon_event(const TickEvent& e)
{
    switch (e.value) {
    case ICON_FLASHING:
        show_bonus_icon(ICON_FLASHING, tile_square(TILE_FLASHING_OBJECT, cell_variant[size_t(e.cell)]));
        break;
    case ICON_HIDDEN:
        show_bonus_icon(ICON_HIDDEN, SQUARE_HIDDEN_BONUS);
        break;
    case ICON_SAFE:
        show_bonus_icon(ICON_SAFE, tile_square(TILE_LADDER, 0));
        break;
    default:
        // A penalty icon replaces the other one.
        clear_cell(bonus_icon_x(ICON_PENALTY), BONUS_ICON_Y);
        show_bonus_icon(ICON_PENALTY, e.cell == PENALTY_TRAPPED ? SQUARE_TRAP_PENALTY : SQUARE_CRUSH_PENALTY);
        break;
    }
}

constexpr std::array<int, 3> SOUND_OF = {SOUND_FALL, SOUND_DIG, SOUND_POP};

} // namespace

void redraw_grid_cell(const PlayGrid& grid, int cell)
{
    const int t = grid[size_t(cell)];
    if (t != TILE_BORDER)
        draw_grid_cell(cell, t, shadow_bits(grid, cell));
}

void show_tick_events(Session& session, const TickEvents& events)
{
    if (events.score_changed)
        session.top_line_outdated = true;
    for (int i = 0; i < events.count; i++) {
        const TickEvent& e = events.list[size_t(i)];
        switch (e.kind) {
        case EVENT_SOUND_START:
            play_sound(SOUND_OF[e.value]);
            break;
        case EVENT_SOUND_STOP:
            stop_sound(SOUND_OF[e.value]);
            break;
        case EVENT_MESSAGE:
            show_message(e.text, 120);
            break;
        case EVENT_CELL:
            draw_grid_cell(e.cell, e.value, e.shadow);
            break;
        case EVENT_CELL_PICTURE:
            draw_grid_image(e.cell, e.value == TILE_OPEN_HOLE
                                        ? SQUARE_OPEN_HOLE
                                        : tile_square(e.value, cell_variant[size_t(e.cell)]));
            break;
        case EVENT_FIGURE_NEW:
            new_figure(session, e.value);
            break;
        case EVENT_FIGURE_GONE:
            figure_gone(session, e.value);
            break;
        case EVENT_BONUS_ICON:
            show_icon_event(e);
            break;
        case EVENT_CLOCK:
            expire_message();
            break;
        }
    }
}

// The figures of a level just begun, in the order they take their slots:
// the enemies, the hero, the flashing object.
void take_level_figures(Session& session)
{
    const LevelState& s = session.running;
    session.figure_slot.fill(-1);
    for (int i = 1; i <= s.game.enemy_count; i++)
        new_figure(session, i);
    new_figure(session, 0);
    if (s.game.flashing_cell != NO_CELL)
        new_figure(session, FIGURE_FLASH);
    session.flash_counter = 0;
    session.top_line_outdated = true;
}

void release_game_sprites(Session& session)
{
    restore_sprite_backgrounds();
    for (int figure = 0; figure < FIGURE_COUNT; figure++)
        if (session.figure_slot[size_t(figure)] >= 0)
            figure_gone(session, figure);
}

void update_sprite_poses(Session& session)
{
    if (!session.game_active)
        return;
    const LevelState& s = session.running;
    const GameState& g = s.game;
    const Actor& hero = s.actors[0];
    place_sprite(session.figure_slot[0], hero.x, hero.y, actor_pose(s, hero) + HERO_SET_BASE);
    for (int i = 1; i <= g.enemy_count; i++) {
        const Actor& e = s.actors[size_t(i)];
        place_sprite(session.figure_slot[size_t(i)], e.x, e.y,
                     actor_pose(s, e) + ((e.flags & ACTOR_HIDDEN) ? HIDDEN_SET_BASE : ENEMY_SET_BASE));
    }
    for (size_t slot = 0; slot < s.holes.size(); slot++) {
        const HoleSlot& h = s.holes[slot];
        const int sprite = session.figure_slot[FIGURE_HOLE_BASE + slot];
        if (h.timer == 0 || sprite < 0)
            continue;
        if (h.timer >= 1 && h.timer <= 24)
            place_sprite(sprite, h.x, h.y, HOLE_STAGE_BASE + 1 + (h.timer - 1) / 4);
        else if (h.timer >= 336)
            place_sprite(sprite, h.x, h.y, HOLE_STAGE_BASE + (359 - h.timer) / 4);
    }
    if (g.flashing_cell != NO_CELL) {
        int picture = session.flash_counter < 8 ? SPARKLE_BASE + session.flash_counter / 2
                      : session.flash_counter < 16 ? HOLE_STAGE_BASE + 1 - session.flash_counter / 2
                                           : HOLE_STAGE_BASE;
        place_sprite(session.figure_slot[FIGURE_FLASH], cell_x(g.flashing_cell), cell_y(g.flashing_cell), picture);
        session.flash_counter = (session.flash_counter + 1) % 64;
    }
}

int actor_pose(const LevelState& s, const Actor& a)
{
    int f = a.anim / 2;
    int c = s.grid[size_t(cell_at(a.x, a.y))];
    switch (a.state) {
    case 0:
        return c == TILE_LADDER ? 72 + f : 12 + f;
    case 1:
        return 72 + f;
    case 2:
        return (a.flags & ACTOR_FALLING) ? 60 + f : 72 + f;
    case 3:
        return c == TILE_ROPE ? 36 + f : 12 + f;
    case 4:
        return c == TILE_ROPE ? 48 + f : 24 + f;
    case 5:
        return 84 + f;
    case 6:
        return 90 + f;
    default:
        return f;
    }
}

bool top_line_stale(const Session& session) { return session.top_line_outdated; }

void mark_top_line_stale(Session& session) { session.top_line_outdated = true; }

void format_top_line(Session& session)
{
    const GameState& g = session.running.game;
    // Bounded by the line's buffer: six-digit scores or five-digit times are
    // cut at its end instead of running past it.
    char text[160];
    const BestPlay& best = session.best;
    snprintf(text, sizeof text, "LEVEL %04d %-18s SCORE-TIME %05d-%04d  BEST %05d-%04d.%02d ", session.level,
             best.name, g.score, g.seconds, best.score, best.seconds, best.ticks % 60);
    const size_t length = std::min(strlen(text), top_status.wanted.size() - 1);
    memcpy(top_status.wanted.data(), text, length);
    top_status.wanted[length] = 0;
    session.top_line_outdated = false;
}

void draw_field_and_player_line(const Session& session)
{
    draw_play_field(session.running.grid);
    if (!session.game_active)
        return;
    char text[40];
    if (session.recording)
        snprintf(text, sizeof text, "PLAYER:%s", player_name);
    else
        snprintf(text, sizeof text, "PRESS SPACE FOR MENU");
    text_y = 444;
    print_centred("                          ");
    text_y = 444;
    print_centred(text);
}

void clear_bonus_icons()
{
    for (int slot = ICON_FLASHING; slot <= ICON_PENALTY; slot++)
        clear_cell(bonus_icon_x(slot), BONUS_ICON_Y);
}

namespace {

// The running level's field, status lines and sprites, drawn.
void draw_level_and_sprites(Session& session)
{
    draw_field_and_player_line(session);
    format_top_line(session);
    if (session.game_active)
        refresh_status_lines();
    update_sprite_poses(session);
    save_sprite_backgrounds();
    draw_sprites();
}

} // namespace

void show_level(Session& session)
{
    draw_level_and_sprites(session);
    update_whole_screen();
    show_pointer(false);
}

void draw_running_level(Session& session)
{
    clear_screen();
    draw_level_and_sprites(session);
}
