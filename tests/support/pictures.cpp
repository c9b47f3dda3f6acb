#include "support/pictures.h"

#include <cctype>
#include <cstdlib>
#include <sys/wait.h>

std::string ppm_bytes(const RgbImage& image)
{
    std::string out = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    for (const Rgb& p : image.pixels) {
        out += char(p.r);
        out += char(p.g);
        out += char(p.b);
    }
    return out;
}

RgbImage parse_ppm(const std::string& bytes)
{
    RgbImage image;
    size_t at = 0;
    auto token = [&]() {
        while (at < bytes.size() && (isspace(uint8_t(bytes[at])) || bytes[at] == '#')) {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    at++;
            else
                at++;
        }
        size_t start = at;
        while (at < bytes.size() && !isspace(uint8_t(bytes[at])))
            at++;
        return bytes.substr(start, at - start);
    };
    if (token() != "P6")
        return image;
    int w = atoi(token().c_str()), h = atoi(token().c_str());
    if (atoi(token().c_str()) != 255)
        return image;
    at++;
    if (bytes.size() < at + size_t(w) * size_t(h) * 3)
        return image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; i++, at += 3)
        image.pixels.push_back({uint8_t(bytes[at]), uint8_t(bytes[at + 1]), uint8_t(bytes[at + 2])});
    return image;
}

int shell(const std::string& command)
{
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string iff_chunk(const std::string& id, const std::string& data)
{
    uint32_t n = uint32_t(data.size());
    std::string out = id;
    out += char(n >> 24);
    out += char(n >> 16);
    out += char(n >> 8);
    out += char(n);
    out += data;
    if (n & 1)
        out += '\0';
    return out;
}

std::string iff_form(const std::string& type, const std::string& chunks)
{
    return iff_chunk("FORM", type + chunks);
}

std::string bmhd(int width, int height, int planes, int compression)
{
    std::string d(20, '\0');
    d[0] = char(width >> 8);
    d[1] = char(width);
    d[2] = char(height >> 8);
    d[3] = char(height);
    d[8] = char(planes);
    d[10] = char(compression);
    return d;
}

std::string literal_body(const std::vector<uint8_t>& pixels, int width, int height, int planes)
{
    int rowbytes = (width + 15) / 16 * 2;
    std::string body;
    for (int y = 0; y < height; y++) {
        for (int p = 0; p < planes; p++) {
            body += char(rowbytes - 1);
            for (int i = 0; i < rowbytes; i++) {
                uint8_t byte = 0;
                for (int k = 0; k < 8; k++) {
                    int x = 8 * i + k;
                    if (x < width && (pixels[size_t(y * width + x)] >> p) & 1)
                        byte |= uint8_t(0x80 >> k);
                }
                body += char(byte);
            }
        }
    }
    return body;
}
