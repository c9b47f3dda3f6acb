// The enemies' turns: the schedule, falling, walking and climbing, holes and
// traps, carrying objects, and coming back after being crushed.
#include "game/game.h"

namespace {

// Bit i of the byte lets enemy i + 1 act; three groups of eight, stepped by
// -8 modulo 24 every tick, so each enemy acts in two ticks of every three.
constexpr std::array<uint8_t, 24> ENEMY_SCHEDULE = {
    0x00, 0x01, 0x03, 0x03, 0x07, 0x0f, 0x00, 0x00,
    0x01, 0x02, 0x06, 0x0d, 0x19, 0x33, 0x00, 0x00,
    0x01, 0x03, 0x05, 0x0e, 0x1e, 0x3c, 0x00, 0x00,
};

uint8_t cell_code(const LevelState& s, int x, int y) { return s.grid[size_t(cell_at(x, y))]; }

void lose_load(LevelState& s, Actor& e, TickEvents& ev)
{
    e.flags &= ~ACTOR_CARRYING;
    if (!(e.flags & ACTOR_HIDDEN))
        object_collected(s, ev);
}

void trap(LevelState& s, Actor& e, int c0, TickEvents& ev)
{
    e.flags |= ACTOR_TRAPPED;
    if (!(e.flags & ACTOR_HIDDEN))
        charge_penalty(s, PENALTY_TRAPPED, "-10000 Trapping", ev);
    e.counter = 0;
    s.grid[size_t(c0)] = TILE_SOLID;   // the enemy plugs the hole
    e.trap_cell = c0;
    close_hole_column_bit(s, c0);
    if (e.flags & ACTOR_CARRYING) {
        const int above = c0 - 28;
        if (s.grid[size_t(above)] == TILE_EMPTY) {
            e.flags &= ~ACTOR_CARRYING;
            s.grid[size_t(above)] = (e.flags & ACTOR_HIDDEN) ? TILE_HIDDEN_BONUS : TILE_OBJECT;
            redraw_cell(s, above, ev);
        } else {
            lose_load(s, e, ev);
        }
    }
}

// The first empty cell of the top field row from column k on, wrapping;
// -1 when the row holds none.
int come_back_cell(const LevelState& s, int k)
{
    for (int n = 0; n < FIELD_COLUMNS; n++) {
        int i = field_cell((k + n) % FIELD_COLUMNS, 0);
        if (s.grid[size_t(i)] == TILE_EMPTY)
            return i;
    }
    return -1;
}

void remove_hidden_enemy(LevelState& s, int index, int c0, TickEvents& ev)
{
    GameState& g = s.game;
    Actor& e = s.actors[size_t(index)];
    g.schedule_index--;
    if (g.schedule_index < 0)
        g.schedule_index += 24;
    g.enemy_count--;
    s.occupancy[size_t(c0)] &= ~e.actor_bit;
    if (s.grid[size_t(c0 - 28)] == TILE_HIDDEN_BONUS) {
        s.grid[size_t(c0 - 28)] = TILE_EMPTY;
        redraw_cell(s, c0 - 28, ev);
    }
    ev.add(EVENT_FIGURE_GONE, index);
}

// The planner's direction for the enemy from where its turn began, asked
// only when the turn uses it (a trapped, dead or falling enemy does not).
struct Want {
    int x, y;
    int direction;   // -1 until asked
    int get(LevelState& s)
    {
        if (direction < 0)
            direction = plan_move(s, x, y);
        return direction;
    }
};

// What the first steps of a turn leave to do: whether the enemy is dead,
// falls or moves, only ends its turn, or left the level.
enum class Step { Dead, Falling, Move, After, Removed };

// A trapped enemy waits in its hole, climbs out (up, when the cell above is
// free) and then moves freely while still flagged, until it is set free.
Step trapped_step(LevelState& s, Actor& e, bool hidden, Want& want, int& dir)
{
    if (!(e.flags & ACTOR_TRAPPED))
        return Step::Dead;
    if (!hidden || (e.flags & ACTOR_CARRYING))
        e.counter++;
    const int t = e.counter;
    if (t < 111)
        return Step::After;
    if (t == 130) {
        want.get(s);   // the way as the turn began, before the hole opens again
        e.flags &= ~ACTOR_TRAPPED;
        if (s.grid[size_t(e.trap_cell)] == TILE_SOLID) {
            s.grid[size_t(e.trap_cell)] = TILE_OPEN_HOLE;
            open_hole_column_bit(s, e.trap_cell);
        }
        return Step::Dead;
    }
    if (t < 123) {
        const int a = e.trap_cell - GRID_COLUMNS;
        const bool blocked = s.grid[size_t(a)] == TILE_BRICK ||
                             (s.occupancy[size_t(a)] & OCCUPANCY_ENEMIES & ~e.actor_bit) ||
                             (plan_move(s, cell_x(a), cell_y(a)) == 0 && !(s.occupancy[size_t(a)] & OCCUPANCY_HERO));
        if (blocked)
            e.counter--;   // the same turn comes again
        dir = blocked ? 0 : 1;
        return Step::Move;
    }
    dir = want.get(s);   // 123..129: free to move, still flagged as trapped
    return Step::Move;
}

// A dead enemy comes back in the top row (a hidden one leaves the level),
// stays there 20 turns and then falls in.
Step dead_step(LevelState& s, int index, bool hidden, int c0, int& dir, TickEvents& ev)
{
    Actor& e = s.actors[size_t(index)];
    if (!(e.flags & ACTOR_DEAD))
        return Step::Falling;
    dir = 0;
    if (e.counter == 0) {
        if (hidden) {
            remove_hidden_enemy(s, index, c0, ev);
            return Step::Removed;
        }
        if (e.flags & ACTOR_CARRYING)
            lose_load(s, e, ev);
        const int back = come_back_cell(s, s.game.cycle_counter);
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
int fall_or_plan(LevelState& s, Actor& e, int c0, Want& want)
{
    const bool holds = in_class(cell_code(s, e.x, e.y + 12), CLASS_SUPPORT) ||
                       s.grid[size_t(c0)] == TILE_LADDER ||
                       (cell_code(s, e.x, e.y + 11) == TILE_ROPE && y_align[size_t(e.y)] == 0);
    if (holds)
        return want.get(s);
    e.flags |= ACTOR_FALLING;
    return 0;
}

// One 2-pixel step in dir (down also when falling); dir becomes 0 when the
// way is shut. True when the enemy moved.
bool step_enemy(LevelState& s, Actor& e, int& dir, int c0, TickEvents& ev)
{
    if (dir == 2 || (dir == 0 && (e.flags & ACTOR_FALLING))) {
        e.x += x_align[size_t(e.x)];
        e.y += 2;
        if (s.grid[size_t(c0)] == TILE_OPEN_HOLE && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0)
            trap(s, e, c0, ev);
        return true;
    }
    if (dir == 1) {
        if (!in_class(cell_code(s, e.x, e.y - 14), CLASS_PASSABLE)) {
            dir = 0;
            return false;
        }
        e.x += x_align[size_t(e.x)];
        e.y -= 2;
        return true;
    }
    if (dir == 3 || dir == 4) {
        const int ahead = cell_at(dir == 3 ? e.x - 12 : e.x + 12, e.y);
        const int others = ((s.occupancy[size_t(c0)] & (e.actor_bit - 1)) |
                            (s.occupancy[size_t(ahead)] & ~s.occupancy[size_t(c0)])) &
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
void carry_objects(LevelState& s, Actor& e, int c1, TickEvents& ev)
{
    if (e.flags & ACTOR_CARRYING) {
        if (e.drop_delay != 0)
            e.drop_delay--;
        const int under = s.grid[size_t(c1 + GRID_COLUMNS)];
        if (s.grid[size_t(c1)] == TILE_EMPTY && e.drop_delay == 0 &&
            (under == TILE_BRICK || under == TILE_OPEN_HOLE || under == TILE_LADDER || under == TILE_SOLID ||
             under == TILE_BORDER)) {
            e.flags &= ~ACTOR_CARRYING;
            s.grid[size_t(c1)] = TILE_OBJECT;
            redraw_cell(s, c1, ev);
        }
    } else if (s.grid[size_t(c1)] == TILE_OBJECT && c1 != s.game.flashing_cell) {
        s.grid[size_t(c1)] = TILE_EMPTY;
        redraw_cell(s, c1, ev);
        e.flags |= ACTOR_CARRYING;
        e.drop_delay = s.game.cycle_counter;
    }
}

// The pose, the occupancy map, objects taken or dropped, the animation.
void end_turn(LevelState& s, Actor& e, bool hidden, int dir, bool moved, int c0, TickEvents& ev)
{
    if (dir != 0)
        e.state = uint8_t(dir);
    const int c1 = cell_at(e.x, e.y);
    if (c1 != c0) {
        s.occupancy[size_t(c0)] &= ~e.actor_bit;
        s.occupancy[size_t(c1)] |= e.actor_bit;
        if (s.grid[size_t(c0)] == TILE_OPEN_HOLE && c1 == c0 + GRID_COLUMNS && (e.flags & ACTOR_CARRYING))
            lose_load(s, e, ev);   // it fell through an open hole without being caught
    }
    if (moved && !hidden && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0)
        carry_objects(s, e, c1, ev);
    e.anim = dir != 0 ? uint8_t((e.anim + 1) % 24) : 0;
}

void enemy_turn(LevelState& s, int index, TickEvents& ev)
{
    Actor& e = s.actors[size_t(index)];
    const bool hidden = e.flags & ACTOR_HIDDEN;
    int dir = 0;
    const int c0 = cell_at(e.x, e.y);
    Want want{e.x, e.y, -1};
    e.flags &= ~ACTOR_FALLING;

    Step step = trapped_step(s, e, hidden, want, dir);
    if (step == Step::Dead)
        step = dead_step(s, index, hidden, c0, dir, ev);
    if (step == Step::Removed)
        return;
    if (step == Step::Falling) {
        dir = fall_or_plan(s, e, c0, want);
        step = Step::Move;
    }
    const bool moved = step == Step::Move && step_enemy(s, e, dir, c0, ev);
    end_turn(s, e, hidden, dir, moved, c0, ev);
}

} // namespace

void enemies_tick(LevelState& s, TickEvents& ev)
{
    GameState& g = s.game;
    if (!s.planner.masks_valid)
        build_hero_masks(s);
    if (g.enemy_count == 0)
        return;
    const uint8_t bits = ENEMY_SCHEDULE[size_t(g.schedule_index)];
    g.schedule_index -= 8;
    if (g.schedule_index < 0)
        g.schedule_index += 24;
    for (int e = 1; e <= g.enemy_count; e++)
        if (bits & (1 << (e - 1)))
            enemy_turn(s, e, ev);
}
