// The font, the text cursor, the two status lines above and below the play
// field, and the timed message area at the right end of the bottom line.
#pragma once
#include <array>
#include <cstdint>

constexpr char GLYPH_ORDER[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.:!?~/\\*-,>< =+#()";
constexpr int GLYPH_COUNT = 54;
constexpr int BLANK_GLYPH = 48;
constexpr int STATUS_COLUMNS = 72;

struct StatusLine {
    std::array<char, 80> shown;    // characters on the screen
    std::array<char, 80> wanted;   // characters that should be there
    bool changed;                  // redrawn; present_frame pushes the strip
};

extern std::array<uint8_t, 128> glyph_map;
extern int32_t text_x, text_y;
extern StatusLine top_status;
extern StatusLine bottom_status;
extern int32_t message_timer;

void build_glyph_map();
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
// driver reports each on stderr.
extern void (*notice_listener)(const char* text);
void pass_notice(const char* text);
// One clock frame of the message area: blanks it when its time is up.
void expire_message();
