// Generates the four artwork pictures into a directory:
//   make_artwork FONT_TXT OUTPUT_DIR
// The output is the same bytes on every run.
#include <cstdio>
#include <cstring>
#include <string>

#include "canvas.h"
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
              save(enemy, out + "/badguy.lbm") && save(hidden, out + "/spiral.lbm");
    return ok ? 0 : 1;
}
