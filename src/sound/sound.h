// The five sound effects: loaded and converted once, mixed by SDL's audio
// callback, one channel each.
#pragma once
#include <cstdint>

#include "core/modal.h"

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
// Closes the audio at once: what still plays is cut (the frame loop lets
// the effects end before the program ends).
void close_sound();
int play_sound(int effect);
void stop_sound(int effect);
void stop_all_sounds();
// True when no effect is playing (always without sound).
bool sounds_done();
// Waits for the effects to end as a modal screen the frame loop steps (no
// frame runs meanwhile), then runs then(arg); without sound at once.
void wait_sounds_then(ModalEnd then, int arg);
void mix_sounds(void* userdata, uint8_t* stream, int length);
