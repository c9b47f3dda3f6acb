#include "platform/audio.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Emscripten's SDL plays no rate below 22050 Hz: it opens the game's
// 11025 Hz mixer at 22050. Each sample is then played twice, as SDL's rate
// doubling on the desktop does, so the effects keep their pitch and length.
constexpr uint32_t RATE_FACTOR = 2;

uint32_t little_endian(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = (value << 8) | p[i];
    return value;
}

// The fmt chunk of `size` bytes, the file after it: nullptr when it is
// 8-bit mono PCM at 11025 Hz, else why it cannot be played.
const char* read_format_chunk(FILE* file, uint32_t size)
{
    uint8_t format[16];
    if (size < 16 || fread(format, 1, 16, file) != 16)
        return "damaged format chunk";
    if (little_endian(format, 2) != 1 || little_endian(format + 2, 2) != 1 ||
        little_endian(format + 4, 4) != 11025 || little_endian(format + 14, 2) != 8)
        return "not 8-bit mono PCM at 11025 Hz";
    if (fseek(file, long(size - 16 + (size & 1)), SEEK_CUR) != 0)
        return "damaged format chunk";
    return nullptr;
}

// The data chunk's `size` samples, each played RATE_FACTOR times, into
// *samples and *length: nullptr when read, else why not.
const char* read_data_chunk(FILE* file, uint32_t size, uint8_t** samples, uint32_t* length)
{
    uint8_t* data = static_cast<uint8_t*>(malloc(size * RATE_FACTOR + 1));
    if (!data)
        return "out of memory";
    if (fread(data, 1, size, file) != size) {
        free(data);
        return "sample data cut short";
    }
    for (uint32_t i = size; i-- > 0;)
        for (uint32_t k = 0; k < RATE_FACTOR; k++)
            data[i * RATE_FACTOR + k] = data[i];
    *samples = data;
    *length = size * RATE_FACTOR;
    return nullptr;
}

} // namespace

// A RIFF WAVE file of unsigned 8-bit mono PCM at 11025 Hz: the format the
// game's sound generator writes; delivered at the rate the browser plays.
bool load_effect_samples(const char* path, uint8_t** samples, uint32_t* length, const char** reason)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        *reason = "cannot open the file";
        return false;
    }
    uint8_t header[12];
    if (fread(header, 1, 12, file) != 12 || memcmp(header, "RIFF", 4) != 0 || memcmp(header + 8, "WAVE", 4) != 0) {
        fclose(file);
        *reason = "not a WAVE file";
        return false;
    }
    bool format_seen = false;
    for (;;) {
        uint8_t chunk[8];
        if (fread(chunk, 1, 8, file) != 8) {
            *reason = "no sample data";
            break;
        }
        const uint32_t size = little_endian(chunk + 4, 4);
        if (memcmp(chunk, "fmt ", 4) == 0) {
            if (const char* why = read_format_chunk(file, size)) {
                *reason = why;
                break;
            }
            format_seen = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            if (!format_seen) {
                *reason = "sample data before the format";
                break;
            }
            if (const char* why = read_data_chunk(file, size, samples, length)) {
                *reason = why;
                break;
            }
            fclose(file);
            return true;
        } else if (fseek(file, long(size + (size & 1)), SEEK_CUR) != 0) {
            *reason = "damaged chunk";
            break;
        }
    }
    fclose(file);
    return false;
}

void free_effect_samples(uint8_t* samples) { free(samples); }

// The browser's SDL hands the mixer its buffer as the last call left it.
void begin_mix(uint8_t* stream, int length) { memset(stream, 128, size_t(length)); }

// Unsigned 8-bit samples around 128: their offsets add, clipped to 0..255,
// as SDL mixes them on the desktop.
void mix_samples(uint8_t* stream, const uint8_t* samples, uint32_t length)
{
    for (uint32_t i = 0; i < length; i++) {
        int mixed = int(stream[i]) + int(samples[i]) - 128;
        stream[i] = uint8_t(mixed < 0 ? 0 : (mixed > 255 ? 255 : mixed));
    }
}
