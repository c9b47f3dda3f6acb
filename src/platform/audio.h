// Reading a sound effect into 8-bit mono samples at the rate the mixer runs
// (11025 Hz asked for) and adding samples to the audio buffer. On the
// desktop SDL loads, converts and mixes; the browser's SDL has none of
// these, so there the game's own WAV files (8-bit mono at 11025 Hz) are read
// directly and brought to the rate the browser plays.
#pragma once
#include <cstdint>

// On success *samples (free with free_effect_samples) and *length are set;
// on failure *reason says why.
bool load_effect_samples(const char* path, uint8_t** samples, uint32_t* length, const char** reason);
void free_effect_samples(uint8_t* samples);
// Readies the audio buffer for the channels to add to: silence.
void begin_mix(uint8_t* stream, int length);
// Adds length samples to stream at full volume, clipped.
void mix_samples(uint8_t* stream, const uint8_t* samples, uint32_t length);
