// The start of a level, the tick and the hidden enemy's release.
#include "game/game.h"
#include "level/movie.h"

namespace {

uint8_t facing_middle(int cell) { return (cell % GRID_COLUMNS) < 14 ? 4 : 3; }

// A level's scores, counters and timers as at its start.
void reset_game_state(GameState& g, int seed)
{
    g = GameState{};
    g.cycle_counter = uint8_t(seed % 24);
    g.score = 30000;
    g.time_bonus = 100;
    g.flash_status = g.hidden_status = -1;
    g.waiting_for_input = true;
    g.flashing_cell = NO_CELL;
}

void place_hero(LevelState& s, int i)
{
    Actor& hero = s.actors[0];
    hero.x = cell_x(i);
    hero.y = cell_y(i);
    hero.flags = 0;
    hero.grace_dir = -1;
    hero.state = facing_middle(i);
    hero.anim = 0;
    hero.actor_bit = OCCUPANCY_HERO;
    s.occupancy[size_t(i)] |= OCCUPANCY_HERO;
}

void place_enemy(LevelState& s, int i)
{
    Actor& e = s.actors[size_t(++s.game.enemy_count)];
    e.x = cell_x(i);
    e.y = cell_y(i);
    e.flags = 0;
    e.state = facing_middle(i);
    e.anim = 0;
    e.actor_bit = uint8_t(OCCUPANCY_HERO >> s.game.enemy_count);
    s.occupancy[size_t(i)] |= e.actor_bit;
}

// What the start codes of a level leave behind once turned into play.
struct StartCells {
    int flashing[3];
    int flashing_count;
    bool hero_placed;
};

// Turns the start codes of the grid into actors, objects and empty cells.
StartCells take_start_cells(LevelState& s)
{
    GameState& g = s.game;
    StartCells found{};
    bool hidden_possible = false;
    for (uint8_t cell : s.grid)
        hidden_possible |= cell == TILE_HIDDEN_ENEMY;
    // A hidden enemy released later needs a place in the actor table too.
    const int enemy_room = hidden_possible ? MAX_ENEMIES - 1 : MAX_ENEMIES;
    for (int i = 0; i < GRID_CELLS; i++) {
        uint8_t& t = s.grid[size_t(i)];
        switch (t) {
        case TILE_HIDDEN_ENEMY:
            g.hidden_status = 0;
            t = TILE_BRICK;
            if (g.hidden_candidates.count < 3)
                g.hidden_candidates.cells[g.hidden_candidates.count++] = i;
            break;
        case TILE_ESCAPE_LADDER:
            t = TILE_EMPTY;
            break;
        case TILE_FLASHING_OBJECT:
            g.flash_status = 0;
            t = TILE_OBJECT;
            if (found.flashing_count < 3)
                found.flashing[found.flashing_count++] = i;
            break;
        case TILE_HERO_START:
            t = TILE_EMPTY;
            place_hero(s, i);
            found.hero_placed = true;
            break;
        case TILE_ENEMY_START:
            t = TILE_EMPTY;
            if (g.enemy_count < enemy_room)
                place_enemy(s, i);
            break;
        default:
            break;
        }
        if (t == TILE_OBJECT)
            g.objects_left++;
    }
    return found;
}

} // namespace

void begin_level(LevelState& s, const PlayGrid& grid, int seed)
{
    const PlayGrid level = grid;   // grid may be the state's own snapshot
    s.grid = level;
    s.snapshot = level;
    s.occupancy.fill(0);
    s.actors.fill(Actor{});
    s.holes.fill(HoleSlot{});
    s.planner = PlannerMasks{};
    forget_planner_answers(s.planner);
    reset_game_state(s.game, seed);
    const StartCells found = take_start_cells(s);
    if (!found.hero_placed) {
        // A level without a hero start: the hero stands in the first field
        // cell, so no rule ever looks outside the grid.
        s.actors[0] = Actor{cell_x(30), cell_y(30), 0, -1, 0, 0, 4, OCCUPANCY_HERO, 0, 0};
        s.occupancy[30] |= OCCUPANCY_HERO;
    }
    s.game.schedule_index = s.game.enemy_count - 1;
    build_planner_masks(s);
    // One of the level's flashing objects (at most the first three) flashes,
    // picked by the cycle counter.
    if (found.flashing_count > 0)
        s.game.flashing_cell = found.flashing[s.game.cycle_counter % found.flashing_count];
}

void tick(LevelState& s, int input, TickEvents& ev)
{
    ev.count = 0;
    ev.ran = false;
    ev.score_changed = false;
    GameState& g = s.game;
    if (!(g.waiting_for_input && input == INPUT_NONE)) {
        ev.ran = true;
        g.waiting_for_input = false;
        g.cycle_counter = uint8_t((g.cycle_counter + 1) % 24);
        hero_tick(s, input, ev);
        enemies_tick(s, ev);
    }
    update_holes(s, ev);
    update_clock(s, ev);
    ev.end = g.exit_count ? LEVEL_WON : g.death_count ? LEVEL_DIED : LEVEL_RUNNING;
}

void release_hidden_enemy(LevelState& s, int cell, TickEvents& ev)
{
    GameState& g = s.game;
    if (g.enemy_count >= MAX_ENEMIES)
        return;   // no room left in the actor table
    g.schedule_index++;
    Actor& e = s.actors[size_t(++g.enemy_count)];
    e.x = cell_x(cell);
    e.y = cell_y(cell);
    e.flags = ACTOR_HIDDEN | ACTOR_TRAPPED | ACTOR_CARRYING;
    e.state = 3;
    e.anim = 0;
    e.counter = 0;
    e.trap_cell = cell;
    e.actor_bit = uint8_t(OCCUPANCY_HERO >> g.enemy_count);
    s.occupancy[size_t(cell)] |= e.actor_bit;
    ev.add(EVENT_FIGURE_NEW, g.enemy_count);
}

void redraw_cell(const LevelState& s, int cell, TickEvents& ev)
{
    const int t = s.grid[size_t(cell)];
    if (t != TILE_BORDER)
        ev.add(EVENT_CELL, t, cell, nullptr, shadow_bits(s.grid, cell));
}
