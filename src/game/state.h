// The running level's scores, counters and flags: one plain record, reset
// at every level start, that a copy saves and restores as a whole.
#pragma once
#include <cstdint>

struct HiddenCandidates {
    int32_t cells[3];
    int32_t count;
};

struct GameState {
    int32_t score;
    int32_t time_bonus;
    int32_t subsecond_ticks;
    int32_t seconds;
    int32_t play_ticks;
    uint8_t top_line_stale;
    int32_t best_score;
    int32_t best_ticks;
    int32_t best_seconds;
    char best_name[17];
    int32_t flash_status;     // -1 none in the level, 0 not (yet) first, 1 taken first
    int32_t hidden_status;    // -1 no hidden enemy, 0 bonus not taken, 1 taken
    int32_t penalty_flags;    // bit 0 trapped, bit 1 crushed
    int32_t objects_left;
    int32_t enemy_count;
    int32_t schedule_index;
    HiddenCandidates hidden_candidates;
    int32_t flashing_cell;    // grid index, or -1 for none
    int32_t flash_sprite;
    int32_t flash_x, flash_y;
    int32_t flash_counter;
    uint8_t exit_count;
    uint8_t death_count;
    bool waiting_for_input;
    uint8_t cycle_counter;    // 0..23, the rules' only source of variation
};

extern GameState game_state;
