// Best-first search over moves of one cell, each run tick by tick through the
// real rules; a state is the level state copied as a whole.
#include "solver/solver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <queue>
#include <unordered_map>

#include "game/game.h"
#include "level/grid.h"
#include "level/movie.h"
#include "platform/clock.h"

bool start_level_run(const PlayGrid& grid, int seed, LevelState* state, std::string* problem)
{
    int heroes = 0, enemies = 0;
    for (uint8_t t : grid) {
        heroes += t == TILE_HERO_START;
        enemies += t == TILE_ENEMY_START;
    }
    if (heroes != 1) {
        *problem = heroes == 0 ? "the level has no hero" : "the level has more than one hero";
        return false;
    }
    if (enemies > 5) {
        *problem = "the level has more than 5 enemies";
        return false;
    }
    begin_level(*state, grid, seed);
    return true;
}

bool play_inputs(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed, int* ticks, int* score)
{
    std::string problem;
    bool exited = false;
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    if (start_level_run(grid, seed, &s, &problem)) {
        for (size_t i = 0; i < inputs.size() && !exited && !s.game.death_count; i++) {
            tick(s, inputs[i], *events);
            exited = s.game.exit_count != 0 && i + 1 == inputs.size();
        }
        *ticks = s.game.play_ticks;
        *score = s.game.score;
    }
    return exited;
}

namespace {

// The budget counts the processor time of this process, so that a busy
// machine gives the search the same amount of work as an idle one.
struct Clock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<Clock, duration>;
    static time_point now() { return time_point(duration(processor_time_ns())); }
};

// ---- A state as the search stores it: the level's state packed, lossless
// for everything a tick reads. The tiles go two to a byte; the occupancy map
// keeps its cells with a bit set (each actor's bit is at its own cell, so
// there are at most ACTOR_COUNT); a hole keeps its cell and age (it stands at
// its cell); the planner's masks hold rows 0..15 and fit 16 bits; the level's
// snapshot is the same for every state of a search and is kept once.
struct PackedState {
    std::array<uint8_t, GRID_CELLS / 2> tiles;
    std::array<int16_t, ACTOR_COUNT> occupied_cell;   // -1 for none
    std::array<uint8_t, ACTOR_COUNT> occupied_bits;
    std::array<Actor, ACTOR_COUNT> actors;
    std::array<int16_t, HOLE_SLOTS> hole_cell;
    std::array<int16_t, HOLE_SLOTS> hole_timer;
    std::array<uint16_t, FIELD_COLUMNS> not_ladder, stand, floor_below, up_stop, down_stop;
    std::array<uint16_t, FIELD_COLUMNS + 2> enterable;
    int32_t rows_above_hero;
    int32_t rows_below_hero;
    bool masks_valid;
    GameState game;
};

template <size_t N>
void pack_masks(std::array<uint16_t, N>& to, const std::array<int32_t, N>& from)
{
    for (size_t i = 0; i < N; i++)
        to[i] = uint16_t(from[i]);
}

template <size_t N>
void unpack_masks(std::array<int32_t, N>& to, const std::array<uint16_t, N>& from)
{
    for (size_t i = 0; i < N; i++)
        to[i] = from[i];
}

void pack_state(const LevelState& s, PackedState& p)
{
    // Eight tiles a word: the even bytes shifted up onto the odd ones, then
    // the four packed bytes gathered.
    constexpr size_t WORDS = GRID_CELLS / 8;
    for (size_t k = 0; k < WORDS; k++) {
        uint64_t w;
        memcpy(&w, s.grid.data() + 8 * k, 8);
        uint64_t v = ((w & 0x00ff00ff00ff00ffull) << 4) | ((w >> 8) & 0x00ff00ff00ff00ffull);
        v = (v | v >> 8) & 0x0000ffff0000ffffull;
        v = (v | v >> 16) & 0x00000000ffffffffull;
        const uint32_t packed = uint32_t(v);
        memcpy(p.tiles.data() + 4 * k, &packed, 4);
    }
    for (size_t i = 4 * WORDS; i < p.tiles.size(); i++)
        p.tiles[i] = uint8_t(s.grid[2 * i] << 4 | s.grid[2 * i + 1]);
    p.occupied_cell.fill(-1);
    size_t n = 0;
    for (size_t word = 0; word < GRID_CELLS; word += 8) {
        uint64_t w = 0;
        memcpy(&w, s.occupancy.data() + word, std::min<size_t>(8, GRID_CELLS - word));
        for (size_t cell = word; w != 0 && n < ACTOR_COUNT; cell++, w >>= 8)
            if (w & 0xff) {
                p.occupied_cell[n] = int16_t(cell);
                p.occupied_bits[n++] = uint8_t(w);
            }
    }
    p.actors = s.actors;
    for (size_t i = 0; i < HOLE_SLOTS; i++) {
        p.hole_cell[i] = int16_t(s.holes[i].cell);
        p.hole_timer[i] = int16_t(s.holes[i].timer);
    }
    const PlannerMasks& m = s.planner;
    pack_masks(p.not_ladder, m.not_ladder);
    pack_masks(p.stand, m.stand);
    pack_masks(p.floor_below, m.floor_below);
    pack_masks(p.up_stop, m.up_stop);
    pack_masks(p.down_stop, m.down_stop);
    pack_masks(p.enterable, m.enterable);
    p.rows_above_hero = m.rows_above_hero;
    p.rows_below_hero = m.rows_below_hero;
    p.masks_valid = m.masks_valid;
    p.game = s.game;
}

