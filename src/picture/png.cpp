#include "picture/png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "core/replace.h"

namespace {

struct FileCloser {
    FILE* f;
    ~FileCloser()
    {
        if (f)
            fclose(f);
    }
};

// libpng's own words for the last failure, kept until the next write.
char png_problem[160];

void png_failed(png_structp png, png_const_charp message)
{
    snprintf(png_problem, sizeof png_problem, "%s", message);
    png_longjmp(png, 1);
}

void png_warned(png_structp, png_const_charp) {}

// libpng reports failures by a long jump back here; nothing with a destructor
// may live in this frame.
bool encode(FILE* f, const uint8_t* pixels, int width, int height, int pitch, const uint8_t* palette)
{
    png_problem[0] = 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    for (int i = 0; i < 256; i++)
        colours[i] = png_color{palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
    png_set_PLTE(png, info, colours, 256);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, pixels + size_t(y) * size_t(pitch));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

const char* write_png(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
                      const uint8_t* palette)
{
    ReplaceFile file;
    if (!replace_begin(&file, path.c_str(), 0666))
        return replace_reason(&file);
    // libpng writes through a stream of its own on a copy of the descriptor.
    const int copy = dup(file.fd);
    FileCloser stream{copy >= 0 ? fdopen(copy, "wb") : nullptr};
    if (!stream.f) {
        const char* problem = strerror(errno);
        if (copy >= 0)
            close(copy);
        return problem;
    }
    const char* problem = nullptr;
    if (!encode(stream.f, pixels, width, height, pitch, palette))
        problem = png_problem[0] ? png_problem : "cannot encode the picture";
    else if (fflush(stream.f) != 0)
        problem = strerror(errno);
    const int closed = fclose(stream.f);
    stream.f = nullptr;
    if (!problem && closed != 0)
        problem = strerror(errno);
    if (problem)
        return problem;   // the holder drops the file
    if (replace_commit(&file) == REPLACE_FAILED)
        return replace_reason(&file);
    return nullptr;
}
