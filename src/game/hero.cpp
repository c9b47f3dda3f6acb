// The hero's tick: moves, falls, digging, collecting, leaving and being caught.
#include "core/flags.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/movie.h"
#include "sound/sound.h"
#include "picture/artwork.h"

namespace {

uint8_t cell_code(int x, int y) { return play_grid[size_t(cell_at(x, y))]; }

void collect(int r)
{
    GameState& g = game_state;
    play_sound(SOUND_POP);
    if (play_grid[size_t(r)] == TILE_OBJECT) {
        play_grid[size_t(r)] = TILE_EMPTY;
        if (r == g.flashing_cell) {
            g.score += 8000;
            g.flash_status = 1;
            show_bonus_icon(ICON_FLASHING, tile_square(TILE_FLASHING_OBJECT, cell_variant[size_t(r)]));
            show_message("+8000 Flashing ", 120);
        } else {
            g.score += 250;
        }
        g.top_line_stale++;
        redraw_grid_cell(r);
        object_collected();
        // Whatever object comes first ends the flashing.
        if (g.flashing_cell != NO_CELL) {
            release_sprite(g.flash_sprite);
            g.flashing_cell = NO_CELL;
        }
    } else {
        play_grid[size_t(r)] = TILE_EMPTY;
        g.score += 10000;
        g.hidden_status = 1;
        show_bonus_icon(ICON_HIDDEN, SQUARE_HIDDEN_BONUS);
        show_message("+10000 Hidden  ", 120);
        g.top_line_stale++;
        redraw_grid_cell(r);
    }
}

// While he digs he stands still, pulled onto the cell lines; true while the
// dig goes on (24 ticks), which takes the tick's input.
bool digging_goes_on(Actor& h, int dy)
{
    if (!(h.flags & ACTOR_DIGGING))
        return false;
    h.x += x_align[size_t(h.x)];
    h.y += dy;
    if (++h.counter == 24) {
        h.flags &= ~ACTOR_DIGGING;
        return false;
    }
    return true;
}

// Whether something holds him up: ground below, a ladder, a rope he does not
// let go of, an enemy's head, or the short grace walk off one.
bool held_up(Actor& h, int p, int dy, int input)
{
    bool grace = false;
    if (h.flags & ACTOR_GRACE) {
        int n = h.counter++;
        grace = n < 6 && input == h.grace_dir;
    }
    if (in_class(cell_code(h.x, h.y + 12), CLASS_SUPPORT))
        return true;
    if (cell_code(h.x, h.y) == TILE_LADDER)
        return true;
    if (play_grid[size_t(p)] == TILE_ROPE && dy == 0 && input != INPUT_DOWN)
        return true;
    if (standing_on_enemy(input))
        return true;
    return grace;
}

// A brick below-left or below-right with open space above it becomes a hole.
bool try_dig(Actor& h, int input)
{
    const int c = cell_at(h.x, h.y) + (input == INPUT_DIG_LEFT ? -1 : 1);
    const uint8_t beside = play_grid[size_t(c)];
    if (play_grid[size_t(c + GRID_COLUMNS)] != TILE_BRICK || (beside != TILE_EMPTY && beside != TILE_OPEN_HOLE) ||
        (h.flags & ACTOR_FALLING) || (occupancy[size_t(c)] & OCCUPANCY_ENEMIES))
        return false;
    start_hole(c + GRID_COLUMNS);
    h.flags |= ACTOR_DIGGING;
    h.counter = 0;
    h.state = uint8_t(input);
    h.anim = 0;
    return true;
}

// One step of the input (a fall without one); input becomes INPUT_NONE when
// the way is shut. False when he climbed out of the level.
bool move_hero(Actor& h, int& input, int dy)
{
    bool done = true;
    switch (input) {
    case INPUT_NONE:
        if (h.flags & ACTOR_FALLING) {
            h.y += 2;
            h.x += x_align[size_t(h.x)];
        }
        break;
    case INPUT_UP:
        if (game_state.objects_left == 0 && h.y == FIELD_Y && cell_code(h.x, h.y) == TILE_LADDER) {
            game_state.exit_count++;
            return false;
        }
        done = in_class(cell_code(h.x, h.y - 14), CLASS_PASSABLE) &&
               (cell_code(h.x, h.y) == TILE_LADDER || cell_code(h.x, h.y + 10) == TILE_LADDER);
        if (done) {
            h.y -= 2;
            h.x += x_align[size_t(h.x)];
        }
        break;
    case INPUT_DOWN: {
        const uint8_t below = cell_code(h.x, h.y + 12);
        done = in_class(below, CLASS_PASSABLE) || below == TILE_FALSE_BRICK;
        if (done) {
            h.y += 2;
            h.x += x_align[size_t(h.x)];
        }
        break;
    }
    case INPUT_LEFT:
    case INPUT_RIGHT: {
        const bool left = input == INPUT_LEFT;
        if ((h.flags & ACTOR_GRACE) && h.counter == 0)
            h.grace_dir = input;
        done = in_class(cell_code(left ? h.x - 14 : h.x + 12, h.y), CLASS_PASSABLE);
        if (done) {
            h.x += left ? -2 : 2;
            h.y += dy;
        }
        break;
    }
    case INPUT_DIG_LEFT:
    case INPUT_DIG_RIGHT:
        done = try_dig(h, input);
        break;
    default:
        break;   // a damaged movie's input moves nothing
    }
    if (!done)
        input = INPUT_NONE;
    return true;
}

// What the cell he ended in does: a refilled brick or an enemy kills him,
// an object is taken; the occupancy map follows him.
void meet_cell(Actor& h, int p)
{
    GameState& g = game_state;
    const int r = cell_at(h.x, h.y);
    const uint8_t there = play_grid[size_t(r)];
    if (there == TILE_BRICK)
        g.death_count++;   // a hole refilled around him
    if ((there == TILE_OBJECT || there == TILE_HIDDEN_BONUS) && x_align[size_t(h.x)] == 0 &&
        y_align[size_t(h.y)] == 0)
        collect(r);
    if (r != p) {
        occupancy[size_t(p)] &= ~OCCUPANCY_HERO;
        occupancy[size_t(r)] |= OCCUPANCY_HERO;
        planner.masks_valid = false;
    }
    if (occupancy[size_t(r)] & OCCUPANCY_ENEMIES)
        g.death_count++;   // caught
}

void advance_hero_pose(Actor& h, int input)
{
    if ((h.flags & ACTOR_DIGGING) && (h.state == INPUT_DIG_LEFT || h.state == INPUT_DIG_RIGHT)) {
        if (++h.anim == 12) {
            h.state -= 2;   // he faces the way he digs for the rest of it
            h.anim = 0;
        }
    } else {
        h.anim = input != INPUT_NONE ? uint8_t((h.anim + 1) % 24) : 0;
        if (input != INPUT_NONE && input <= INPUT_DIG_RIGHT)
            h.state = uint8_t(input);
    }
}

} // namespace

