// Pictures for tests: PPM files, netpbm round trips, small ILBM files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

struct RgbImage {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
};

std::string ppm_bytes(const RgbImage& image);
// Parses a binary (P6) PPM; width 0 on failure.
RgbImage parse_ppm(const std::string& bytes);
// Runs a shell command line; returns its exit status.
int shell(const std::string& command);

// An ILBM file built chunk by chunk.
std::string iff_chunk(const std::string& id, const std::string& data);
std::string iff_form(const std::string& type, const std::string& chunks);
std::string bmhd(int width, int height, int planes, int compression = 1);
// Uncompressed-looking ByteRun1 body: every plane row as one literal run.
std::string literal_body(const std::vector<uint8_t>& pixels, int width, int height, int planes);
