// Holes: digging, the hole timeline, refilling, and crushing what is inside.
#include "core/flags.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "sound/sound.h"
#include "picture/artwork.h"

std::array<HoleSlot, HOLE_SLOTS> holes;

void start_hole(int b)
{
    GameState& g = game_state;
    play_sound(SOUND_DIG);
    HiddenCandidates& hc = g.hidden_candidates;
    for (int i = 0; i < hc.count; i++) {
        if (hc.cells[i] != b)
            continue;
        hc.cells[i] = hc.cells[--hc.count];
        // The first candidate dug in a tick with an odd counter, or else the
        // last one, releases the hidden enemy; the others were decoys.
        if (hc.count == 0 || (g.cycle_counter & 1)) {
            hc.count = 0;
            release_hidden_enemy(b);
        }
        break;
    }
    for (HoleSlot& h : holes) {
        if (h.timer == 0) {
            h = HoleSlot{cell_x(b), cell_y(b), b, -1, -1};
            return;
        }
    }
}

namespace {

void release_hole_sprite(HoleSlot& h)
{
    release_sprite(h.sprite);
    h.sprite = -1;
}

int first_enemy_in(int cell)
{
    int m = occupancy[size_t(cell)] & OCCUPANCY_ENEMIES;
    for (int i = 1; i <= game_state.enemy_count; i++)
        if (actors[size_t(i)].actor_bit & m)
            return i;
    return 0;
}

} // namespace

void update_holes()
{
    if (!game_active || game_state.waiting_for_input)
        return;
    for (HoleSlot& h : holes) {
        if (h.timer == 0)
            continue;
        if (++h.timer == 0)
            h.timer++;   // dug in this frame: its first frame is t = 1
        const int t = h.timer;
        const int b = h.cell;
        if (t < 12 && (play_grid[size_t(b - 28)] == TILE_BRICK || occupancy[size_t(b - 28)] != 0)) {
            // Something stepped in front of the digging hero: the dig fails.
            stop_sound(SOUND_DIG);
            play_grid[size_t(b)] = TILE_BRICK;
            release_hole_sprite(h);
            actors[0].flags &= ~ACTOR_DIGGING;
            h.timer = 0;
            continue;
        }
        switch (t) {
        case 1:
            play_grid[size_t(b)] = TILE_SOLID;
            h.sprite = alloc_sprite();
            break;
        case 25:
            release_hole_sprite(h);
            if (occupancy[size_t(b)] & OCCUPANCY_ENEMIES) {
                play_grid[size_t(b)] = TILE_SOLID;   // shut with an enemy inside
            } else {
                play_grid[size_t(b)] = TILE_OPEN_HOLE;
                open_hole_column_bit(b);
            }
            draw_grid_image(b, SQUARE_OPEN_HOLE);
            break;
        case 336:
            h.sprite = alloc_sprite();
            draw_grid_image(b, tile_square(TILE_BRICK, cell_variant[size_t(b)]));
            break;
        case 360:
            release_hole_sprite(h);
            h.timer = 0;
            play_grid[size_t(b)] = TILE_BRICK;
            close_hole_column_bit(b);
            if (int e = first_enemy_in(b))
                crush_enemy(e);
            break;
        default:
            break;
        }
    }
}

void crush_enemy(int enemy)
{
    Actor& e = actors[size_t(enemy)];
    GameState& g = game_state;
    if (e.flags & ACTOR_DEAD)
        return;
    e.flags &= ~ACTOR_TRAPPED;
    e.flags |= ACTOR_DEAD;
    if (!(e.flags & ACTOR_HIDDEN)) {
        charge_penalty(PENALTY_CRUSHED, "-10000 Killing ", SQUARE_CRUSH_PENALTY);
        g.penalty_flags |= PENALTY_TRAPPED;   // a crush counts as a trapping too
    }
    e.counter = 0;
}