// Into a state whose snapshot is already the level's.
void unpack_state(const PackedState& p, LevelState& s)
{
    for (size_t i = 0; i < p.tiles.size(); i++) {
        s.grid[2 * i] = p.tiles[i] >> 4;
        s.grid[2 * i + 1] = p.tiles[i] & 15;
    }
    s.occupancy.fill(0);
    for (size_t n = 0; n < ACTOR_COUNT && p.occupied_cell[n] >= 0; n++)
        s.occupancy[size_t(p.occupied_cell[n])] = p.occupied_bits[n];
    s.actors = p.actors;
    for (size_t i = 0; i < HOLE_SLOTS; i++)
        s.holes[i] = HoleSlot{cell_x(p.hole_cell[i]), cell_y(p.hole_cell[i]), p.hole_cell[i], p.hole_timer[i]};
    PlannerMasks& m = s.planner;
    unpack_masks(m.not_ladder, p.not_ladder);
    unpack_masks(m.stand, p.stand);
    unpack_masks(m.floor_below, p.floor_below);
    unpack_masks(m.up_stop, p.up_stop);
    unpack_masks(m.down_stop, p.down_stop);
    unpack_masks(m.enterable, p.enterable);
    m.rows_above_hero = p.rows_above_hero;
    m.rows_below_hero = p.rows_below_hero;
    m.masks_valid = p.masks_valid;
    forget_planner_answers(m);   // answers for the state unpacked over are no longer true
    s.game = p.game;
}

using SearchState = PackedState;

// ---- Relaxed distance: the field as it is now as a graph of cells, enemies
// ignored, a brick beside or below entered at the cost of digging it. Costs
// are in cell steps of 12 ticks; the search stops at the nearest target.

constexpr int FAR = 1000;
constexpr int CELL_TICKS = 12;
constexpr int DIG_STEPS = 4;
// Added to the estimate when an object is out of reach: more than any way
// across the field, so that such states come after every other one.
constexpr int UNREACHABLE_TICKS = 50000;

bool passable(int t) { return in_class(t, CLASS_PASSABLE); }

// Steps to the nearest of `targets` target cells (FAR when none is reached);
// `missed` tells whether some target cannot be reached at all. A brick that
// crumbles (its hole not yet open) is shown solid: it carries the hero across
// (a guard may soon fill it); it is also as good as open to the hero who dug
// it and steps in (CRUMBLING_BOTH), or only that (CRUMBLING_OPEN), or taken
// as the grid shows it, solid (CRUMBLING_SOLID): each view finds levels the
// others miss.
enum CrumblingView : uint8_t { CRUMBLING_BOTH, CRUMBLING_OPEN, CRUMBLING_SOLID };

// A brick crumbling under a dig, no enemy in it, as the view sees it.
bool crumbles(const LevelState& s, const HoleSlot& h, CrumblingView view)
{
    return view != CRUMBLING_SOLID && h.timer != 0 && h.timer < 25 && s.grid[size_t(h.cell)] == TILE_SOLID &&
           !(s.occupancy[size_t(h.cell)] & OCCUPANCY_ENEMIES);
}

uint64_t mix(uint64_t h, uint64_t v);
uint64_t grid_hash(const PlayGrid& grid);

// The field as the relaxed distance sees it, and its crumbling bricks.
void lay_out_field(const LevelState& s, CrumblingView view, PlayGrid& field, std::array<uint8_t, GRID_CELLS>& crumbling)
{
    crumbling.fill(0);
    field = s.grid;
    for (const HoleSlot& h : s.holes)
        if (crumbles(s, h, view)) {
            crumbling[size_t(h.cell)] = 1;
            if (view == CRUMBLING_OPEN)
                field[size_t(h.cell)] = TILE_EMPTY;
        }
}

// The cells still to be worked on by distance: a bucket holds the cells of
// one distance (d modulo DIG_STEPS + 1 for the d being worked on and the
// next DIG_STEPS), each cell at most once.
struct DistanceBucket {
    std::array<int16_t, GRID_CELLS> cells;
    int count;
};
struct DistanceQueue {
    std::array<uint16_t, GRID_CELLS> dist;
    std::array<DistanceBucket, DIG_STEPS + 1> buckets;
    int pending;
};

// Empties the queue but for `start`, at distance 0.
void start_distances(DistanceQueue& q, int start)
{
    q.dist.fill(0xffff);
    for (DistanceBucket& b : q.buckets)
        b.count = 0;
    q.dist[size_t(start)] = 0;
    q.buckets[0].cells[0] = int16_t(start);
    q.buckets[0].count = 1;
    q.pending = 1;
}

// Cell v reached at d + cost steps, when that is nearer than before.
inline void __attribute__((always_inline)) relax(DistanceQueue& q, int d, int v, int cost)
{
    if (d + cost < q.dist[size_t(v)]) {
        q.dist[size_t(v)] = uint16_t(d + cost);
        DistanceBucket& to = q.buckets[size_t((d + cost) % (DIG_STEPS + 1))];
        to.cells[size_t(to.count++)] = int16_t(v);
        q.pending++;
    }
}

// The steps from cell u, d steps away: a fall where nothing holds the hero,
// else sideways, down and up a ladder, digging through brick.
inline void __attribute__((always_inline)) step_from(DistanceQueue& q, const PlayGrid& field,
                                                     const std::array<uint8_t, GRID_CELLS>& crumbling, int u, int d)
{
    auto code = [&](int c) {
        int t = field[size_t(c)];
        return t == TILE_OPEN_HOLE ? int(TILE_EMPTY) : t;
    };
    const int t = code(u);
    const int below = code(u + 28);
    if (!(in_class(below, CLASS_SUPPORT) || t == TILE_LADDER || t == TILE_ROPE)) {
        relax(q, d, u + 28, 1);
        return;
    }
    for (int side : {-1, 1}) {
        const int beside = code(u + side);
        if (passable(beside))
            relax(q, d, u + side, 1);
        else if (beside == TILE_BRICK)
            relax(q, d, u + side, DIG_STEPS);
    }
    if (passable(below) || below == TILE_FALSE_BRICK || crumbling[size_t(u + 28)])
        relax(q, d, u + 28, 1);
    else if (below == TILE_BRICK)
        relax(q, d, u + 28, DIG_STEPS);
    if (t == TILE_LADDER && passable(code(u - 28)))
        relax(q, d, u - 28, 1);
}