void hero_tick(int input)
{
    Actor& h = actors[0];
    if (h.flags & ACTOR_FALLING)
        h.flags |= ACTOR_WAS_FALLING;
    else
        h.flags &= ~ACTOR_WAS_FALLING;
    if (recording)
        record_input(input);   // as it came in, every tick
    const int p = cell_at(h.x, h.y);
    const int dy = y_align[size_t(h.y)];

    if (digging_goes_on(h, dy)) {
        input = INPUT_NONE;
    } else {
        if (held_up(h, p, dy, input)) {
            h.flags &= ~ACTOR_FALLING;
        } else {
            h.flags |= ACTOR_FALLING;
            input = INPUT_NONE;
        }
        if (!move_hero(h, input, dy))
            return;
    }
    meet_cell(h, p);
    advance_hero_pose(h, input);

    if ((h.flags & ACTOR_FALLING) && !(h.flags & ACTOR_WAS_FALLING))
        play_sound(SOUND_FALL);
    if (!(h.flags & ACTOR_FALLING) && (h.flags & ACTOR_WAS_FALLING))
        stop_sound(SOUND_FALL);
}

bool standing_on_enemy(int input)
{
    Actor& h = actors[0];
    for (int i = 1; i <= game_state.enemy_count; i++) {
        const Actor& e = actors[size_t(i)];
        int dy = e.y - h.y;
        int dx = e.x > h.x ? e.x - h.x : h.x - e.x;
        if (dy >= 16 && dy <= 28 && dx < 18) {
            if (y_align[size_t(h.y)] == 0 && (input == INPUT_LEFT || input == INPUT_RIGHT)) {
                h.counter = 0;
                h.flags |= ACTOR_GRACE;
                return true;
            }
            if (dy <= 24)
                return true;
        }
    }
    int m = occupancy[size_t(cell_at(h.x, h.y) + 28)] & OCCUPANCY_ENEMIES;
    if (m) {
        for (int i = 1; i <= game_state.enemy_count; i++)
            if (actors[size_t(i)].actor_bit & m)
                return actors[size_t(i)].y == h.y + 24;
    }
    return false;
}

void draw_grid_image(int cell, int picture)
{
    add_dirty_cell(cell_x(cell), cell_y(cell));
    draw_cell(cell_x(cell), cell_y(cell), picture);
}

void redraw_grid_cell(int i)
{
    const int t = play_grid[size_t(i)];
    if (t == TILE_BORDER)
        return;
    const int v = cell_variant[size_t(i)];
    draw_grid_image(i, tile_square(TILE_EMPTY, v));
    if (int s = shadow_bits(play_grid, i))
        draw_cell(cell_x(i), cell_y(i), SHADOW_BASE + s);
    if (t != 0)
        draw_cell(cell_x(i), cell_y(i), t == TILE_HIDDEN_BONUS ? SQUARE_HIDDEN_BONUS : tile_square(t, v));
}
