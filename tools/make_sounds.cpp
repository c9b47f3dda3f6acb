// Synthesises the five sound effects as 8-bit mono WAV files at 11025 Hz:
//   make_sounds OUTPUT_DIR
// Deterministic: a fixed noise generator, no clock, the same bytes every run.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 11025;
constexpr double PI = 3.14159265358979;

using Samples = std::vector<double>;   // -1..1

uint32_t noise_state = 12345;
double noise()
{
    noise_state = noise_state * 1103515245u + 12345u;
    return ((noise_state >> 8) & 0xffff) / 32768.0 - 1.0;
}

double envelope(double t, double attack, double length)
{
    if (t < attack)
        return t / attack;
    return std::max(0.0, 1.0 - (t - attack) / (length - attack));
}

// A long whistle falling in pitch, long enough for a fall down the field.
Samples fall()
{
    const double length = 2.6;
    Samples s;
    double phase = 0;
    for (int i = 0; i < int(length * RATE); i++) {
        double t = double(i) / RATE;
        double freq = 1500.0 * std::pow(0.5, t / 1.1) + 18.0 * std::sin(2 * PI * 6 * t);
        phase += 2 * PI * freq / RATE;
        double fade = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.2);
        s.push_back(0.45 * fade * (std::sin(phase) + 0.25 * std::sin(2 * phase)));
    }
    return s;
}

// Bricks crumbling: clusters of low, filtered noise clicks.
Samples dig()
{
    const double length = 0.45;
    Samples s;
    double low = 0;
    for (int i = 0; i < int(length * RATE); i++) {
        double t = double(i) / RATE;
        double burst = 0;
        for (int k = 0; k < 6; k++) {
            double start = 0.06 * k + 0.01 * (k % 2);
            if (t >= start)
                burst += std::exp(-(t - start) * 45.0) * (1.0 - 0.12 * k);
        }
        low += 0.25 * (noise() - low);   // a simple low-pass filter
        s.push_back(std::max(-1.0, std::min(1.0, 1.6 * low * burst)));
    }
    return s;
}

// A short bright pop for taking an object.
Samples pop()
{
    const double length = 0.11;
    Samples s;
    double phase = 0;
    for (int i = 0; i < int(length * RATE); i++) {
        double t = double(i) / RATE;
        phase += 2 * PI * (700.0 + 9000.0 * t) / RATE;
        s.push_back(0.7 * envelope(t, 0.004, length) * (std::sin(phase) > 0 ? 1.0 : -1.0) * 0.6);
    }
    return s;
}

void note(Samples& s, double freq, double length, double volume)
{
    double phase = 0;
    for (int i = 0; i < int(length * RATE); i++) {
        double t = double(i) / RATE;
        phase += 2 * PI * freq / RATE;
        double square = std::sin(phase) > 0 ? 1.0 : -1.0;
        double tone = 0.55 * square + 0.45 * std::sin(2 * phase);
        s.push_back(volume * envelope(t, 0.01, length) * tone);
    }
}

// A rising fanfare for a finished level.
Samples victory()
{
    Samples s;
    const double notes[][2] = {{523.25, 0.12}, {659.25, 0.12}, {783.99, 0.12}, {1046.5, 0.12},
                               {783.99, 0.10}, {1046.5, 0.45}};
    for (const auto& n : notes)
        note(s, n[0], n[1], 0.45);
    return s;
}

// A sliding, sinking wail for a caught hero.
Samples death()
{
    const double length = 1.3;
    Samples s;
    double phase = 0;
    for (int i = 0; i < int(length * RATE); i++) {
        double t = double(i) / RATE;
        double freq = 520.0 * std::pow(0.45, t / length) * (1.0 + 0.06 * std::sin(2 * PI * 7 * t));
        phase += 2 * PI * freq / RATE;
        double tone = std::sin(phase) + 0.5 * std::sin(3 * phase) / 3;
        s.push_back(0.6 * envelope(t, 0.02, length) * tone);
    }
    return s;
}

void put_u32(FILE* f, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        fputc(int(v >> (8 * i)) & 0xff, f);
}

void put_u16(FILE* f, uint32_t v)
{
    fputc(int(v) & 0xff, f);
    fputc(int(v >> 8) & 0xff, f);
}

bool write_wav(const std::string& path, const Samples& samples)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const uint32_t data = uint32_t(samples.size());
    fwrite("RIFF", 1, 4, f);
    put_u32(f, 36 + data + (data & 1));
    fwrite("WAVEfmt ", 1, 8, f);
    put_u32(f, 16);
    put_u16(f, 1);      // PCM
    put_u16(f, 1);      // mono
    put_u32(f, RATE);
    put_u32(f, RATE);   // bytes a second
    put_u16(f, 1);      // block align
    put_u16(f, 8);      // bits a sample
    fwrite("data", 1, 4, f);
    put_u32(f, data);
    for (double v : samples)
        fputc(int(std::lround(128.0 + 127.0 * std::max(-1.0, std::min(1.0, v)))), f);
    if (data & 1)
        fputc(0, f);
    return fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_sounds OUTPUT_DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    const struct {
        const char* name;
        Samples (*make)();
    } effects[] = {{"fall.wav", fall}, {"dig.wav", dig}, {"pop.wav", pop}, {"victory.wav", victory}, {"death.wav", death}};
    for (const auto& e : effects)
        if (!write_wav(out + "/" + e.name, e.make())) {
            fprintf(stderr, "make_sounds: cannot write %s/%s\n", out.c_str(), e.name);
            return 1;
        }
    return 0;
}