int nearest_target(const LevelState& s, int start, const std::array<uint8_t, GRID_CELLS>& target, int targets,
                   CrumblingView view, bool* missed)
{
    int nearest = FAR;
    int reached = 0;
    // The call's own scratch, a few KB on the stack: start_distances and
    // lay_out_field set every part that is read, so nothing carries over
    // from one call or one search to the next.
    DistanceQueue q;
    start_distances(q, start);
    std::array<uint8_t, GRID_CELLS> crumbling;
    PlayGrid field;
    lay_out_field(s, view, field, crumbling);
    for (int d = 0; q.pending > 0 && d < FAR; d++) {
        DistanceBucket& bucket = q.buckets[size_t(d % (DIG_STEPS + 1))];
        for (int k = 0; k < bucket.count; k++) {
            const int u = bucket.cells[size_t(k)];
            if (q.dist[size_t(u)] != d)
                continue;
            if (target[size_t(u)]) {
                nearest = std::min(nearest, d);
                if (++reached == targets) {
                    *missed = false;
                    return nearest;
                }
            }
            step_from(q, field, crumbling, u, d);
        }
        q.pending -= bucket.count;
        bucket.count = 0;
    }
    *missed = true;
    return nearest;
}

// ---- The moves of the search.

enum Move {
    MOVE_LEFT, MOVE_RIGHT, MOVE_UP, MOVE_DOWN, MOVE_DIG_LEFT, MOVE_DIG_RIGHT, MOVE_WAIT, MOVE_WAIT_LONG,
    MOVE_TRAP_LEFT, MOVE_TRAP_RIGHT,   // dig, wait for an enemy to fall in, walk over it
    MOVE_COUNT
};
enum MoveEnd { MOVE_DONE, MOVE_EXIT, MOVE_DEAD, MOVE_STUCK };

constexpr int WAIT_TICKS = 5;   // odd: waits also choose the cycle counter's parity
constexpr int WAIT_LONG_TICKS = 24;
constexpr int MOVE_TICK_LIMIT = 400;
constexpr int TRAP_WAIT_LIMIT = 240;

// Runs the rules on the state being expanded and keeps the inputs given.
struct Runner {
    LevelState& state;
    TickEvents& events;
    std::vector<uint8_t> inputs;
    int64_t ticks = 0;
    void step(int input)
    {
        tick(state, input, events);
        inputs.push_back(uint8_t(input));
        ticks++;
    }
};

bool aligned(const Actor& a) { return x_align[size_t(a.x)] == 0 && y_align[size_t(a.y)] == 0; }

// An enemy in the hero's row, at most 8 cells away: a trap may catch it.
bool enemy_near(const LevelState& s)
{
    const Actor& h = s.actors[0];
    bool near = false;
    for (int i = 1; i <= s.game.enemy_count; i++)
        near |= std::abs(s.actors[size_t(i)].y - h.y) < 12 && std::abs(s.actors[size_t(i)].x - h.x) < 24 * 8;
    return near;
}

// The brick a trap on that side digs.
int trap_hole(const LevelState& s, bool left)
{
    const Actor& h = s.actors[0];
    return cell_at(h.x, h.y) + (left ? -1 : 1) + GRID_COLUMNS;
}

MoveEnd run_move(int move, Runner& run);

// n ticks without input.
MoveEnd wait_ticks(Runner& run, int n)
{
    const GameState& g = run.state.game;
    for (int i = 0; i < n; i++) {
        run.step(INPUT_NONE);
        if (g.death_count || g.exit_count)
            return g.death_count ? MOVE_DEAD : MOVE_EXIT;
    }
    return MOVE_DONE;
}

// The rest of a trap once its dig is done: wait for an enemy to plug the
// hole, then walk over it.
MoveEnd trap_after_dig(Runner& run, int hole, bool left)
{
    const LevelState& s = run.state;
    const GameState& g = s.game;
    auto ended = [&]() { return g.death_count ? MOVE_DEAD : g.exit_count ? MOVE_EXIT : MOVE_DONE; };
    for (int i = 0;; i++) {
        if (s.grid[size_t(hole)] == TILE_SOLID && (s.occupancy[size_t(hole)] & OCCUPANCY_ENEMIES) && i > 0)
            break;   // an enemy plugs the hole
        if (i == TRAP_WAIT_LIMIT || s.grid[size_t(hole)] == TILE_BRICK)
            return MOVE_STUCK;
        run.step(INPUT_NONE);
        if (ended() != MOVE_DONE)
            return ended();
    }
    for (int step = 0; step < 2; step++) {
        const MoveEnd walked = run_move(left ? MOVE_LEFT : MOVE_RIGHT, run);
        if (walked != MOVE_DONE)
            return walked;
    }
    return MOVE_DONE;
}

MoveEnd run_move(int move, Runner& run)
{
    const LevelState& s = run.state;
    const Actor& h = s.actors[0];
    const GameState& g = s.game;
    auto ended = [&]() { return g.death_count ? MOVE_DEAD : g.exit_count ? MOVE_EXIT : MOVE_DONE; };
    switch (move) {
    case MOVE_WAIT:
    case MOVE_WAIT_LONG:
        if (g.waiting_for_input)
            return MOVE_STUCK;   // nothing runs before the first input
        return wait_ticks(run, move == MOVE_WAIT ? WAIT_TICKS : WAIT_LONG_TICKS);
    case MOVE_DIG_LEFT:
    case MOVE_DIG_RIGHT:
        run.step(move == MOVE_DIG_LEFT ? INPUT_DIG_LEFT : INPUT_DIG_RIGHT);
        if (!(h.flags & ACTOR_DIGGING))
            return ended() == MOVE_DONE ? MOVE_STUCK : ended();
        // The dig holds the hero for 24 ticks; the next move's first tick ends it.
        while ((h.flags & ACTOR_DIGGING) && h.counter < 23) {
            run.step(INPUT_NONE);
            if (ended() != MOVE_DONE)
                return ended();
        }
        return MOVE_DONE;
    case MOVE_TRAP_LEFT:
    case MOVE_TRAP_RIGHT: {
        const bool left = move == MOVE_TRAP_LEFT;
        if (!enemy_near(s))
            return MOVE_STUCK;
        const int hole = trap_hole(s, left);
        const MoveEnd dug = run_move(left ? MOVE_DIG_LEFT : MOVE_DIG_RIGHT, run);
        if (dug != MOVE_DONE)
            return dug;
        return trap_after_dig(run, hole, left);
    }
    default:
        break;
    }
    static constexpr uint8_t DIRECTION[] = {INPUT_LEFT, INPUT_RIGHT, INPUT_UP, INPUT_DOWN};
    const int input = DIRECTION[move];
    const int start = cell_at(h.x, h.y);
    for (int i = 0; i < MOVE_TICK_LIMIT; i++) {
        const int x = h.x, y = h.y;
        // A falling hero ignores his input; giving none keeps the landing still.
        run.step((h.flags & ACTOR_FALLING) ? INPUT_NONE : input);
        if (ended() != MOVE_DONE)
            return ended();
        const bool falling = h.flags & ACTOR_FALLING;
        if (h.x == x && h.y == y && !falling)
            return i > 0 && aligned(h) && cell_at(h.x, h.y) != start ? MOVE_DONE : MOVE_STUCK;
        if (!falling && aligned(h) && cell_at(h.x, h.y) != start)
            return MOVE_DONE;
    }
    return MOVE_STUCK;
}

