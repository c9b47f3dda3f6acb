// Shared set-ups of the in-process tests: a headless screen, a temporary
// user directory and a guard of the working directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "level/grid.h"
#include "support/process.h"

// The working directory is path while the guard lives, then the old one again.
struct WorkingDirectory {
    std::string old_cwd;
    explicit WorkingDirectory(const std::string& path);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
};

// A temporary directory that is also the working directory while the holder
// lives, with the archive's two paths inside it (files written into the
// working directory, such as the log, land there too).
struct TempArchiveDir {
    TempDir dir;
    WorkingDirectory cwd{dir.path};
    TempArchiveDir();
    ~TempArchiveDir();
};

// A temporary home directory with the user directory in it (home_directory
// points there): user_file("x") is where the program keeps its file x.
struct TempUserDir {
    TempDir dir;
    TempUserDir();
    std::string user_file(const std::string& name) const { return dir.path + "/.zuzezodov/" + name; }
};

// A 640 by 480 frame buffer of the given colour as the screen, with the tile
// cache and save-under store, the glyph map, the grid tables and free sprite
// slots; the display buffers are freed with it.
struct HeadlessScreen {
    std::vector<uint8_t> pixels;
    explicit HeadlessScreen(uint8_t colour = 0);
    ~HeadlessScreen();
    HeadlessScreen(const HeadlessScreen&) = delete;
    HeadlessScreen& operator=(const HeadlessScreen&) = delete;
    uint8_t at(int x, int y) const { return pixels[size_t(y * 640 + x)]; }
};

// A grid from rows of level-text letters, the top row first; missing rows
// and columns are empty, the border is the border.
PlayGrid field_of_rows(const std::vector<std::string>& rows);
// The same field put into grid.
void load_field_rows(PlayGrid& grid, const std::vector<std::string>& rows);
