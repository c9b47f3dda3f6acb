#include "platform/audio.h"

#include <SDL/SDL.h>
#include <cstdlib>
#include <cstring>

bool load_effect_samples(const char* path, uint8_t** samples, uint32_t* length, const char** reason)
{
    SDL_AudioSpec wav;
    Uint8* data = nullptr;
    Uint32 wav_length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1, &wav, &data, &wav_length)) {
        *reason = SDL_GetError();
        return false;
    }
    SDL_AudioCVT cvt{};
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_U8, 1, 11025) < 0) {
        *reason = SDL_GetError();
        SDL_FreeWAV(data);
        return false;
    }
    cvt.buf = static_cast<Uint8*>(malloc(size_t(wav_length) * size_t(cvt.len_mult)));
    if (!cvt.buf) {
        *reason = "out of memory";
        SDL_FreeWAV(data);
        return false;
    }
    memcpy(cvt.buf, data, wav_length);
    cvt.len = int(wav_length);
    SDL_ConvertAudio(&cvt);
    SDL_FreeWAV(data);
    *samples = cvt.buf;
    *length = uint32_t(cvt.len_cvt);
    return true;
}

void free_effect_samples(uint8_t* samples) { free(samples); }

// SDL has filled the buffer with silence before calling the mixer.
void begin_mix(uint8_t*, int) {}

void mix_samples(uint8_t* stream, const uint8_t* samples, uint32_t length)
{
    SDL_MixAudio(stream, samples, length, SDL_MIX_MAXVOLUME);
}
