// The hero's tick: moves, falls, digging, collecting, leaving and being caught.
#include "game/game.h"
#include "level/movie.h"

namespace {

uint8_t cell_code(const LevelState& s, int x, int y) { return s.grid[size_t(cell_at(x, y))]; }

void collect(LevelState& s, int r, TickEvents& ev)
{
    GameState& g = s.game;
    ev.add(EVENT_SOUND_START, GAME_SOUND_POP);
    if (s.grid[size_t(r)] == TILE_OBJECT) {
        s.grid[size_t(r)] = TILE_EMPTY;
        if (r == g.flashing_cell) {
            g.score += 8000;
            g.flash_status = 1;
            ev.add(EVENT_BONUS_ICON, ICON_FLASHING, r);
            ev.add(EVENT_MESSAGE, 0, 0, "+8000 Flashing ");
        } else {
            g.score += 250;
        }
        ev.score_changed = true;
        redraw_cell(s, r, ev);
        object_collected(s, ev);
        // Whatever object comes first ends the flashing.
        if (g.flashing_cell != NO_CELL) {
            ev.add(EVENT_FIGURE_GONE, FIGURE_FLASH);
            g.flashing_cell = NO_CELL;
        }
    } else {
        s.grid[size_t(r)] = TILE_EMPTY;
        g.score += 10000;
        g.hidden_status = 1;
        ev.add(EVENT_BONUS_ICON, ICON_HIDDEN, r);
        ev.add(EVENT_MESSAGE, 0, 0, "+10000 Hidden  ");
        ev.score_changed = true;
        redraw_cell(s, r, ev);
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
bool held_up(LevelState& s, Actor& h, int p, int dy, int input)
{
    bool grace = false;
    if (h.flags & ACTOR_GRACE) {
        int n = h.counter++;
        grace = n < 6 && input == h.grace_dir;
    }
    if (in_class(cell_code(s, h.x, h.y + 12), CLASS_SUPPORT))
        return true;
    if (cell_code(s, h.x, h.y) == TILE_LADDER)
        return true;
    if (s.grid[size_t(p)] == TILE_ROPE && dy == 0 && input != INPUT_DOWN)
        return true;
    if (standing_on_enemy(s, input))
        return true;
    return grace;
}

// A brick below-left or below-right with open space above it becomes a hole.
bool try_dig(LevelState& s, Actor& h, int input, TickEvents& ev)
{
    const int c = cell_at(h.x, h.y) + (input == INPUT_DIG_LEFT ? -1 : 1);
    const uint8_t beside = s.grid[size_t(c)];
    if (s.grid[size_t(c + GRID_COLUMNS)] != TILE_BRICK || (beside != TILE_EMPTY && beside != TILE_OPEN_HOLE) ||
        (h.flags & ACTOR_FALLING) || (s.occupancy[size_t(c)] & OCCUPANCY_ENEMIES))
        return false;
    start_hole(s, c + GRID_COLUMNS, ev);
    h.flags |= ACTOR_DIGGING;
    h.counter = 0;
    h.state = uint8_t(input);
    h.anim = 0;
    return true;
}

// One step of the input (a fall without one); input becomes INPUT_NONE when
// the way is shut. False when he climbed out of the level.
bool move_hero(LevelState& s, Actor& h, int& input, int dy, TickEvents& ev)
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
        if (s.game.objects_left == 0 && h.y == cell_y(field_cell(0, 0)) && cell_code(s, h.x, h.y) == TILE_LADDER) {
            s.game.exit_count++;
            return false;
        }
        done = in_class(cell_code(s, h.x, h.y - 14), CLASS_PASSABLE) &&
               (cell_code(s, h.x, h.y) == TILE_LADDER || cell_code(s, h.x, h.y + 10) == TILE_LADDER);
        if (done) {
            h.y -= 2;
            h.x += x_align[size_t(h.x)];
        }
        break;
    case INPUT_DOWN: {
        const uint8_t below = cell_code(s, h.x, h.y + 12);
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
        done = in_class(cell_code(s, left ? h.x - 14 : h.x + 12, h.y), CLASS_PASSABLE);
        if (done) {
            h.x += left ? -2 : 2;
            h.y += dy;
        }
        break;
    }
    case INPUT_DIG_LEFT:
    case INPUT_DIG_RIGHT:
        done = try_dig(s, h, input, ev);
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
void meet_cell(LevelState& s, Actor& h, int p, TickEvents& ev)
{
    GameState& g = s.game;
    const int r = cell_at(h.x, h.y);
    const uint8_t there = s.grid[size_t(r)];
    if (there == TILE_BRICK)
        g.death_count++;   // a hole refilled around him
    if ((there == TILE_OBJECT || there == TILE_HIDDEN_BONUS) && x_align[size_t(h.x)] == 0 &&
        y_align[size_t(h.y)] == 0)
        collect(s, r, ev);
    if (r != p) {
        s.occupancy[size_t(p)] &= ~OCCUPANCY_HERO;
        s.occupancy[size_t(r)] |= OCCUPANCY_HERO;
        s.planner.masks_valid = false;
    }
    if (s.occupancy[size_t(r)] & OCCUPANCY_ENEMIES)
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

void hero_tick(LevelState& s, int input, TickEvents& ev)
{
    Actor& h = s.actors[0];
    if (h.flags & ACTOR_FALLING)
        h.flags |= ACTOR_WAS_FALLING;
    else
        h.flags &= ~ACTOR_WAS_FALLING;
    const int p = cell_at(h.x, h.y);
    const int dy = y_align[size_t(h.y)];

    if (digging_goes_on(h, dy)) {
        input = INPUT_NONE;
    } else {
        if (held_up(s, h, p, dy, input)) {
            h.flags &= ~ACTOR_FALLING;
        } else {
            h.flags |= ACTOR_FALLING;
            input = INPUT_NONE;
        }
        if (!move_hero(s, h, input, dy, ev))
            return;
    }
    meet_cell(s, h, p, ev);
    advance_hero_pose(h, input);

    if ((h.flags & ACTOR_FALLING) && !(h.flags & ACTOR_WAS_FALLING))
        ev.add(EVENT_SOUND_START, GAME_SOUND_FALL);
    if (!(h.flags & ACTOR_FALLING) && (h.flags & ACTOR_WAS_FALLING))
        ev.add(EVENT_SOUND_STOP, GAME_SOUND_FALL);
}

bool standing_on_enemy(LevelState& s, int input)
{
    Actor& h = s.actors[0];
    for (int i = 1; i <= s.game.enemy_count; i++) {
        const Actor& e = s.actors[size_t(i)];
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
    int m = s.occupancy[size_t(cell_at(h.x, h.y) + 28)] & OCCUPANCY_ENEMIES;
    if (m) {
        for (int i = 1; i <= s.game.enemy_count; i++)
            if (s.actors[size_t(i)].actor_bit & m)
                return s.actors[size_t(i)].y == h.y + 24;
    }
    return false;
}