// ---- States and their keys.

uint64_t grid_hash(const PlayGrid& grid)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < GRID_CELLS; i += 8) {
        uint64_t word = 0;
        memcpy(&word, grid.data() + i, std::min<size_t>(8, GRID_CELLS - i));
        h = mix(h, word);
    }
    return h;
}

uint64_t mix(uint64_t h, uint64_t v)
{
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h;
}

// The key of a state. Coarse keys see enemies far from
// the hero only by region and holes by a longer age step, which merges more
// states that differ in nothing the hero can use.
uint64_t state_key(const LevelState& s, uint64_t grid_key, bool coarse)
{
    uint64_t h = grid_key;
    const GameState& g = s.game;
    const Actor& hero = s.actors[0];
    h = mix(h, uint64_t(hero.x) << 32 | uint32_t(hero.y));
    h = mix(h, (hero.flags & ACTOR_DIGGING) ? uint64_t(hero.counter) + 1 : 0);
    const int hero_cell = cell_at(hero.x, hero.y);
    for (int i = 1; i <= g.enemy_count; i++) {
        const Actor& e = s.actors[size_t(i)];
        int bucket = (e.flags & ACTOR_TRAPPED) ? e.counter / 16 : (e.flags & ACTOR_DEAD) ? e.counter / 8 : 0;
        int cell = cell_at(e.x, e.y);
        if (coarse) {
            const int columns = std::abs(cell % GRID_COLUMNS - hero_cell % GRID_COLUMNS);
            const int rows = std::abs(cell / GRID_COLUMNS - hero_cell / GRID_COLUMNS);
            if (columns + rows > 6)
                cell = 1000 + (cell / GRID_COLUMNS / 2) * 8 + (cell % GRID_COLUMNS) / 4;
            bucket /= 2;
        }
        h = mix(h, uint64_t(cell) << 24 | uint64_t(e.flags & 0x78) << 16 | uint64_t(bucket));
    }
    for (const HoleSlot& hole : s.holes)
        if (hole.timer != 0)
            h = mix(h, uint64_t(hole.cell) << 16 | uint32_t(hole.timer / (coarse ? 60 : 24)));
    h = mix(h, uint64_t(g.schedule_index) << 48 | uint64_t(g.objects_left & 0xff) << 40 |
                   uint64_t(g.flash_status & 3) << 32 | uint64_t(g.hidden_status & 3) << 16 |
                   uint64_t(g.penalty_flags & (PENALTY_TRAPPED | PENALTY_CRUSHED)));
    return h;
}

// States in chunks: growing never moves or copies the states already held.
struct StatePool {
    static constexpr size_t CHUNK = 1024;
    std::vector<std::unique_ptr<SearchState[]>> chunks;
    SearchState& operator[](size_t i) { return chunks[i / CHUNK][i % CHUNK]; }
    void ensure(size_t n)
    {
        while (chunks.size() * CHUNK < n)
            chunks.emplace_back(new SearchState[CHUNK]);
    }
};

// Keys of the states seen: open addressing, key 0 stands for an empty slot.
struct KeySet {
    std::vector<uint64_t> slots = std::vector<uint64_t>(1 << 16, 0);
    size_t used = 0;
    // True when the key was not there before.
    bool insert(uint64_t key)
    {
        key |= key == 0;
        if (2 * (used + 1) > slots.size())
            grow();
        size_t mask = slots.size() - 1;
        for (size_t i = size_t(key * 0x9e3779b97f4a7c15ull >> 20) & mask;; i = (i + 1) & mask) {
            if (slots[i] == key)
                return false;
            if (slots[i] == 0) {
                slots[i] = key;
                used++;
                return true;
            }
        }
    }
    void grow()
    {
        std::vector<uint64_t> old(slots.size() * 2, 0);
        old.swap(slots);
        used = 0;
        for (uint64_t key : old)
            if (key)
                insert(key);
    }
};

struct Node {
    int32_t parent;
    uint32_t input_begin;
    uint32_t input_count;
    int32_t state;   // slot in the state pool, -1 once expanded
};

struct Entry {
    int64_t priority;
    uint64_t order;
    int32_t node;
    bool operator>(const Entry& o) const { return priority != o.priority ? priority > o.priority : order > o.order; }
};

struct Weights {
    bool coarse;           // coarse state keys
    CrumblingView crumbling;   // how the relaxed distance sees a crumbling brick
    int g_percent;         // weight of the ticks spent so far, in percent
    int object_ticks;      // cost of an object not yet collected
    int enemy_near;        // cost of an enemy next to the hero
    int penalty_ticks;     // cost of the first trapping or crushing
    int flash_ticks;       // gain of the flashing object taken first
    int hidden_ticks;      // gain of the hidden bonus
};

// One best-first search in progress: its open list, the states it has seen
// and the input runs of its nodes.
struct Pass {
    Weights weights;
    int64_t expansion_limit;
    int best_score;   // prunes branches that cannot beat an earlier result; -1 none
    std::vector<Node> nodes;
    std::vector<uint8_t> inputs;
    std::vector<int32_t> free_slots;
    KeySet seen;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    uint64_t order = 0;
    size_t pool_used = 0;
    int64_t local_expanded = 0;
};

