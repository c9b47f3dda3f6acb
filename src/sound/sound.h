// The five sound effects.
#pragma once

enum SoundEffect { SOUND_FALL = 0, SOUND_DIG = 1, SOUND_POP = 2, SOUND_VICTORY = 3, SOUND_DEATH = 4 };

int open_sound();   // 0 on success, 1 on failure
void close_sound();
int play_sound(int effect);
void stop_sound(int effect);
void stop_all_sounds();
void wait_sounds_done();
