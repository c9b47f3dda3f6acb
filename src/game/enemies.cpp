// The enemies' turns: the schedule, falling, walking and climbing, holes and
// traps, carrying objects, and coming back after being crushed.
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"

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
    GameState& g = game_state;
    e.flags |= ACTOR_TRAPPED;
    if (!(e.flags & ACTOR_HIDDEN)) {
        if (!(g.penalty_flags & 1)) {
            g.score = g.score > 10000 ? g.score - 10000 : 0;
            show_message("-10000 Trapping", 120);
            clear_cell(104, 440);   // the icon replaces the other penalty icon
            draw_cell(104, 440, 90);
            update_rect(104, 440, 24, 24);
            g.top_line_stale++;
        }
        g.penalty_flags |= 1;
    }
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
    if (e.sprite >= 0)
        sprite_slots[size_t(e.sprite)].flags &= ~SPRITE_ACTIVE;
}

enum class Step { Dead, Falling, Move, After };

void enemy_turn(int index)
{
    Actor& e = actors[size_t(index)];
    const bool hidden = e.flags & ACTOR_HIDDEN;
    bool moved = false;
    int dir = 0;
    const int c0 = cell_at(e.x, e.y);
    const int want = plan_move(e.x, e.y);
    e.flags &= ~ACTOR_FALLING;

    Step step = Step::Dead;
    if (e.flags & ACTOR_TRAPPED) {
        if (!hidden || (e.flags & ACTOR_CARRYING))
            e.counter++;
        const int t = e.counter;
        if (t < 111) {
            step = Step::After;
        } else if (t == 130) {
            e.flags &= ~ACTOR_TRAPPED;
            if (play_grid[size_t(e.trap_cell)] == TILE_SOLID) {
                play_grid[size_t(e.trap_cell)] = TILE_OPEN_HOLE;
                open_hole_column_bit(e.trap_cell);
            }
            step = Step::Dead;
        } else if (t < 123) {
            const int a = e.trap_cell - 28;
            const bool blocked = play_grid[size_t(a)] == TILE_BRICK ||
                                 (occupancy[size_t(a)] & 0x7f & ~e.actor_bit) ||
                                 (plan_move(cell_x(a), cell_y(a)) == 0 && !(occupancy[size_t(a)] & 0x80));
            if (blocked) {
                e.counter--;   // the same turn comes again
                dir = 0;
            } else {
                dir = 1;
            }
            step = Step::Move;
        } else {
            dir = want;   // 123..129: free to move, still flagged as trapped
            step = Step::Move;
        }
    }

    if (step == Step::Dead && (e.flags & ACTOR_DEAD)) {
        dir = 0;
        if (e.counter == 0) {
            if (hidden) {
                remove_hidden_enemy(index, c0);
                return;
            }
            if (e.flags & ACTOR_CARRYING)
                lose_load(e);
            const int back = come_back_cell(game_state.cycle_counter);
            if (back < 0) {
                step = Step::After;   // no room at the top yet: try again next turn
            } else {
                e.x = cell_x(back);
                e.y = cell_y(back);
            }
        }
        if (step != Step::After) {
            const int n = e.counter++;
            if (n == 20) {
                e.flags &= ~ACTOR_DEAD;
                step = Step::Falling;
            } else {
                step = Step::Move;
            }
        }
    } else if (step == Step::Dead) {
        step = Step::Falling;
    }

    if (step == Step::Falling) {
        const bool holds = in_class(cell_code(e.x, e.y + 12), CLASS_SUPPORT) ||
                           play_grid[size_t(c0)] == TILE_LADDER ||
                           (cell_code(e.x, e.y + 11) == TILE_ROPE && y_align[size_t(e.y)] == 0);
        if (holds) {
            dir = want;
        } else {
            dir = 0;
            e.flags |= ACTOR_FALLING;
        }
        step = Step::Move;
    }

    if (step == Step::Move) {
        const bool down = dir == 2 || (dir == 0 && (e.flags & ACTOR_FALLING));
        if (down) {
            e.x += x_align[size_t(e.x)];
            e.y += 2;
            moved = true;
            if (play_grid[size_t(c0)] == TILE_OPEN_HOLE && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0)
                trap(e, c0);
        } else if (dir == 1) {
            if (in_class(cell_code(e.x, e.y - 14), CLASS_PASSABLE)) {
                e.x += x_align[size_t(e.x)];
                e.y -= 2;
                moved = true;
            } else {
                dir = 0;
            }
        } else if (dir == 3 || dir == 4) {
            const int ahead = cell_at(dir == 3 ? e.x - 12 : e.x + 12, e.y);
            const int others = ((occupancy[size_t(c0)] & (e.actor_bit - 1)) |
                                (occupancy[size_t(ahead)] & ~occupancy[size_t(c0)])) &
                               0x7f & ~e.actor_bit;
            if (others) {
                dir = 0;
            } else {
                e.x += dir == 3 ? -2 : 2;
                moved = true;
                if (!(e.flags & ACTOR_TRAPPED))
                    e.y += y_align[size_t(e.y)];
            }
        }
    }

    // After the move.
    if (dir != 0)
        e.state = uint8_t(dir);
    const int c1 = cell_at(e.x, e.y);
    if (c1 != c0) {
        occupancy[size_t(c0)] &= ~e.actor_bit;
        occupancy[size_t(c1)] |= e.actor_bit;
        if (play_grid[size_t(c0)] == TILE_OPEN_HOLE && c1 == c0 + 28 && (e.flags & ACTOR_CARRYING))
            lose_load(e);   // it fell through an open hole without being caught
    }
    if (moved && x_align[size_t(e.x)] == 0 && y_align[size_t(e.y)] == 0) {
        if (!hidden && (e.flags & ACTOR_CARRYING)) {
            if (e.drop_delay != 0)
                e.drop_delay--;
            const int under = play_grid[size_t(c1 + 28)];
            if (play_grid[size_t(c1)] == TILE_EMPTY && e.drop_delay == 0 &&
                (under == TILE_BRICK || under == TILE_OPEN_HOLE || under == TILE_LADDER || under == TILE_SOLID ||
                 under == TILE_BORDER)) {
                e.flags &= ~ACTOR_CARRYING;
                play_grid[size_t(c1)] = TILE_OBJECT;
                redraw_grid_cell(c1);
            }
        } else if (!hidden && play_grid[size_t(c1)] == TILE_OBJECT && c1 != game_state.flashing_cell) {
            play_grid[size_t(c1)] = TILE_EMPTY;
            redraw_grid_cell(c1);
            e.flags |= ACTOR_CARRYING;
            e.drop_delay = game_state.cycle_counter;
        }
    }
    e.anim = dir != 0 ? uint8_t((e.anim + 1) % 24) : 0;
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