enum PassEnd { PASS_FOUND, PASS_FAILED, PASS_PAUSED };

// Relaxed distances by a key of what they depend on, one per slot, the
// newest kept.
struct DistanceMemo {
    uint64_t key;   // 0: empty
    int32_t nearest;
    bool missed;
};
constexpr size_t DISTANCE_MEMO_SIZE = size_t(1) << 18;

// What the moves of one state share (see next_move).
struct MoveStarts {
    bool enemy_near;
    MoveEnd wait_end;
    std::array<MoveEnd, 2> dig_end;
    std::array<std::vector<uint8_t>, 2> dig_inputs;
};

// Where the passes stand: first any way out, then better ones.
enum Phase { PHASE_FIRST, PHASE_BETTER, PHASE_DONE };

} // namespace

// Everything solve_level's loop keeps between two slices.
struct SolveSearch {
    SolveOptions options;
    SolveResult result;
    PlayGrid level;        // the grid as it was at the start: every slice leaves it so
    Clock::duration used{};  // processor time spent in the search so far
    Clock::time_point deadline;   // of the slice now running, by the budget
    std::array<uint8_t, GRID_CELLS> target;
    StatePool pool;   // kept between passes
    LevelState root;
    LevelState base;       // the state being expanded
    LevelState current;    // a move's state, from base
    std::array<LevelState, 2> after_dig;   // the digs' ends, where the traps go on
    TickEvents events;     // what the ticks report, unused
    std::vector<DistanceMemo> distance_memo = std::vector<DistanceMemo>(DISTANCE_MEMO_SIZE);
    int64_t expanded = 0;
    int64_t ticks = 0;
    bool out_of_time = false;
    Phase phase = PHASE_FIRST;
    size_t next_pass = 0;   // index in the phase's table of the pass to start
    bool pass_open = false;
    int64_t better_limit = 0;
    Pass pass;

    int estimate(const LevelState& s, uint64_t grid_key, const Weights& w)
    {
        const GameState& g = s.game;
        const Actor& hero = s.actors[0];
        const int at = cell_at(hero.x, hero.y);
        // The objects, or once they are all taken the ladders of the top row.
        const uint8_t wanted = g.objects_left > 0 ? TILE_OBJECT : TILE_LADDER;
        const size_t cells = g.objects_left > 0 ? GRID_CELLS : 2 * GRID_COLUMNS;
        target.fill(0);
        for (size_t cell = 0; cell < cells; cell++)
            target[cell] = s.grid[cell] == wanted;
        int targets = 0;
        for (size_t cell = 0; cell < cells; cell++)
            targets += target[cell];
        // The relaxed distance depends on the grid, the targets, the hero's
        // cell and the crumbling bricks the view sees, not on the enemies:
        // states that differ only there share it, through the memo.
        uint64_t key = mix(mix(grid_key, uint64_t(at) << 8 | uint64_t(w.crumbling)), cells);
        // An object an enemy carries comes back when the enemy is trapped:
        // the way to it is the way to the enemy.
        for (int i = 1; g.objects_left > 0 && i <= g.enemy_count; i++) {
            const Actor& e = s.actors[size_t(i)];
            const int cell = cell_at(e.x, e.y);
            if ((e.flags & (ACTOR_CARRYING | ACTOR_HIDDEN)) == ACTOR_CARRYING && !target[size_t(cell)]) {
                target[size_t(cell)] = 1;
                targets++;
                key = mix(key, uint64_t(cell) | 1u << 16);
            }
        }
        for (const HoleSlot& h : s.holes)
            if (crumbles(s, h, w.crumbling))
                key = mix(key, uint64_t(h.cell) | 2u << 16);
        key |= key == 0;   // 0 marks an empty memo slot
        int left = w.object_ticks * g.objects_left;
        if (targets > 0) {
            DistanceMemo& m = distance_memo[size_t(key) & (DISTANCE_MEMO_SIZE - 1)];
            if (m.key != key) {
                bool missed = false;
                const int nearest =
                    nearest_target(s, at, target, g.objects_left > 0 ? targets : 1, w.crumbling, &missed);
                m = DistanceMemo{key, nearest, missed};
            }
            left += CELL_TICKS * m.nearest;
            // An object left behind out of reach: most likely a dead end.
            if (m.missed && g.objects_left > 0)
                left += UNREACHABLE_TICKS;
        }
        int near = 0;
        for (int i = 1; i <= g.enemy_count; i++) {
            const Actor& e = s.actors[size_t(i)];
            if (e.flags & (ACTOR_TRAPPED | ACTOR_DEAD))
                continue;
            if (std::abs(e.x - hero.x) < 36 && std::abs(e.y - hero.y) < 30)
                near += w.enemy_near;
        }
        return left + near;
    }

    // Cost so far, in ticks, of a state.
    int64_t spent(const GameState& g, int64_t play_ticks, const Weights& w)
    {
        int64_t cost = play_ticks;
        if (g.penalty_flags & PENALTY_TRAPPED)
            cost += w.penalty_ticks;
        if (g.penalty_flags & PENALTY_CRUSHED)
            cost += w.penalty_ticks;
        if (g.flash_status == 1)
            cost -= w.flash_ticks;
        if (g.hidden_status == 1)
            cost -= w.hidden_ticks;
        return cost;
    }

