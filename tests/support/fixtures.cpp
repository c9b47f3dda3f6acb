#include "support/fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/textformat.h"

WorkingDirectory::WorkingDirectory(const std::string& path)
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd))
        old_cwd = cwd;
    if (chdir(path.c_str()) != 0)
        abort();
}

WorkingDirectory::~WorkingDirectory()
{
    if (!old_cwd.empty() && chdir(old_cwd.c_str()) != 0)
        abort();
}

TempArchiveDir::TempArchiveDir()
{
    snprintf(archive_path, sizeof archive_path, "%s", dir.file("levels.vbl").c_str());
}

TempArchiveDir::~TempArchiveDir() { close_log(); }

TempUserDir::TempUserDir()
{
    snprintf(home_directory, sizeof home_directory, "%s", dir.path.c_str());
    if (mkdir(dir.file(USER_DIR_NAME).c_str(), 0700) != 0)
        abort();
}

HeadlessScreen::HeadlessScreen(uint8_t colour) : pixels(640 * 480, colour)
{
    attach_frame_buffer(pixels.data(), 640);
    if (!alloc_display_buffers())
        abort();
    build_variant_table();
    clear_sprite_slots();
}

HeadlessScreen::~HeadlessScreen() { free_display_buffers(); }

PlayGrid field_of_rows(const std::vector<std::string>& rows)
{
    PlayGrid grid;
    grid.fill(TILE_BORDER);
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++) {
            char ch = r < int(rows.size()) && c < int(rows[size_t(r)].size()) ? rows[size_t(r)][size_t(c)] : '.';
            grid[size_t(field_cell(c, r))] = uint8_t(strchr(TILE_CHARS, ch) - TILE_CHARS);
        }
    return grid;
}

void load_field_rows(PlayGrid& grid, const std::vector<std::string>& rows) { grid = field_of_rows(rows); }
