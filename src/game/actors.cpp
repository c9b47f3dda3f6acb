// Level start, the game tick, the hidden enemy's release and the poses.
#include <SDL/SDL.h>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "level/archive.h"
#include "level/movie.h"
#include "picture/artwork.h"

std::array<Actor, ACTOR_COUNT> actors;
std::array<uint8_t, GRID_CELLS> occupancy;
PlayGrid level_snapshot;

void save_tick_state(TickState& out)
{
    out = TickState{play_grid, occupancy, actors, holes, planner, game_state};
}

void restore_tick_state(const TickState& in)
{
    play_grid = in.grid;
    occupancy = in.occupancy;
    actors = in.actors;
    holes = in.holes;
    planner = in.planner;
    game_state = in.game;
}

void save_level_state(LevelState& out)
{
    save_tick_state(out.tick);
    out.snapshot = level_snapshot;
    out.movie = movie;
}

void restore_level_state(const LevelState& in)
{
    restore_tick_state(in.tick);
    level_snapshot = in.snapshot;
    movie = in.movie;
}

// Draws the level now in the grid as a fresh screen, after begin_level.
void show_level()
{
    draw_play_field();
    format_top_line();
    refresh_status_lines();
    update_sprite_poses();
    save_sprite_backgrounds();
    draw_sprites();
    update_whole_screen();
    SDL_ShowCursor(0);
}

namespace {

uint8_t facing_middle(int cell) { return (cell % GRID_COLUMNS) < 14 ? 4 : 3; }

} // namespace

void start_demo()
{
    game_active = true;
    recording = false;
    if (!load_level(current_level))
        current_level = 0;
    // Only levels with a movie are demonstrated.
    if (current_level != 0 && !record_holds(movie_record(current_level), 1))
        current_level = 0;
    load_level(current_level);
    restore_sprite_backgrounds();
    begin_level();
    show_level();
}

void start_play()
{
    game_active = true;
    recording = true;
    restore_sprite_backgrounds();
    begin_level();
    show_level();
}

namespace {

// A level's scores, counters, timers and best result, as at its start.
void reset_game_state()
{
    GameState& g = game_state;
    if (recording)
        g.cycle_counter = uint8_t(frame_counter % 24);
    g.score = 30000;
    g.time_bonus = 100;
    g.subsecond_ticks = 0;
    g.seconds = 0;
    g.play_ticks = 0;
    g.top_line_stale = 1;
    g.best_score = g.best_ticks = g.best_seconds = 0;
    memset(g.best_name, 0, sizeof g.best_name);
    g.flash_status = g.hidden_status = -1;
    movie.cursor = MOVIE_SEED_OFFSET;
    load_movie_record();
    clear_status_lines();
    g.exit_count = g.death_count = 0;
    g.penalty_flags = 0;
    g.waiting_for_input = true;
    for (HoleSlot& h : holes)
        h.timer = 0;
    g.enemy_count = 0;
    g.objects_left = 0;
    g.hidden_candidates.count = 0;
}

void place_hero(int i)
{
    Actor& hero = actors[0];
    hero.x = cell_x(i);
    hero.y = cell_y(i);
    hero.flags = 0;
    hero.grace_dir = -1;
    hero.state = facing_middle(i);
    hero.anim = 0;
    hero.actor_bit = OCCUPANCY_HERO;
    occupancy[size_t(i)] |= OCCUPANCY_HERO;
}

void place_enemy(int i)
{
    Actor& e = actors[size_t(++game_state.enemy_count)];
    e.x = cell_x(i);
    e.y = cell_y(i);
    e.sprite = alloc_sprite();
    e.flags = 0;
    e.state = facing_middle(i);
    e.anim = 0;
    e.actor_bit = uint8_t(OCCUPANCY_HERO >> game_state.enemy_count);
    occupancy[size_t(i)] |= e.actor_bit;
}

// What the start codes of a level leave behind once turned into play.
struct StartCells {
    int flashing[3];
    int flashing_count;
    bool hero_placed;
};

// Turns the start codes of the grid into actors, objects and empty cells,
// keeping the grid as it was in level_snapshot.
StartCells take_start_cells()
{
    GameState& g = game_state;
    StartCells found{};
    bool hidden_possible = false;
    for (uint8_t cell : play_grid)
        hidden_possible |= cell == TILE_HIDDEN_ENEMY;
    // A hidden enemy released later needs a place in the actor table too.
    const int enemy_room = hidden_possible ? MAX_ENEMIES - 1 : MAX_ENEMIES;
    for (int i = 0; i < GRID_CELLS; i++) {
        uint8_t& t = play_grid[size_t(i)];
        occupancy[size_t(i)] = 0;
        level_snapshot[size_t(i)] = t;
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
            place_hero(i);
            found.hero_placed = true;
            break;
        case TILE_ENEMY_START:
            t = TILE_EMPTY;
            if (g.enemy_count < enemy_room)
                place_enemy(i);
            break;
        default:
            break;
        }
        if (t == TILE_OBJECT)
            g.objects_left++;
    }
    return found;
}

