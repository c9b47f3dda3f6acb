// Holes: digging, the hole timeline, refilling, and crushing what is inside.
#include "game/game.h"

void start_hole(LevelState& s, int b, TickEvents& ev)
{
    GameState& g = s.game;
    ev.add(EVENT_SOUND_START, GAME_SOUND_DIG);
    HiddenCandidates& hc = g.hidden_candidates;
    for (int i = 0; i < hc.count; i++) {
        if (hc.cells[i] != b)
            continue;
        hc.cells[i] = hc.cells[--hc.count];
        // The first candidate dug in a tick with an odd counter, or else the
        // last one, releases the hidden enemy; the others were decoys.
        if (hc.count == 0 || (g.cycle_counter & 1)) {
            hc.count = 0;
            release_hidden_enemy(s, b, ev);
        }
        break;
    }
    for (HoleSlot& h : s.holes) {
        if (h.timer == 0) {
            h = HoleSlot{cell_x(b), cell_y(b), b, -1};
            g.holes_in_use++;
            return;
        }
    }
}

namespace {

int first_enemy_in(const LevelState& s, int cell)
{
    int m = s.occupancy[size_t(cell)] & OCCUPANCY_ENEMIES;
    for (int i = 1; i <= s.game.enemy_count; i++)
        if (s.actors[size_t(i)].actor_bit & m)
            return i;
    return 0;
}

} // namespace

void update_holes(LevelState& s, TickEvents& ev)
{
    if (s.game.waiting_for_input)
        return;
    // The slots in use, in slot order; the rest are not looked at.
    int to_visit = s.game.holes_in_use;
    for (size_t slot = 0; slot < s.holes.size() && to_visit > 0; slot++) {
        HoleSlot& h = s.holes[slot];
        const int figure = FIGURE_HOLE_BASE + int(slot);
        if (h.timer == 0)
            continue;
        to_visit--;
        if (++h.timer == 0)
            h.timer++;   // dug in this frame: its first frame is t = 1
        const int t = h.timer;
        const int b = h.cell;
        if (t < 12 && (s.grid[size_t(b - 28)] == TILE_BRICK || s.occupancy[size_t(b - 28)] != 0)) {
            // Something stepped in front of the digging hero: the dig fails.
            ev.add(EVENT_SOUND_STOP, GAME_SOUND_DIG);
            s.grid[size_t(b)] = TILE_BRICK;
            if (t > 1)
                ev.add(EVENT_FIGURE_GONE, figure);
            s.actors[0].flags &= ~ACTOR_DIGGING;
            h.timer = 0;
            s.game.holes_in_use--;
            continue;
        }
        switch (t) {
        case 1:
            s.grid[size_t(b)] = TILE_SOLID;
            ev.add(EVENT_FIGURE_NEW, figure);
            break;
        case 25:
            ev.add(EVENT_FIGURE_GONE, figure);
            if (s.occupancy[size_t(b)] & OCCUPANCY_ENEMIES) {
                s.grid[size_t(b)] = TILE_SOLID;   // shut with an enemy inside
            } else {
                s.grid[size_t(b)] = TILE_OPEN_HOLE;
                open_hole_column_bit(s, b);
            }
            ev.add(EVENT_CELL_PICTURE, TILE_OPEN_HOLE, b);
            break;
        case 336:
            ev.add(EVENT_FIGURE_NEW, figure);
            ev.add(EVENT_CELL_PICTURE, TILE_BRICK, b);
            break;
        case 360:
            ev.add(EVENT_FIGURE_GONE, figure);
            h.timer = 0;
            s.game.holes_in_use--;
            s.grid[size_t(b)] = TILE_BRICK;
            close_hole_column_bit(s, b);
            if (int e = first_enemy_in(s, b))
                crush_enemy(s, e, ev);
            break;
        default:
            break;
        }
    }
}

void crush_enemy(LevelState& s, int enemy, TickEvents& ev)
{
    Actor& e = s.actors[size_t(enemy)];
    GameState& g = s.game;
    if (e.flags & ACTOR_DEAD)
        return;
    e.flags &= ~ACTOR_TRAPPED;
    e.flags |= ACTOR_DEAD;
    if (!(e.flags & ACTOR_HIDDEN)) {
        charge_penalty(s, PENALTY_CRUSHED, "-10000 Killing ", ev);
        g.penalty_flags |= PENALTY_TRAPPED;   // a crush counts as a trapping too
    }
    e.counter = 0;
}
