#include "frontend/level_title.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "view/view.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/textformat.h"
#include "level/titles.h"
#include "picture/datafile.h"

namespace {

constexpr int BAND_Y = 5;   // the top status line is at y 24
constexpr int BAND_HEIGHT = 12;

struct TitleBand {
    bool table_loaded;
    TitleTable table;
    // The level start the title was looked up for.
    int level;
    bool waiting;
    bool active;
    std::array<char, 80> text;        // the band's text; empty: none
    std::array<uint8_t, SCREEN_WIDTH * BAND_HEIGHT> drawn;   // its pixels as last pushed
    bool on_screen;
};

TitleBand band;

void load_table()
{
    band.table_loaded = true;
    char path[PATH_BUFFER_SIZE];
    std::string text;
    if (!find_data_file(path, TITLES_FILE_NAME) || !read_text_file(path, &text)) {
        log_message("No level titles: %s cannot be read\n", TITLES_FILE_NAME);
        return;
    }
    const std::string problem = parse_titles(text, band.table);
    if (!problem.empty())
        log_message("No level titles: %s: %s\n", path, problem.c_str());
}

// "LEVEL 7: BEFORE IT GROWS BACK", or "" when the level as it stands in the
// archive has no title. Characters the font cannot draw are left out.
void look_up_title(int level)
{
    band.text[0] = '\0';
    if (!band.table_loaded)
        load_table();
    LevelRecord record;
    if (level < 1 || read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
        return;
    const char* title = find_title(band.table, level, record.data());
    if (!title)
        return;
    int used = snprintf(band.text.data(), band.text.size(), "LEVEL %d: ", level);
    for (; *title && used + 1 < int(band.text.size()); title++) {
        const auto c = static_cast<unsigned char>(*title);
        if (c == ' ' || (c < 128 && glyph_map[c] != BLANK_GLYPH))
            band.text[size_t(used++)] = char(c);
    }
    band.text[size_t(used)] = '\0';
}

uint8_t* band_row(int row) { return screen_row(BAND_Y + row); }

// Draws the band as wanted into the screen and pushes it when its pixels
// differ from what was pushed last (a whole-screen redraw blanks them).
void draw_band(bool wanted)
{
    lock_screen();
    for (int row = 0; row < BAND_HEIGHT; row++)
        memset(band_row(row), screen_palette.nearest_black, SCREEN_WIDTH);
    if (wanted) {
        const int length = int(strlen(band.text.data()));
        draw_text(band.text.data(), SCREEN_WIDTH / 2 - length * 4, BAND_Y, screen_palette.nearest_white);
    }
    bool changed = !band.on_screen;
    for (int row = 0; row < BAND_HEIGHT; row++) {
        uint8_t* pixels = band.drawn.data() + row * SCREEN_WIDTH;
        if (memcmp(pixels, band_row(row), SCREEN_WIDTH) != 0) {
            memcpy(pixels, band_row(row), SCREEN_WIDTH);
            changed = true;
        }
    }
    band.on_screen = wanted;
    if (changed)
        update_rect(0, BAND_Y, SCREEN_WIDTH, BAND_HEIGHT);
}

} // namespace

void show_level_title(const Session& session)
{
    if (!session.game_active) {
        band.active = false;
        band.on_screen = false;
        band.text[0] = '\0';
        return;
    }
    const bool waiting = session.running.game.waiting_for_input;
    // A new level, a restart, or the level was left and entered again.
    if (!band.active || band.level != session.level || (waiting && !band.waiting))
        look_up_title(session.level);
    band.active = true;
    band.level = session.level;
    band.waiting = waiting;
    // In play the title goes at the first move; the demonstration keeps it.
    const bool wanted = band.text[0] != '\0' && (waiting || !session.recording);
    if (wanted || band.on_screen)
        draw_band(wanted);
}

const char* level_title_text() { return band.on_screen ? band.text.data() : ""; }
