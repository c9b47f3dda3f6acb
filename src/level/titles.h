// The shipped levels' titles: a small text file beside the archive
// ("titles.txt"), one line a level: the number, the fingerprint of the
// level's 180-byte record in eight hex digits, and the title. A level shows
// its title only while its record is the one the title was written for, so a
// level the player has changed in the editor, or one of his own, shows none.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/settings.h"

constexpr int TITLE_LENGTH = 40;
constexpr char TITLES_FILE_NAME[] = "titles.txt";

struct LevelTitle {
    uint32_t fingerprint;
    std::array<char, TITLE_LENGTH + 1> text;   // empty: no title
};

// Index: the level number, 1..MAX_LEVEL (0 never has a title).
using TitleTable = std::array<LevelTitle, MAX_LEVEL + 1>;

// FNV-1a over the record's LEVEL_RECORD_SIZE bytes.
uint32_t record_fingerprint(const uint8_t* record);
// The table's line for a level ("7 0badf00d Before it grows back\n").
std::string title_line(int level, const uint8_t* record, const std::string& title);
// The title a level's text file names in its first line ("; Level 7: Before
// it grows back"); empty when there is none.
std::string title_of_level_text(const std::string& text);
// Reads a table's text into table (emptied first): "" or the problem,
// naming the line.
std::string parse_titles(const std::string& text, TitleTable& table);
// The title of the level whose record this is, or nullptr.
const char* find_title(const TitleTable& table, int level, const uint8_t* record);
