// The enemy path planner: per-column row sets and a search for the way
// towards the hero.
#include "game/game.h"


namespace {

struct PlannerSearch {
    uint32_t best;
    int32_t window;
    int result;
    int direction;
};

int32_t& enterable(PlannerMasks& m, int c) { return m.enterable[size_t(c + 1)]; }

int hero_column(const LevelState& s) { return col_of[size_t(s.actors[0].x)] - 2; }
int hero_row(const LevelState& s) { return row_of[size_t(s.actors[0].y)]; }

// The highest of rows 0..15 in the set, as a set.
int32_t highest_bit(int32_t rows)
{
    const uint32_t low = uint32_t(rows) & 0xffff;
    return low ? int32_t(1u << (31 - __builtin_clz(low))) : 0;
}

int32_t lowest_bit(int32_t rows) { return rows & -rows; }

// The candidate test of a climb (highest stop) or a descent (lowest stop).
int try_stop(const LevelState& level, PlannerSearch& s, int32_t rows, uint32_t distance, bool climb)
{
    if (rows == 0)
        return 1;
    int32_t stop = (climb ? highest_bit(rows & 0xffff) : lowest_bit(rows & 0xffff)) & s.window;
    if (stop == 0)
        return 1;
    if (stop & level.planner.rows_above_hero) {
        s.window = (-2 * stop) & level.planner.rows_above_hero;
        if (s.window != 0) {
            s.result = s.direction;
            return s.direction;
        }
        // The way ends in the hero's own row.
        s.window = 1 << hero_row(level);
        if (distance < s.best) {
            s.best = distance;
            s.result = s.direction;
        }
        return 0;
    }
    s.window = stop - 1;
    s.result = s.direction;
    return s.direction;
}

} // namespace

void forget_planner_answers(PlannerMasks& m)
{
    m.answers.cell.fill(-1);
}

void build_planner_masks(LevelState& s)
{
    PlannerMasks& planner = s.planner;
    for (int c = 0; c < FIELD_COLUMNS; c++) {
        int32_t not_ladder = 1, stand = 0, enter = 0, floor = 0;
        for (int r = 1; r <= FIELD_ROWS; r++) {
            int i = GRID_COLUMNS * r + c + 2;
            int t = s.grid[size_t(i)], below = s.grid[size_t(i + 28)];
            if (t != TILE_LADDER)
                not_ladder |= 1 << r;
            if (in_class(t, CLASS_HANG) || in_class(below, CLASS_STAND_BELOW))
                stand |= 1 << r;
            if (in_class(t, CLASS_ENTERABLE))
                enter |= 1 << r;
            if (in_class(below, CLASS_FLOOR))
                floor |= 1 << r;
        }
        planner.not_ladder[size_t(c)] = not_ladder;
        planner.stand[size_t(c)] = stand;
        enterable(planner, c) = enter;
        planner.floor_below[size_t(c)] = floor;
    }
    enterable(planner, -1) = 0;
    enterable(planner, 24) = 0;
    planner.masks_valid = false;
    forget_planner_answers(planner);
}

void build_hero_masks(LevelState& s)
{
    PlannerMasks& planner = s.planner;
    const int hc = hero_column(s), hr = hero_row(s);
    planner.rows_above_hero = (2 << hr) - 1;
    planner.rows_below_hero = -(1 << hr);
    for (int c = 0; c < FIELD_COLUMNS; c++) {
        int n = c < hc ? c + 1 : (c > hc ? c - 1 : c);
        int32_t t = planner.stand[size_t(c)] & planner.stand[size_t(n)] & enterable(planner, n);
        planner.up_stop[size_t(c)] = (t & planner.rows_above_hero) | planner.not_ladder[size_t(c)];
        planner.down_stop[size_t(c)] = (t & planner.rows_below_hero) | planner.floor_below[size_t(c)];
    }
    planner.masks_valid = true;
    forget_planner_answers(planner);
}

void open_hole_column_bit(LevelState& s, int cell)
{
    PlannerMasks& planner = s.planner;
    enterable(planner, (cell - 2) % GRID_COLUMNS) |= 1 << ((cell - 2) / GRID_COLUMNS);
    planner.masks_valid = false;
    forget_planner_answers(planner);
}

void close_hole_column_bit(LevelState& s, int cell)
{
    PlannerMasks& planner = s.planner;
    enterable(planner, (cell - 2) % GRID_COLUMNS) &= ~(1 << ((cell - 2) / GRID_COLUMNS));
    planner.masks_valid = false;
    forget_planner_answers(planner);
}

namespace {

int plan_afresh(LevelState& level, int x, int y)
{
    PlannerMasks& planner = level.planner;
    const int hc = hero_column(level), hr = hero_row(level);
    const int ec = col_of[size_t(x)] - 2, er = row_of[size_t(y)];
    const int32_t b = 1 << er;
    if (hr == er) {
        if (hc == ec)
            return 0;
        const int step = hc > ec ? 1 : -1;
        bool clear = true;
        for (int j = ec; j != hc; j += step)
            if (!(enterable(planner, j) & planner.stand[size_t(j)] & b)) {
                clear = false;
                break;
            }
        if (clear)
            return step > 0 ? 4 : 3;
    }
    const int32_t below = -b * 2, above = b - 1;
    PlannerSearch s{100, 0xffff, 0, 0};
    if (!(planner.not_ladder[size_t(ec)] & b)) {
        s.direction = 1;
        if (!try_stop(level, s, planner.up_stop[size_t(ec)] & above, 0, true))
            return s.result;
    }
    if (!(planner.floor_below[size_t(ec)] & b)) {
        s.direction = 2;
        if (!try_stop(level, s, planner.down_stop[size_t(ec)] & below & s.window, 0, false))
            return s.result;
    }
    for (int direction : {3, 4}) {
        s.direction = direction;
        const int step = direction == 3 ? -1 : 1;
        for (int j = ec + step;; j += step) {
            const uint32_t distance = uint32_t(j > ec ? j - ec : ec - j);
            if (!(enterable(planner, j) & b))
                break;
            if (!(planner.floor_below[size_t(j)] & b) &&
                !try_stop(level, s, planner.down_stop[size_t(j)] & below, distance, false))
                break;
            if (!(planner.stand[size_t(j)] & b))
                break;
            if (!(planner.not_ladder[size_t(j)] & b) &&
                !try_stop(level, s, planner.up_stop[size_t(j)] & above, distance, true))
                break;
        }
    }
    return s.result;
}

} // namespace

int plan_move(LevelState& level, int x, int y)
{
    // Several turns of an enemy start in one cell: the answer is kept.
    PlannerMasks& planner = level.planner;
    const int cell = cell_at(x, y);
    const size_t slot = size_t(cell) % planner.answers.cell.size();
    if (planner.answers.cell[slot] == cell)
        return planner.answers.direction[slot];
    const int direction = plan_afresh(level, x, y);
    planner.answers.cell[slot] = int16_t(cell);
    planner.answers.direction[slot] = int8_t(direction);
    return direction;
}