    // Runs a move of base into current, sharing the ticks the moves of one
    // state have in common: the long wait goes on from the short one, a trap
    // from the dig on its side (as a fresh run of it would).
    MoveEnd next_move(int move, Runner& runner, MoveStarts& starts)
    {
        if (move == MOVE_WAIT_LONG && starts.wait_end == MOVE_DONE)
            return wait_ticks(runner, WAIT_LONG_TICKS - WAIT_TICKS);   // current and inputs: the short wait's
        if (move == MOVE_WAIT_LONG)
            return starts.wait_end;   // stuck or dead in the short wait already
        if (move == MOVE_TRAP_LEFT || move == MOVE_TRAP_RIGHT) {
            const size_t side = size_t(move - MOVE_TRAP_LEFT);
            if (!starts.enemy_near)
                return MOVE_STUCK;
            if (starts.dig_end[side] != MOVE_DONE)
                return starts.dig_end[side];
            current = after_dig[side];
            runner.inputs = starts.dig_inputs[side];
            return trap_after_dig(runner, trap_hole(base, side == 0), side == 0);
        }
        current = base;
        runner.inputs.clear();
        const MoveEnd end = run_move(move, runner);
        if (move == MOVE_WAIT)
            starts.wait_end = end;
        if ((move == MOVE_DIG_LEFT || move == MOVE_DIG_RIGHT) && starts.enemy_near) {
            const size_t side = size_t(move - MOVE_DIG_LEFT);
            starts.dig_end[side] = end;
            if (end == MOVE_DONE) {
                after_dig[side] = current;
                starts.dig_inputs[side] = runner.inputs;
            }
        }
        return end;
    }

    // A new best-first search from the root; best_score prunes branches that
    // cannot beat an earlier result (-1: none).
    void open_pass(const Weights& w, int64_t expansion_limit, int best_score)
    {
        pass.weights = w;
        pass.expansion_limit = expansion_limit;
        pass.best_score = best_score;
        pass.nodes.clear();
        pass.inputs.clear();
        pass.free_slots.clear();
        pass.seen = KeySet{};
        pass.open = {};
        pass.order = 0;
        pass.local_expanded = 0;
        pass.pool_used = 1;
        pool.ensure(1);
        pack_state(root, pool[0]);
        pass.nodes.push_back(Node{-1, 0, 0, 0});
        pass.seen.insert(state_key(root, grid_hash(root.grid), w.coarse));
        pass.open.push(Entry{0, pass.order++, 0});
        pass_open = true;
    }

    // The pass's memory back; the state pool stays for the next one.
    void close_pass()
    {
        pass_open = false;
        pass.nodes = {};
        pass.inputs = {};
        pass.free_slots = {};
        pass.seen = KeySet{};
        pass.open = {};
    }

    // The inputs from the root to the node, then `last`, into found.
    void way_to(int32_t node_index, const std::vector<uint8_t>& last, std::vector<uint8_t>* found)
    {
        const Pass& p = pass;
        found->clear();
        for (int32_t n = node_index; n > 0; n = p.nodes[size_t(n)].parent) {
            const Node& node = p.nodes[size_t(n)];
            found->insert(found->begin(), p.inputs.begin() + node.input_begin,
                          p.inputs.begin() + node.input_begin + node.input_count);
        }
        found->insert(found->end(), last.begin(), last.end());
    }

    // Whether a branch at g may still beat the pass's best score (always,
    // when there is none yet).
    bool may_beat_best(const GameState& g)
    {
        if (pass.best_score < 0)
            return true;
        // The most this branch can still score: every object left
        // and the bonus, with no more time lost.
        int potential = g.score + 250 * g.objects_left + (g.hidden_status == 0 ? 10000 : 0) +
                        (g.flashing_cell != NO_CELL ? 7750 : 0);
        return potential > pass.best_score;
    }

    // A state slot of the pool: a freed one, else a new one.
    int32_t take_slot()
    {
        Pass& p = pass;
        if (!p.free_slots.empty()) {
            const int32_t slot = p.free_slots.back();
            p.free_slots.pop_back();
            return slot;
        }
        const int32_t slot = int32_t(p.pool_used++);
        pool.ensure(p.pool_used);
        return slot;
    }

    // current, reached from the parent node by `inputs`, as a new node on
    // the open list, its priority the weighted cost so far and the estimate.
    void add_node(int32_t parent, const std::vector<uint8_t>& inputs, uint64_t grid_key)
    {
        Pass& p = pass;
        const Weights& w = p.weights;
        const LevelState& s = current;
        const GameState& g = s.game;
        const int32_t child_slot = take_slot();
        pack_state(s, pool[size_t(child_slot)]);
        const int32_t child = int32_t(p.nodes.size());
        p.nodes.push_back(Node{parent, uint32_t(p.inputs.size()), uint32_t(inputs.size()), child_slot});
        p.inputs.insert(p.inputs.end(), inputs.begin(), inputs.end());
        const int64_t priority = spent(g, g.play_ticks, w) * w.g_percent / 100 + estimate(s, grid_key, w);
        p.open.push(Entry{priority, p.order++, child});
    }

    // Runs the open pass until it finds a way out (the inputs in found), fails
    // (open list empty, a limit reached, out of budget) or the slice is over
    // at slice_end; it expands at least one state before it pauses.
    PassEnd run(std::chrono::steady_clock::time_point slice_end, std::vector<uint8_t>* found)
    {
        Pass& p = pass;
        const Weights& w = p.weights;
        Runner runner{current, events, {}, 0};
        const LevelState& s = current;
        bool expanded_in_slice = false;
        while (!p.open.empty()) {
            if (expanded_in_slice && std::chrono::steady_clock::now() > slice_end)
                return PASS_PAUSED;
            if ((p.local_expanded & 255) == 0 && Clock::now() > deadline) {
                out_of_time = true;
                return PASS_FAILED;
            }
            if (p.local_expanded >= p.expansion_limit)
                return PASS_FAILED;
            expanded_in_slice = true;
            const Entry top = p.open.top();
            p.open.pop();
            const int32_t slot = p.nodes[size_t(top.node)].state;
            p.nodes[size_t(top.node)].state = -1;
            expanded++;
            p.local_expanded++;
            unpack_state(pool[size_t(slot)], base);
            MoveStarts starts{enemy_near(base), {}, {}, {}};
            for (int move = 0; move < MOVE_COUNT; move++) {
                runner.ticks = 0;
                const MoveEnd end = next_move(move, runner, starts);
                ticks += runner.ticks;
                if (end == MOVE_DEAD || end == MOVE_STUCK)
                    continue;
                if (end == MOVE_EXIT) {
                    if (s.game.score <= p.best_score)
                        continue;
                    way_to(top.node, runner.inputs, found);
                    return PASS_FOUND;
                }
                if (!may_beat_best(s.game))
                    continue;
                const uint64_t grid_key = grid_hash(s.grid);
                if (!p.seen.insert(state_key(s, grid_key, w.coarse)))
                    continue;
                if (int64_t(p.nodes.size()) >= options.max_states) {
                    return PASS_FAILED;
                }
                add_node(top.node, runner.inputs, grid_key);
            }
            p.free_slots.push_back(slot);
        }
        return PASS_FAILED;
    }
};

