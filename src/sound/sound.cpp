#include "sound/sound.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "core/modal.h"
#include "core/settings.h"
#include "picture/datafile.h"
#include "platform/audio.h"

SoundChannel sound_channels[SOUND_COUNT];
bool sound_open;

namespace {

const char* const SOUND_FILES[SOUND_COUNT] = {"fall.wav", "dig.wav", "pop.wav", "victory.wav", "death.wav"};

// Each effect as 8-bit mono samples at the mixer's rate.
struct Samples {
    uint8_t* data;
    uint32_t length;
};
Samples samples[SOUND_COUNT];

bool channel_playing(const SoundChannel& c) { return c.position != c.length; }

void stop_channel(int effect)
{
    SDL_LockAudio();
    sound_channels[effect].length = 0;
    sound_channels[effect].position = 0;
    SDL_UnlockAudio();
}

// The channels are looked at every 100 ms, the first time 100 ms after the
// wait began, so a wait lasts whole tenths of a second, the sound's length
// rounded up.
constexpr uint32_t QUIET_CHECK_MS = 100;

bool sound_wait_step(ModalScreen& screen, bool)
{
    const uint32_t now = SDL_GetTicks();
    if (int32_t(now - screen.next_check_ms) < 0)
        return false;
    screen.next_check_ms += QUIET_CHECK_MS;
    return sounds_done();
}

bool fail_loading()
{
    SDL_CloseAudio();
    sound_open = false;
    return false;
}

} // namespace

void mix_sounds(void*, uint8_t* stream, int length)
{
    // The buffer starts silent; every channel adds to it.
    begin_mix(stream, length);
    for (SoundChannel& c : sound_channels) {
        uint32_t n = c.length - c.position;
        if (n > uint32_t(length))
            n = uint32_t(length);
        if (n > 0 && c.data)
            mix_samples(stream, c.data + c.position, n);
        c.position += n;
    }
}

bool open_sound()
{
    SDL_AudioSpec wanted{};
    wanted.freq = 11025;
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = 512;
    wanted.callback = mix_sounds;
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        fprintf(stderr, "Unable to open audio: %s\n", SDL_GetError());
        return false;
    }
    // The mixer is still paused: no channel may point into the samples an
    // earlier opening loaded, which are replaced below.
    for (SoundChannel& c : sound_channels)
        c = SoundChannel{};
    for (int effect = 0; effect < SOUND_COUNT; effect++) {
        char path[PATH_BUFFER_SIZE];
        if (!find_data_file(path, SOUND_FILES[effect])) {
            fprintf(stderr, "Paths exhausted for file %s\n", path);
            return fail_loading();
        }
        Samples& effect_samples = samples[effect];
        free_effect_samples(effect_samples.data);   // a second opening replaces what the first loaded
        effect_samples = Samples{};
        const char* reason = nullptr;
        if (!load_effect_samples(path, &effect_samples.data, &effect_samples.length, &reason)) {
            fprintf(stderr, "Couldn't load %s: %s\n", path, reason);
            return fail_loading();
        }
    }
    sound_open = true;
    SDL_PauseAudio(0);
    return true;
}

void close_sound()
{
    if (!sound_open)
        return;
    SDL_CloseAudio();
    sound_open = false;
}

int play_sound(int effect)
{
    if (!sound_enabled || !sound_open || effect < 0 || effect >= SOUND_COUNT)
        return effect;
    if (channel_playing(sound_channels[effect]))
        stop_channel(effect);
    SDL_LockAudio();
    sound_channels[effect].data = samples[effect].data;
    sound_channels[effect].length = samples[effect].length;
    sound_channels[effect].position = 0;
    SDL_UnlockAudio();
    return effect;
}

void stop_sound(int effect)
{
    if (!sound_enabled || effect < 0 || effect >= SOUND_COUNT)
        return;
    stop_channel(effect);
}

void stop_all_sounds()
{
    if (!sound_enabled)
        return;
    for (int effect = 0; effect < SOUND_COUNT; effect++)
        stop_channel(effect);
}

bool sounds_done()
{
    if (!sound_enabled)
        return true;
    SDL_LockAudio();
    bool playing = false;
    for (const SoundChannel& c : sound_channels)
        playing = playing || channel_playing(c);
    SDL_UnlockAudio();
    return !playing;
}

void wait_sounds_then(ModalEnd then, int arg)
{
    if (!sound_enabled) {
        then(arg);   // nothing plays: nothing to wait for
        return;
    }
    ModalScreen& screen = open_modal_screen(ModalKind::SOUND_WAIT, sound_wait_step, then, arg);
    screen.next_check_ms = SDL_GetTicks() + QUIET_CHECK_MS;
}
