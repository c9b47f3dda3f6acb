// Generates the four artwork pictures into a directory:
//   make_artwork FONT_TXT OUTPUT_DIR
// The output is the same bytes on every run.
#include <cstdio>
#include <cstring>
#include <string>

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
    if (write_picture(path.c_str(), 320, 200, fetch_row, &canvas, canvas.palette.data()) != 0) {
        fprintf(stderr, "make_artwork: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

void put_u32(FILE* f, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        fputc(int(v >> (8 * i)) & 0xff, f);
}

// The window icon, 32 by 32: the hero's walking pose over a brick, as a
// 24-bit BMP that SDL_LoadBMP reads.
bool save_icon(const Canvas& background, const Canvas& hero, const std::string& path)
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
    for (int y = size - 1; y >= 0; y--)   // BMP rows run bottom-up
        for (int x = 0; x < size; x++) {
            int sx = x * 24 / size, sy = y * 24 / size;
            const int at = sy * SET_PICTURE_WIDTH + sx;
            uint8_t figure = hero.pixels[size_t(square_offset(2) + at)];
            uint8_t brick = background.pixels[size_t(square_offset(tile_square(TILE_BRICK, 0)) + at)];
            const uint8_t* rgb = figure ? &hero.palette[3 * figure] : &background.palette[3 * brick];
            fputc(rgb[2], f);
            fputc(rgb[1], f);
            fputc(rgb[0], f);
        }
    return fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: make_artwork FONT_TXT OUTPUT_DIR\n");
        return 2;
    }
    const std::string out = argv[2];
    static Canvas background, hero, enemy, hidden;
    draw_background_set(background, argv[1]);
    draw_figure_set(hero, 1);
    draw_figure_set(enemy, 2);
    draw_figure_set(hidden, 3);
    bool ok = save(background, out + "/redbrick.lbm") && save(hero, out + "/regularguy.lbm") &&
              save(enemy, out + "/badguy.lbm") && save(hidden, out + "/spiral.lbm") &&
              save_icon(background, hero, out + "/vrbx.bmp");
    return ok ? 0 : 1;
}