namespace {

// First any way out, greedily, with finer and then coarser state keys and
// then more weight on the time spent, each pass in turn with the three views
// of a crumbling brick; then searches that weigh the time and the score's
// penalties and bonuses, each bound to beat the best so far.
constexpr struct {
    Weights weights;
    int64_t expansions;
} FIRST[] = {
    {{false, CRUMBLING_BOTH, 25, 400, 60, 600, 0, 0}, 150000},
    {{true, CRUMBLING_BOTH, 25, 400, 60, 600, 0, 0}, 300000},
    {{true, CRUMBLING_BOTH, 60, 400, 60, 600, 0, 0}, INT64_MAX},
    {{false, CRUMBLING_OPEN, 25, 400, 60, 600, 0, 0}, 150000},
    {{true, CRUMBLING_OPEN, 25, 400, 60, 600, 0, 0}, 300000},
    {{true, CRUMBLING_OPEN, 60, 400, 60, 600, 0, 0}, INT64_MAX},
    {{false, CRUMBLING_SOLID, 25, 400, 60, 600, 0, 0}, 150000},
    {{true, CRUMBLING_SOLID, 25, 400, 60, 600, 0, 0}, 300000},
    {{true, CRUMBLING_SOLID, 60, 400, 60, 600, 0, 0}, INT64_MAX},
};
constexpr Weights BETTER[] = {
    {false, CRUMBLING_BOTH, 25, 400, 60, 20000, 0, 0},
    {false, CRUMBLING_BOTH, 50, 300, 60, 20000, 4650, 6000},
};

// Processor time of the search up to now, the slice now running included.
double seconds_used(const SolveSearch& s, Clock::time_point slice_start)
{
    return std::chrono::duration<double>(s.used + (Clock::now() - slice_start)).count();
}

// Starts the next pass of the search, or ends the search when none is left.
void open_next_pass(SolveSearch& s)
{
    if (s.phase == PHASE_FIRST) {
        // A pass that times out makes the rest give up at once.
        if (s.next_pass < std::size(FIRST) && !s.out_of_time) {
            const auto& pass = FIRST[s.next_pass++];
            s.open_pass(pass.weights, pass.expansions, -1);
            return;
        }
        if (s.result.status != SOLVE_FOUND || !s.options.improve) {
            s.phase = PHASE_DONE;
            return;
        }
        s.phase = PHASE_BETTER;
        s.next_pass = 0;
        s.better_limit = std::max<int64_t>(20000, s.expanded * 4);
    }
    if (s.phase == PHASE_BETTER && s.next_pass < std::size(BETTER) && !s.out_of_time) {
        s.open_pass(BETTER[s.next_pass++], s.better_limit, s.result.score);
        return;
    }
    s.phase = PHASE_DONE;
}

// A pass's way out, checked by a replay of its inputs from the level's start.
void take_way_out(SolveSearch& s, const std::vector<uint8_t>& found, Clock::time_point slice_start)
{
    int ticks = 0, score = 0;
    std::vector<uint8_t> whole = s.options.opening;
    whole.insert(whole.end(), found.begin(), found.end());
    const bool exits = play_inputs(s.level, whole, s.options.seed, &ticks, &score);
    SolveResult& r = s.result;
    if (s.phase == PHASE_FIRST) {
        if (!exits)
            return;
        r.status = SOLVE_FOUND;
        r.first_expanded = s.expanded;
        r.first_seconds = seconds_used(s, slice_start);
        r.inputs = whole;
        r.ticks = ticks;
        r.score = score;
        s.next_pass = std::size(FIRST);   // on to the better ones
        return;
    }
    if (exits && (score > r.score || (score == r.score && ticks < r.ticks))) {
        r.inputs = whole;
        r.ticks = ticks;
        r.score = score;
    }
}

// Runs the opening on the level's starting state; the search goes on from
// where it ends. False with a problem when the hero does not live through it
// or has already left.
bool play_opening(LevelState& root, const std::vector<uint8_t>& opening, TickEvents& events, std::string* problem)
{
    const GameState& g = root.game;
    for (size_t i = 0; i < opening.size(); i++) {
        tick(root, opening[i], events);
        if (g.death_count || g.exit_count) {
            *problem = "the opening " + std::string(g.exit_count ? "leaves the level" : "loses the hero") +
                       " on its input " + std::to_string(i + 1) + " of " + std::to_string(opening.size());
            return false;
        }
    }
    return true;
}

} // namespace

void SolveSearchDeleter::operator()(SolveSearch* s) const { delete s; }

SolveSearchHolder solve_begin(const PlayGrid& grid, const SolveOptions& options)
{
    const auto started = Clock::now();
    SolveSearchHolder holder(new SolveSearch);
    SolveSearch& s = *holder;
    s.options = options;
    s.level = grid;
    std::string problem;
    if (!start_level_run(s.level, options.seed, &s.root, &problem) ||
        !play_opening(s.root, options.opening, s.events, &problem)) {
        s.result.status = SOLVE_REFUSED;
        s.result.problem = problem;
        s.phase = PHASE_DONE;
    }
    s.base = s.root;   // the level's snapshot, the same in every state
    s.used = Clock::now() - started;
    s.result.seconds = std::chrono::duration<double>(s.used).count();
    return holder;
}

