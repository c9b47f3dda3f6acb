// The text forms of level and movie records: what vbltool writes and reads,
// and what data/levels and data/masters hold (docs/formats.md).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One character a tile code, 0..11; the other codes never stand in a level.
inline constexpr char TILE_CHARS[] = ".#@H-XS$EP%*";

// A 180-byte level record as 15 lines of 24 tile characters after a comment
// line; codes without a character are written '?'.
std::string level_text(const uint8_t* record, const char* comment);
// The 16 name bytes of a movie record as text: printable characters as they
// are, every other byte (zero bytes before the last non-zero one included)
// as \xHH; trailing zero bytes are left out.
std::string escape_name(const uint8_t* name);
// The same escape for any text: every byte outside '!'..'~', and the
// backslash, as \xNN, so the text has no blank and splits at spaces.
std::string escape_text(std::string_view text);
// A movie record of `length` bytes as score, name, seed and count-x-input pairs.
std::string movie_text(const uint8_t* record, int length, const char* comment);

// The readers return "" on success or the problem, naming the line.
std::string parse_level_text(const std::string& text, uint8_t* record);
std::string parse_movie_text(const std::string& text, std::vector<uint8_t>* record);

// The lines of a text without their line ends (\n or \r\n).
std::vector<std::string> split_lines(const std::string& text);
// The longest level or movie text read: a movie of 2047 pairs with long
// comment lines fits many times over.
constexpr size_t TEXT_FILE_MAX_BYTES = 1 << 20;
// The whole of a file; false when it cannot be read (errno says why), also
// when it holds more than limit bytes (errno EFBIG, nothing kept).
bool read_text_file(const std::string& path, std::string* out, size_t limit = TEXT_FILE_MAX_BYTES);
// The level number (1..400) a file names: the first run of digits in its base name.
bool level_of_file_name(const std::string& path, int* level);
