// The font, the text cursor, the two status lines above and below the play
// field, and the timed message area at the right end of the bottom line.
#pragma once
#include <array>
#include <cstdint>

#include "display/display.h"

constexpr char GLYPH_ORDER[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.:!?~/\\*-,>< =+#()";
constexpr int GLYPH_COUNT = 54;
constexpr int BLANK_GLYPH = 48;
constexpr int STATUS_COLUMNS = 72;

// The glyph of each character below 128: the letters in either case, the
// digits and the signs of GLYPH_ORDER, the blank glyph for the rest.
inline constexpr std::array<uint8_t, 128> glyph_map = [] {
    std::array<uint8_t, 128> map{};
    map.fill(BLANK_GLYPH);
    for (int g = 0; g < GLYPH_COUNT; g++) {
        const auto c = static_cast<unsigned char>(GLYPH_ORDER[g]);
        map[c] = uint8_t(g);
        if (c >= 'A' && c <= 'Z')
            map[c - 'A' + 'a'] = uint8_t(g);
    }
    return map;
}();

// Characters 128..255 draw as the blank glyph.
void draw_char(int x, int y, unsigned char character, int colour);
void draw_text(const char* text, int x, int y, int colour);
void print_at_cursor(const char* text);
void print_menu_line(const char* text);
void print_centred(const char* text);
// Draws the changed characters of the two status lines (while a game runs).
void refresh_status_lines();
void clear_status_lines();
void show_message(const char* text, int frames);
// A problem the player has been shown (a result not stored, a level that
// cannot be read), passed on to the listener when one is set: the script
// driver reports each on stderr (notice_listener, display/display.h).
void pass_notice(const char* text);
// One clock frame of the message area: blanks it when its time is up.
void expire_message();
