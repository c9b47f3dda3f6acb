#include "display/status.h"

#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "display/screen.h"
#include "display/tiles.h"
#include "picture/artwork.h"


void pass_notice(const char* text)
{
    if (notice_listener)
        notice_listener(text);
}

void draw_char(int x, int y, unsigned char character, int colour)
{
    lock_screen();
    int g = character < 128 ? glyph_map[character] : BLANK_GLYPH;
    // Six glyphs per tile cell: three across, two down.
    const int glyph_row = g / GLYPHS_PER_ROW, glyph_column = g % GLYPHS_PER_ROW;
    int cell = GLYPH_SQUARE + VARIANT_STRIDE * (glyph_row / 2) + glyph_column / 3;
    const uint8_t* in = tile_cache + cell * CELL_BYTES + (glyph_row % 2) * GLYPH_HEIGHT * CELL_SIZE
                        + GLYPH_WIDTH * (glyph_column % 3);
    uint8_t ink = uint8_t(colour);
    uint8_t paper = uint8_t(screen_palette.nearest_black);
    for (int row = 0; row < 12; row++, in += CELL_SIZE) {
        uint8_t* out = screen_row(y + row) + x;
        for (int col = 0; col < 8; col++)
            out[col] = in[col] ? ink : paper;
    }
}

void draw_text(const char* text, int x, int y, int colour)
{
    for (; *text; text++, x += 8)
        draw_char(x, y, static_cast<unsigned char>(*text), colour);
}

void print_at_cursor(const char* text)
{
    for (; *text; text++, text_x += 8)
        draw_char(text_x, text_y, static_cast<unsigned char>(*text), screen_palette.nearest_white);
}

void print_menu_line(const char* text)
{
    draw_text(text, 140, text_y, screen_palette.nearest_white);
    text_y += 16;
}

void print_centred(const char* text)
{
    int length = int(strlen(text));
    draw_text(text, 320 - (length / 2) * 8, text_y, screen_palette.nearest_white);
    text_y += 16;
}

namespace {

void refresh_line(StatusLine& line, int y)
{
    for (int i = 0; i < STATUS_COLUMNS; i++) {
        if (line.wanted[i] != line.shown[i]) {
            line.shown[i] = line.wanted[i];
            draw_char(32 + 8 * i, y, static_cast<unsigned char>(line.wanted[i]), screen_palette.nearest_white);
            line.changed = true;
        }
    }
}

} // namespace

void refresh_status_lines()
{
    refresh_line(top_status, 24);
    refresh_line(bottom_status, 444);
}

void clear_status_lines()
{
    for (StatusLine* line : {&top_status, &bottom_status}) {
        memset(line->shown.data(), 0, STATUS_COLUMNS);
        memset(line->wanted.data(), 0, STATUS_COLUMNS);
    }
}

void show_message(const char* text, int frames)
{
    // Blanks after a short text clear the tail of a longer message before it.
    char line[80];
    snprintf(line, sizeof line, "%-15s", text);
    text_x = 480;
    text_y = 444;
    print_at_cursor(line);
    message_timer = frames;
    update_rect(480, 444, 120, 12);
}

void expire_message()
{
    if (message_timer == 0)
        return;
    if (--message_timer == 0)
        show_message("               ", 0);
}