bool solve_slice(SolveSearch& s, double seconds)
{
    if (s.phase == PHASE_DONE)
        return true;
    const auto slice_start = Clock::now();
    const auto slice_end = std::chrono::steady_clock::now() +
                           std::chrono::microseconds(int64_t(std::min(seconds, 1e9) * 1e6));
    const auto budget = std::chrono::microseconds(int64_t(std::min(s.options.budget_seconds, 1e9) * 1e6));
    s.deadline = slice_start + (budget - s.used);
    while (s.phase != PHASE_DONE) {
        if (!s.pass_open) {
            open_next_pass(s);
            continue;
        }
        std::vector<uint8_t> found;
        const PassEnd end = s.run(slice_end, &found);
        if (end == PASS_PAUSED)
            break;
        s.close_pass();
        if (end == PASS_FOUND) {
            take_way_out(s, found, slice_start);
        }
    }
    if (s.phase == PHASE_DONE)
        s.close_pass();
    s.used += Clock::now() - slice_start;
    s.result.expanded = s.expanded;
    s.result.ticks_simulated = s.ticks;
    s.result.seconds = std::chrono::duration<double>(s.used).count();
    return s.phase == PHASE_DONE;
}

const SolveResult& solve_result(const SolveSearch& search) { return search.result; }

SolveResult solve_level(const PlayGrid& grid, const SolveOptions& options)
{
    SolveSearchHolder search = solve_begin(grid, options);
    while (!solve_slice(*search, 1e9)) {
    }
    return solve_result(*search);
}

namespace {

// The search_spots key of a state: the hero's place and dig, the objects and
// bonuses, the field; the guards and the holes' ages are left out.
uint64_t spot_key(const LevelState& s)
{
    const Actor& hero = s.actors[0];
    const GameState& g = s.game;
    uint64_t h = grid_hash(s.grid);
    h = mix(h, uint64_t(uint32_t(hero.x)) << 32 | uint32_t(hero.y));
    h = mix(h, (hero.flags & ACTOR_DIGGING) ? uint64_t(hero.counter) + 1 : 0);
    h = mix(h, uint64_t(g.objects_left & 0xff) << 40 | uint64_t(g.flash_status & 3) << 32 |
                   uint64_t(g.hidden_status & 3) << 16 | uint64_t(g.penalty_flags & (PENALTY_TRAPPED | PENALTY_CRUSHED)));
    return h | (h == 0);
}

// The moves a spot search tries: one cell each way and the two digs.
constexpr int SPOT_MOVES[] = {MOVE_LEFT, MOVE_RIGHT, MOVE_UP, MOVE_DOWN, MOVE_DIG_LEFT, MOVE_DIG_RIGHT};

struct SpotSearch {
    std::vector<Node> nodes;          // state: slot in states, -1 once expanded
    std::vector<uint8_t> inputs;
    std::vector<PackedState> states;
    std::vector<int32_t> free_slots;
    std::unordered_map<uint64_t, int32_t> best_ticks;   // fewest ticks a key was reached in
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    LevelState base{}, current{};
    TickEvents events{};
    uint64_t order = 1;               // of listing: equal ticks go first in, first out
};


// Runs each of the spot search's moves from the state in s.base, the node
// `top`, and lists every state reached in fewer ticks than before.
void expand_spot(SpotSearch& s, const Entry& top, Runner& runner, int64_t* ticks_run)
{
    for (int move : SPOT_MOVES) {
        s.current = s.base;
        runner.inputs.clear();
        runner.ticks = 0;
        const MoveEnd end = run_move(move, runner);
        *ticks_run += runner.ticks;
        if (end != MOVE_DONE)
            continue;
        const int32_t reached = int32_t(top.priority + int64_t(runner.inputs.size()));
        auto [at, fresh] = s.best_ticks.try_emplace(spot_key(s.current), reached);
        if (!fresh && at->second <= reached)
            continue;
        at->second = reached;
        int32_t child_slot;
        if (!s.free_slots.empty()) {
            child_slot = s.free_slots.back();
            s.free_slots.pop_back();
        } else {
            child_slot = int32_t(s.states.size());
            s.states.emplace_back();
        }
        pack_state(s.current, s.states[size_t(child_slot)]);
        s.nodes.push_back(Node{top.node, uint32_t(s.inputs.size()), uint32_t(runner.inputs.size()), child_slot});
        s.inputs.insert(s.inputs.end(), runner.inputs.begin(), runner.inputs.end());
        s.open.push(Entry{reached, s.order++, int32_t(s.nodes.size() - 1)});
    }
}

} // namespace

SpotSearchResult search_spots(const LevelState& from, const SpotSearchOptions& options, const SpotValue& value)
{
    SpotSearchResult result;
    auto holder = std::make_unique<SpotSearch>();
    SpotSearch& s = *holder;
    s.base = from;   // the level's snapshot, the same in every state
    s.states.reserve(size_t(std::max(1, options.max_states)));
    s.states.emplace_back();
    pack_state(from, s.states[0]);
    s.nodes.push_back(Node{-1, 0, 0, 0});
    s.best_ticks[spot_key(from)] = 0;
    s.open.push(Entry{0, 0, 0});
    int32_t best_node = -1;
    Runner runner{s.current, s.events, {}, 0};
    while (!s.open.empty()) {
        const Entry top = s.open.top();
        s.open.pop();
        Node& node = s.nodes[size_t(top.node)];
        const int32_t slot = node.state;
        node.state = -1;
        unpack_state(s.states[size_t(slot)], s.base);
        s.free_slots.push_back(slot);
        // Reached faster by another way since it was put on the list.
        if (s.best_ticks[spot_key(s.base)] < top.priority)
            continue;
        const int rated = value(s.base, int(top.priority));
        if (rated > result.value) {
            result.value = rated;
            result.ticks = int(top.priority);
            best_node = top.node;
        }
        if (top.priority >= options.max_ticks || int(s.nodes.size()) >= options.max_states)
            continue;
        expand_spot(s, top, runner, &result.ticks_run);
    }
    result.states = int(s.nodes.size());
    for (int32_t n = best_node; n > 0; n = s.nodes[size_t(n)].parent) {
        const Node& node = s.nodes[size_t(n)];
        result.inputs.insert(result.inputs.begin(), s.inputs.begin() + node.input_begin,
                             s.inputs.begin() + node.input_begin + node.input_count);
    }
    return result;
}