// One of the level's flashing objects (at most the first three) flashes,
// picked by the cycle counter.
void choose_flashing_object(const StartCells& found)
{
    GameState& g = game_state;
    if (found.flashing_count == 0) {
        g.flashing_cell = NO_CELL;
        return;
    }
    g.flashing_cell = found.flashing[g.cycle_counter % found.flashing_count];
    g.flash_sprite = alloc_sprite();
    g.flash_x = cell_x(g.flashing_cell);
    g.flash_y = cell_y(g.flashing_cell);
    g.flash_counter = 0;
}

} // namespace

void begin_level()
{
    reset_game_state();
    const StartCells found = take_start_cells();
    Actor& hero = actors[0];
    if (!found.hero_placed) {
        // A level without a hero start: the hero stands in the first field
        // cell, so no rule ever looks outside the grid.
        hero = Actor{cell_x(30), cell_y(30), 0, 0, -1, 0, 0, 4, OCCUPANCY_HERO, 0, 0};
        occupancy[30] |= OCCUPANCY_HERO;
    }
    hero.sprite = alloc_sprite();
    game_state.schedule_index = game_state.enemy_count - 1;
    build_planner_masks();
    choose_flashing_object(found);
    show_message("-100 EACH SEC.  ", 120);
}

void game_tick()
{
    if (!game_active)
        return;
    int input;
    if (!recording) {
        input = replay_input();
    } else if (key_down(digleftkey)) {
        input = INPUT_DIG_LEFT;
    } else if (key_down(digrightkey)) {
        input = INPUT_DIG_RIGHT;
    } else if (key_down(upkey)) {
        input = INPUT_UP;
    } else if (key_down(downkey)) {
        input = INPUT_DOWN;
    } else if (key_down(leftkey)) {
        input = INPUT_LEFT;
    } else if (key_down(rightkey)) {
        input = INPUT_RIGHT;
    } else {
        input = INPUT_NONE;
    }
    rules_frame(input);
}

void rules_frame(int input)
{
    run_game_tick(input);
    update_holes();
    update_clock();
}

void run_game_tick(int input)
{
    GameState& g = game_state;
    if (g.waiting_for_input && input == INPUT_NONE)
        return;
    g.waiting_for_input = false;
    g.cycle_counter = uint8_t((g.cycle_counter + 1) % 24);
    hero_tick(input);
    enemies_tick();
}

void release_hidden_enemy(int cell)
{
    GameState& g = game_state;
    if (g.enemy_count >= MAX_ENEMIES)
        return;   // no room left in the actor table
    g.schedule_index++;
    Actor& e = actors[size_t(++g.enemy_count)];
    e.x = cell_x(cell);
    e.y = cell_y(cell);
    e.sprite = alloc_sprite();
    e.flags = ACTOR_HIDDEN | ACTOR_TRAPPED | ACTOR_CARRYING;
    e.state = 3;
    e.anim = 0;
    e.counter = 0;
    e.trap_cell = cell;
    e.actor_bit = uint8_t(OCCUPANCY_HERO >> g.enemy_count);
    occupancy[size_t(cell)] |= e.actor_bit;
}

namespace {

void place_sprite(int slot, int x, int y, int cell)
{
    if (slot < 0 || slot >= SPRITE_COUNT)
        return;
    SpriteSlot& s = sprite_slots[size_t(slot)];
    s.x = x;
    s.y = y;
    s.cell = cell;
}

} // namespace

void release_game_sprites()
{
    GameState& g = game_state;
    restore_sprite_backgrounds();
    for (int i = 0; i <= g.enemy_count; i++)
        release_sprite(actors[size_t(i)].sprite);
    for (HoleSlot& h : holes)
        if (h.timer != 0 && h.sprite >= 0)
            release_sprite(h.sprite);
    if (g.flashing_cell != NO_CELL) {
        release_sprite(g.flash_sprite);
        g.flashing_cell = NO_CELL;
    }
}

void update_sprite_poses()
{
    if (!game_active)
        return;
    GameState& g = game_state;
    const Actor& hero = actors[0];
    place_sprite(hero.sprite, hero.x, hero.y, actor_pose(hero) + HERO_SET_BASE);
    for (int i = 1; i <= g.enemy_count; i++) {
        const Actor& e = actors[size_t(i)];
        place_sprite(e.sprite, e.x, e.y, actor_pose(e) + ((e.flags & ACTOR_HIDDEN) ? HIDDEN_SET_BASE : ENEMY_SET_BASE));
    }
    for (const HoleSlot& h : holes) {
        if (h.timer == 0 || h.sprite < 0)
            continue;
        if (h.timer >= 1 && h.timer <= 24)
            place_sprite(h.sprite, h.x, h.y, HOLE_STAGE_BASE + 1 + (h.timer - 1) / 4);
        else if (h.timer >= 336)
            place_sprite(h.sprite, h.x, h.y, HOLE_STAGE_BASE + (359 - h.timer) / 4);
    }
    if (g.flashing_cell != NO_CELL) {
        int picture = g.flash_counter < 8 ? SPARKLE_BASE + g.flash_counter / 2
                      : g.flash_counter < 16 ? HOLE_STAGE_BASE + 1 - g.flash_counter / 2
                                             : HOLE_STAGE_BASE;
        place_sprite(g.flash_sprite, g.flash_x, g.flash_y, picture);
        g.flash_counter = (g.flash_counter + 1) % 64;
    }
}

int actor_pose(const Actor& a)
{
    int f = a.anim / 2;
    int c = play_grid[size_t(cell_at(a.x, a.y))];
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
