// The five sound effects: loaded and converted once, mixed by the audio
// device's callback, one channel each. Playing and stopping them
// (sound/sound.cpp) takes no window system, so the view's events link
// without one; the device (sound/device_sdl.cpp) opens, mixes and waits.
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

inline bool channel_playing(const SoundChannel& c) { return c.position != c.length; }

// An effect as 8-bit mono samples at the mixer's rate.
struct EffectSamples {
    uint8_t* data;
    uint32_t length;
};

// The one audio device's channels and what they play.
struct SoundState {
    SoundChannel channels[SOUND_COUNT];
    EffectSamples samples[SOUND_COUNT];
    bool open;
    // The device's lock around changes to the channels its callback reads;
    // set while the device is open.
    void (*lock)();
    void (*unlock)();
};

extern SoundState sound_state;
inline constexpr auto& sound_channels = sound_state.channels;
inline constexpr bool& sound_open = sound_state.open;

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
void wait_sounds_then(Session& session, ModalEnd then, int arg);
void mix_sounds(void* userdata, uint8_t* stream, int length);
