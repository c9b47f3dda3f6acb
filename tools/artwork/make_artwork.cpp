// Generates the four artwork pictures and the window icon into a directory,
// and the desktop icons (vorbix-SIZE.png) into another:
//   make_artwork FONT_TXT OUTPUT_DIR ICON_DIR SIZE...
// The output is the same bytes on every run.
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "level/grid.h"
#include "picture/ilbm.h"

namespace {

void fetch_row(uint8_t* row, int y, const void* source)
{
    memcpy(row, static_cast<const Canvas*>(source)->pixels.data() + y * 320, 320);
}

bool save(const Canvas& canvas, const std::string& path)
{
    if (const char* problem = write_picture(path.c_str(), 320, 200, fetch_row, &canvas, canvas.palette.data())) {
        fprintf(stderr, "make_artwork: cannot write %s: %s\n", path.c_str(), problem);
        return false;
    }
    return true;
}

// The graphics editor shows its selection outline and crosshair by turning
// colour v into colour 255 - v. The free entries at the top of the palette
// get the inverse of the colour they stand for, so those marks show up
// against the set's own colours. No pixel uses them.
void add_inverse_colours(Canvas& canvas)
{
    for (int v = 0; v < canvas.colours; v++) {
        const int inverse = 255 - v;
        if (inverse < canvas.colours)
            break;
        for (int k = 0; k < 3; k++)
            canvas.palette[size_t(3 * inverse + k)] = uint8_t(255 - canvas.palette[size_t(3 * v + k)]);
    }
}

void put_u32(FILE* f, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        fputc(int(v >> (8 * i)) & 0xff, f);
}

// The icon's art: the hero's walking pose over a brick, 24 by 24.
struct IconArt {
    const Canvas& background;
    const Canvas& hero;

    std::array<int, 3> at(int x, int y) const
    {
        const int at = y * SET_PICTURE_WIDTH + x;
        uint8_t figure = hero.pixels[size_t(square_offset(2) + at)];
        uint8_t brick = background.pixels[size_t(square_offset(tile_square(TILE_BRICK, 0)) + at)];
        const uint8_t* rgb = figure ? &hero.palette[3 * figure] : &background.palette[3 * brick];
        return {rgb[0], rgb[1], rgb[2]};
    }

    // The icon at size by size pixels: each pixel takes the art's pixel under
    // its top-left corner when enlarging (crisp pixel art), or the mean of the
    // art's pixels it covers when shrinking.
    std::vector<uint8_t> rgb(int size) const
    {
        std::vector<uint8_t> out(size_t(size * size * 3));
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                std::array<int, 3> sum{};
                int x0 = x * 24 / size, y0 = y * 24 / size;
                int x1 = std::max(x0 + 1, (x + 1) * 24 / size), y1 = std::max(y0 + 1, (y + 1) * 24 / size);
                if (size >= 24)
                    x1 = x0 + 1, y1 = y0 + 1;
                for (int sy = y0; sy < y1; sy++)
                    for (int sx = x0; sx < x1; sx++) {
                        std::array<int, 3> c = at(sx, sy);
                        for (int k = 0; k < 3; k++)
                            sum[k] += c[k];
                    }
                const int n = (x1 - x0) * (y1 - y0);
                for (int k = 0; k < 3; k++)
                    out[size_t((y * size + x) * 3 + k)] = uint8_t((sum[k] + n / 2) / n);
            }
        return out;
    }
};

// The window icon, 32 by 32, as a 24-bit BMP that SDL_LoadBMP reads.
bool save_icon(const IconArt& art, const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const int size = 32, row_bytes = size * 3;
    fwrite("BM", 1, 2, f);
    put_u32(f, uint32_t(54 + row_bytes * size));
    put_u32(f, 0);
    put_u32(f, 54);
    put_u32(f, 40);
    put_u32(f, size);
    put_u32(f, size);
    put_u32(f, 1 | (24u << 16));   // one plane, 24 bits a pixel
    put_u32(f, 0);
    put_u32(f, uint32_t(row_bytes * size));
    put_u32(f, 2835);
    put_u32(f, 2835);
    put_u32(f, 0);
    put_u32(f, 0);
    const std::vector<uint8_t> rgb = art.rgb(size);
    for (int y = size - 1; y >= 0; y--)   // BMP rows run bottom-up, pixels as blue, green, red
        for (int x = 0; x < size; x++) {
            const uint8_t* p = &rgb[size_t((y * size + x) * 3)];
            fputc(p[2], f);
            fputc(p[1], f);
            fputc(p[0], f);
        }
    return fclose(f) == 0;
}

// The desktop icon at one size, as an RGB PNG.
bool save_png_icon(const IconArt& art, int size, const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    // Everything with a destructor exists before setjmp, so that libpng's
    // error jump skips none.
    std::vector<uint8_t> rgb = art.rgb(size);
    std::vector<png_bytep> rows(static_cast<size_t>(size));
    for (int y = 0; y < size; y++)
        rows[size_t(y)] = &rgb[size_t(y * size * 3)];
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: make_artwork FONT_TXT OUTPUT_DIR ICON_DIR SIZE...\n");
        return 2;
    }
    const std::string out = argv[2];
    static Canvas background, hero, enemy, hidden;
    draw_background_set(background, argv[1]);
    draw_figure_set(hero, 1);
    draw_figure_set(enemy, 2);
    draw_figure_set(hidden, 3);
    for (Canvas* canvas : {&background, &hero, &enemy, &hidden})
        add_inverse_colours(*canvas);
    bool ok = save(background, out + "/redbrick.lbm") && save(hero, out + "/regularguy.lbm") &&
              save(enemy, out + "/badguy.lbm") && save(hidden, out + "/spiral.lbm") &&
              save_icon(IconArt{background, hero}, out + "/vrbx.bmp");
    for (int i = 4; ok && i < argc; i++) {
        const int size = atoi(argv[i]);
        const std::string path = std::string(argv[3]) + "/vorbix-" + argv[i] + ".png";
        ok = size >= 1 && size <= 1024 && save_png_icon(IconArt{background, hero}, size, path);
        if (!ok)
            fprintf(stderr, "make_artwork: cannot write %s\n", path.c_str());
    }
    return ok ? 0 : 1;
}
