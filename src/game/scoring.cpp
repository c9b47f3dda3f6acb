// The clock, the score, penalties and the escape ladders.
#include "game/game.h"

void update_clock(LevelState& s, TickEvents& ev)
{
    GameState& g = s.game;
    if (g.waiting_for_input)
        return;
    g.play_ticks++;
    ev.add(EVENT_CLOCK);
    if (++g.subsecond_ticks == 60) {
        g.subsecond_ticks = 0;
        if (g.time_bonus > 0) {
            g.time_bonus--;
            g.score = g.score > 100 ? g.score - 100 : 0;
        }
        g.seconds++;
        ev.score_changed = true;
    }
}

void charge_penalty(LevelState& s, int32_t penalty, const char* message, TickEvents& ev)
{
    GameState& g = s.game;
    if (!(g.penalty_flags & penalty)) {
        g.score = g.score > 10000 ? g.score - 10000 : 0;
        ev.add(EVENT_MESSAGE, 0, 0, message);
        ev.add(EVENT_BONUS_ICON, ICON_PENALTY, penalty);   // it replaces the other penalty icon
        ev.score_changed = true;
    }
    g.penalty_flags |= penalty;
}

void object_collected(LevelState& s, TickEvents& ev)
{
    GameState& g = s.game;
    if (--g.objects_left != 0)
        return;
    ev.add(EVENT_BONUS_ICON, ICON_SAFE);
    ev.add(EVENT_MESSAGE, 0, 0, "SAFE TO EXIT");
    for (int i = 0; i < GRID_CELLS; i++) {
        if (s.snapshot[size_t(i)] == TILE_ESCAPE_LADDER) {
            s.grid[size_t(i)] = TILE_LADDER;
            ev.add(EVENT_CELL_PICTURE, TILE_LADDER, i);
        }
    }
    build_planner_masks(s);
}

bool play_is_better(const GameState& g, int best_score, int best_ticks)
{
    return g.score > best_score || (g.score == best_score && g.play_ticks < best_ticks);
}
