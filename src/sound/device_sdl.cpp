// The audio device: SDL's audio opened at 11025 Hz mono 8-bit, its callback
// mixing the channels, and the wait for them to finish as a modal screen.
// The only sound file that calls SDL.
#include "sound/sound.h"

#include <SDL/SDL.h>
#include <cstdio>

#include "core/modal.h"
#include "core/settings.h"
#include "picture/datafile.h"
#include "platform/audio.h"

namespace {

constexpr char SOUND_FILES[SOUND_COUNT][12] = {"fall.wav", "dig.wav", "pop.wav", "victory.wav", "death.wav"};

// The channels are looked at every 100 ms, the first time 100 ms after the
// wait began, so a wait lasts whole tenths of a second, the sound's length
// rounded up.
constexpr uint32_t QUIET_CHECK_MS = 100;

bool sound_wait_step(Session&, ModalScreen& screen, bool)
{
    const uint32_t now = SDL_GetTicks();
    if (int32_t(now - screen.next_check_ms) < 0)
        return false;
    screen.next_check_ms += QUIET_CHECK_MS;
    return sounds_done();
}

void close_device()
{
    SDL_CloseAudio();
    sound_state.open = false;
    sound_state.lock = nullptr;
    sound_state.unlock = nullptr;
}

bool fail_loading()
{
    close_device();
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
    sound_state.lock = SDL_LockAudio;
    sound_state.unlock = SDL_UnlockAudio;
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
        EffectSamples& effect_samples = sound_state.samples[effect];
        free_effect_samples(effect_samples.data);   // a second opening replaces what the first loaded
        effect_samples = EffectSamples{};
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
    close_device();
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

void wait_sounds_then(Session& session, ModalEnd then, int arg)
{
    if (!sound_enabled) {
        then(session, arg);   // nothing plays: nothing to wait for
        return;
    }
    ModalScreen& screen = open_modal_screen(ModalKind::SOUND_WAIT, sound_wait_step, then, arg);
    screen.next_check_ms = SDL_GetTicks() + QUIET_CHECK_MS;
}
