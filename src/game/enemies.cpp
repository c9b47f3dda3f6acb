// The enemies' turns: the schedule, falling, walking and climbing, holes and
// traps, carrying objects, and coming back after being crushed.
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "picture/artwork.h"

namespace {

// Bit i of the byte lets enemy i + 1 act; three groups of eight, stepped by
// -8 modulo 24 every tick, so each enemy acts in two ticks of every three.
constexpr std::array<uint8_t, 24> ENEMY_SCHEDULE = {
    0x00, 0x01, 0x03, 0x03, 0x07, 0x0f, 0x00, 0x00,
    0x01, 0x02, 0x06, 0x0d, 0x19, 0x33, 0x00, 0x00,
    0x01, 0x03, 0x05, 0x0e, 0x1e, 0x3c, 0x00, 0x00,
};

uint8_t cell_code(int x, int y) { return play_grid[size_t(cell_at(x, y))]; }

void lose_load(Actor& e)
{
    e.flags &= ~ACTOR_CARRYING;
    if (!(e.flags & ACTOR_HIDDEN))
        object_collected();
}

void trap(Actor& e, int c0)
{
    e.flags |= ACTOR_TRAPPED;
    if (!(e.flags & ACTOR_HIDDEN))
        charge_penalty(PENALTY_TRAPPED, "-10000 Trapping", SQUARE_TRAP_PENALTY);
    e.counter = 0;
    play_grid[size_t(c0)] = TILE_SOLID;   // the enemy plugs the hole
    e.trap_cell = c0;
    close_hole_column_bit(c0);
    if (e.flags & ACTOR_CARRYING) {
        const int above = c0 - 28;
        if (play_grid[size_t(above)] == TILE_EMPTY) {
            e.flags &= ~ACTOR_CARRYING;
            play_grid[size_t(above)] = (e.flags & ACTOR_HIDDEN) ? TILE_HIDDEN_BONUS : TILE_OBJECT;
            redraw_grid_cell(above);
        } else {
            lose_load(e);
        }
    }
}

// The first empty cell of the top field row from column k on, wrapping;
// -1 when the row holds none.
int come_back_cell(int k)
{
    for (int n = 0; n < FIELD_COLUMNS; n++) {
        int i = field_cell((k + n) % FIELD_COLUMNS, 0);
        if (play_grid[size_t(i)] == TILE_EMPTY)
            return i;
    }
    return -1;
}

void remove_hidden_enemy(int index, int c0)
{
    GameState& g = game_state;
    Actor& e = actors[size_t(index)];
    g.schedule_index--;
    if (g.schedule_index < 0)
        g.schedule_index += 24;
    g.enemy_count--;
    occupancy[size_t(c0)] &= ~e.actor_bit;
    if (play_grid[size_t(c0 - 28)] == TILE_HIDDEN_BONUS) {
        play_grid[size_t(c0 - 28)] = TILE_EMPTY;
        redraw_grid_cell(c0 - 28);
    }
    release_sprite(e.sprite);
}

// What the first steps of a turn leave to do: whether the enemy is dead,
// falls or moves, only ends its turn, or left the level.
enum class Step { Dead, Falling, Move, After, Removed };

// A trapped enemy waits in its hole, climbs out (up, when the cell above is
// free) and then moves freely while still flagged, until it is set free.
Step trapped_step(Actor& e, bool hidden, int want, int& dir)
{
    if (!(e.flags & ACTOR_TRAPPED))
        return Step::Dead;
    if (!hidden || (e.flags & ACTOR_CARRYING))
        e.counter++;
    const int t = e.counter;
    if (t < 111)
        return Step::After;
    if (t == 130) {
        e.flags &= ~ACTOR_TRAPPED;
        if (play_grid[size_t(e.trap_cell)] == TILE_SOLID) {
            play_grid[size_t(e.trap_cell)] = TILE_OPEN_HOLE;
            open_hole_column_bit(e.trap_cell);
        }
        return Step::Dead;
    }
    if (t < 123) {
        const int a = e.trap_cell - GRID_COLUMNS;
        const bool blocked = play_grid[size_t(a)] == TILE_BRICK ||
                             (occupancy[size_t(a)] & OCCUPANCY_ENEMIES & ~e.actor_bit) ||
                             (plan_move(cell_x(a), cell_y(a)) == 0 && !(occupancy[size_t(a)] & OCCUPANCY_HERO));
        if (blocked)
            e.counter--;   // the same turn comes again
        dir = blocked ? 0 : 1;
        return Step::Move;
    }
    dir = want;   // 123..129: free to move, still flagged as trapped
    return Step::Move;
}

// A dead enemy comes back in the top row (a hidden one leaves the level),
// stays there 20 turns and then falls in.
Step dead_step(int index, bool hidden, int c0, int& dir)
{
    Actor& e = actors[size_t(index)];
    if (!(e.flags & ACTOR_DEAD))
        return Step::Falling;
    dir = 0;
    if (e.counter == 0) {
        if (hidden) {
            remove_hidden_enemy(index, c0);
            return Step::Removed;
        }
        if (e.flags & ACTOR_CARRYING)
            lose_load(e);
        const int back = come_back_cell(game_state.cycle_counter);
        if (back < 0)
            return Step::After;   // no room at the top yet: try again next turn
        e.x = cell_x(back);
        e.y = cell_y(back);
    }
    if (e.counter++ == 20) {
        e.flags &= ~ACTOR_DEAD;
        return Step::Falling;
    }
    return Step::Move;
}

// The planner's direction when something holds the enemy, else a fall.
int fall_or_plan(Actor& e, int c0, int want)
{
    const bool holds = in_class(cell_code(e.x, e.y + 12), CLASS_SUPPORT) ||
                       play_grid[size_t(c0)] == TILE_LADDER ||
                       (cell_code(e.x, e.y + 11) == TILE_ROPE && y_align[size_t(e.y)] == 0);
    if (holds)
        return want;
    e.flags |= ACTOR_FALLING;
    return 0;
}

// One 2-pixel step in dir (down also when falling); dir becomes 0 when the
// way is shut. True when the enemy moved.
bool step_enemy(Actor& e, int& dir, int c0)
{
    if (dir == 2 || (dir == 0 && (e.flags & ACTOR_FALLING))) {
        e.x += x_align[size_t(e.x)];
        e.y += 2;
        if (play_grid[size_t(c0)] == TILE_OPEN_HOLE && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0)
            trap(e, c0);
        return true;
    }
    if (dir == 1) {
        if (!in_class(cell_code(e.x, e.y - 14), CLASS_PASSABLE)) {
            dir = 0;
            return false;
        }
        e.x += x_align[size_t(e.x)];
        e.y -= 2;
        return true;
    }
    if (dir == 3 || dir == 4) {
        const int ahead = cell_at(dir == 3 ? e.x - 12 : e.x + 12, e.y);
        const int others = ((occupancy[size_t(c0)] & (e.actor_bit - 1)) |
                            (occupancy[size_t(ahead)] & ~occupancy[size_t(c0)])) &
                           OCCUPANCY_ENEMIES & ~e.actor_bit;
        if (others) {
            dir = 0;
            return false;
        }
        e.x += dir == 3 ? -2 : 2;
        if (!(e.flags & ACTOR_TRAPPED))
            e.y += y_align[size_t(e.y)];
        return true;
    }
    return false;
}

// On a cell line an enemy that carries an object may drop it on firm ground;
// one that carries none takes an object it stands on (not the flashing one).
void carry_objects(Actor& e, int c1)
{
    if (e.flags & ACTOR_CARRYING) {
        if (e.drop_delay != 0)
            e.drop_delay--;
        const int under = play_grid[size_t(c1 + GRID_COLUMNS)];
        if (play_grid[size_t(c1)] == TILE_EMPTY && e.drop_delay == 0 &&
            (under == TILE_BRICK || under == TILE_OPEN_HOLE || under == TILE_LADDER || under == TILE_SOLID ||
             under == TILE_BORDER)) {
            e.flags &= ~ACTOR_CARRYING;
            play_grid[size_t(c1)] = TILE_OBJECT;
            redraw_grid_cell(c1);
        }
    } else if (play_grid[size_t(c1)] == TILE_OBJECT && c1 != game_state.flashing_cell) {
        play_grid[size_t(c1)] = TILE_EMPTY;
        redraw_grid_cell(c1);
        e.flags |= ACTOR_CARRYING;
        e.drop_delay = game_state.cycle_counter;
    }
}

// The pose, the occupancy map, objects taken or dropped, the animation.
void end_turn(Actor& e, bool hidden, int dir, bool moved, int c0)
{
    if (dir != 0)
        e.state = uint8_t(dir);
    const int c1 = cell_at(e.x, e.y);
    if (c1 != c0) {
        occupancy[size_t(c0)] &= ~e.actor_bit;
        occupancy[size_t(c1)] |= e.actor_bit;
        if (play_grid[size_t(c0)] == TILE_OPEN_HOLE && c1 == c0 + GRID_COLUMNS && (e.flags & ACTOR_CARRYING))
            lose_load(e);   // it fell through an open hole without being caught
    }
    if (moved && !hidden && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0)
        carry_objects(e, c1);
    e.anim = dir != 0 ? uint8_t((e.anim + 1) % 24) : 0;
}

void enemy_turn(int index)
{
    Actor& e = actors[size_t(index)];
    const bool hidden = e.flags & ACTOR_HIDDEN;
    int dir = 0;
    const int c0 = cell_at(e.x, e.y);
    const int want = plan_move(e.x, e.y);
    e.flags &= ~ACTOR_FALLING;

    Step step = trapped_step(e, hidden, want, dir);
    if (step == Step::Dead)
        step = dead_step(index, hidden, c0, dir);
    if (step == Step::Removed)
        return;
    if (step == Step::Falling) {
        dir = fall_or_plan(e, c0, want);
        step = Step::Move;
    }
    const bool moved = step == Step::Move && step_enemy(e, dir, c0);
    end_turn(e, hidden, dir, moved, c0);
}

} // namespace

void enemies_tick()
{
    GameState& g = game_state;
    if (!planner.masks_valid)
        build_hero_masks();
    if (g.enemy_count == 0)
        return;
    const uint8_t bits = ENEMY_SCHEDULE[size_t(g.schedule_index)];
    g.schedule_index -= 8;
    if (g.schedule_index < 0)
        g.schedule_index += 24;
    for (int e = 1; e <= g.enemy_count; e++)
        if (bits & (1 << (e - 1)))
            enemy_turn(e);
}
