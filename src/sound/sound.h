// The five sound effects: loaded and converted once, mixed by SDL's audio
// callback, one channel each.
#pragma once
#include <cstdint>

enum SoundEffect { SOUND_FALL = 0, SOUND_DIG = 1, SOUND_POP = 2, SOUND_VICTORY = 3, SOUND_DEATH = 4 };
constexpr int SOUND_COUNT = 5;

struct SoundChannel {
    const uint8_t* data;
    uint32_t position;   // bytes already mixed
    uint32_t length;     // 0 after a stop
};

extern SoundChannel sound_channels[SOUND_COUNT];
extern bool sound_open;

bool open_sound();   // false when it failed (the message is printed)
void close_sound();
int play_sound(int effect);
void stop_sound(int effect);
void stop_all_sounds();
void wait_sounds_done();
void mix_sounds(void* userdata, uint8_t* stream, int length);
