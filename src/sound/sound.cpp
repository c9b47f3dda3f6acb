#include "sound/sound.h"

// Sound effects are not loaded yet: the game runs silent.
int open_sound() { return 0; }
void close_sound() {}
int play_sound(int effect) { return effect; }
void stop_sound(int) {}
void stop_all_sounds() {}
void wait_sounds_done() {}
