#include "level/textformat.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/settings.h"
#include "level/grid.h"
#include "level/movie.h"

std::string level_text(const uint8_t* record, const char* comment)
{
    std::string text = std::string("; ") + comment + "\n";
    for (int r = 0; r < FIELD_ROWS; r++) {
        for (int c = 0; c < FIELD_COLUMNS; c++) {
            uint8_t byte = record[r * LEVEL_ROW_BYTES + c / 2];
            int code = (c % 2 == 0) ? byte >> 4 : byte & 15;
            text += code < 12 ? TILE_CHARS[code] : '?';
        }
        text += '\n';
    }
    return text;
}

std::string escape_text(std::string_view text)
{
    std::string escaped;
    for (unsigned char ch : text) {
        if (ch > 32 && ch < 127 && ch != '\\') {
            escaped += char(ch);
        } else {
            char code[8];
            snprintf(code, sizeof code, "\\x%02x", ch);
            escaped += code;
        }
    }
    return escaped;
}

std::string escape_name(const uint8_t* name)
{
    int length = PLAYER_NAME_LENGTH;
    while (length > 0 && name[length - 1] == 0)
        length--;
    return escape_text(std::string_view(reinterpret_cast<const char*>(name), size_t(length)));
}

std::string movie_text(const uint8_t* record, int length, const char* comment)
{
    std::string text = std::string("; ") + comment + "\n";
    text += "score " + std::to_string(movie_score(record)) + "\n";
    text += "name " + escape_name(record + 4);
    text += "\nseed " + std::to_string(record[20]) + "\n";
    int in_line = 0;
    for (int i = MOVIE_HEADER_SIZE; i + 1 < length; i += 2) {
        text += std::to_string(record[i]) + "x" + std::to_string(record[i + 1]);
        text += (++in_line % 10 == 0) ? "\n" : " ";
    }
    if (in_line % 10 != 0)
        text.back() = '\n';
    return text;
}

bool read_text_file(const std::string& path, std::string* out, size_t limit)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char block[4096];
    size_t n;
    out->clear();
    bool ok = true;
    while ((n = fread(block, 1, sizeof block, f)) > 0) {
        if (out->size() + n > limit) {
            ok = false;   // stopped before the memory goes (/dev/zero)
            break;
        }
        out->append(block, n);
    }
    const bool failed = ferror(f);
    const int error = errno;
    fclose(f);
    if (!ok) {
        out->clear();
        errno = EFBIG;
        return false;
    }
    errno = error;
    return !failed;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

namespace {

// A decimal number and nothing else (leading spaces and a sign allowed);
// false for no digits, trailing characters or a value beyond a long.
bool parse_whole_number(const char* text, long* value)
{
    char* end;
    errno = 0;
    *value = strtol(text, &end, 10);
    return end != text && *end == 0 && errno == 0 && isdigit(static_cast<unsigned char>(end[-1]));
}

} // namespace

// Parses the text level format into a 180-byte record; "" or a problem.
std::string parse_level_text(const std::string& text, uint8_t* record)
{
    PlayGrid grid;
    grid.fill(TILE_BORDER);
    int row = 0;
    int line_number = 0;
    for (const std::string& line : split_lines(text)) {
        line_number++;
        if (!line.empty() && line[0] == ';')
            continue;
        if (line.empty() && row == FIELD_ROWS)
            continue;
        if (row == FIELD_ROWS)
            return "line " + std::to_string(line_number) + ": more than 15 rows";
        if (line.size() != FIELD_COLUMNS)
            return "line " + std::to_string(line_number) + ": " + std::to_string(line.size()) +
                   " characters, a row has 24";
        for (int c = 0; c < FIELD_COLUMNS; c++) {
            const char* at = strchr(TILE_CHARS, line[c]);
            if (!at || !line[c])
                return "line " + std::to_string(line_number) + " column " + std::to_string(c + 1) +
                       ": '" + line[c] + "' is not a tile character";
            grid[field_cell(c, row)] = uint8_t(at - TILE_CHARS);
        }
        row++;
    }
    if (row != FIELD_ROWS)
        return std::to_string(row) + " rows, a level has 15";
    pack_record(grid, record);
    return "";
}

// Parses the movie text format; "" or a problem.
std::string parse_movie_text(const std::string& text, std::vector<uint8_t>* record)
{
    record->assign(MOVIE_HEADER_SIZE, 0);
    bool have_score = false, have_seed = false;
    int line_number = 0;
    for (const std::string& line : split_lines(text)) {
        line_number++;
        std::string where = "line " + std::to_string(line_number) + ": ";
        if (line.empty() || line[0] == ';')
            continue;
        if (line.rfind("score ", 0) == 0) {
            long score;
            if (!parse_whole_number(line.c_str() + 6, &score) || score < INT32_MIN || score > INT32_MAX)
                return where + "the score is a number";
            for (int i = 0; i < 4; i++)
                (*record)[i] = uint8_t(uint32_t(score) >> (8 * i));
            have_score = true;
        } else if (line.rfind("name ", 0) == 0 || line == "name") {
            std::string name;
            for (size_t i = 5; i < line.size(); i++) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'x') {
                    if (i + 3 >= line.size() || !isxdigit(static_cast<unsigned char>(line[i + 2])) ||
                        !isxdigit(static_cast<unsigned char>(line[i + 3])))
                        return where + "\\x in a name takes two hexadecimal digits";
                    name += char(strtol(line.substr(i + 2, 2).c_str(), nullptr, 16));
                    i += 3;
                } else {
                    name += line[i];
                }
            }
            if (name.size() > 16)
                return where + "a name has at most 16 characters";
            memcpy(record->data() + 4, name.data(), name.size());
        } else if (line.rfind("seed ", 0) == 0) {
            long seed;
            if (!parse_whole_number(line.c_str() + 5, &seed) || seed < 0 || seed > 23)
                return where + "the seed is a number 0..23";
            (*record)[MOVIE_SEED_OFFSET] = uint8_t(seed);
            have_seed = true;
        } else {
            size_t at = 0;
            while (at < line.size()) {
                while (at < line.size() && isspace(static_cast<unsigned char>(line[at])))
                    at++;
                if (at == line.size())
                    break;
                // Read as long numbers, so that a number past an int's
                // range is refused rather than cut to a small one.
                unsigned long count, code;
                int used;
                if (sscanf(line.c_str() + at, "%lux%lu%n", &count, &code, &used) != 2 || count < 1 ||
                    count > 255)
                    return where + "expected pairs COUNTxINPUT with COUNT 1..255";
                if (code > INPUT_DIG_RIGHT)
                    return where + "input " + std::to_string(code) + " is none of 0..6";
                record->push_back(uint8_t(count));
                record->push_back(uint8_t(code));
                at += size_t(used);
            }
        }
    }
    if (!have_score || !have_seed)
        return "a movie needs a score line and a seed line";
    if (record->size() > size_t(MOVIE_HEADER_SIZE + 2 * MOVIE_MAX_PAIRS))
        return "more than 2047 pairs";
    return "";
}

bool level_of_file_name(const std::string& path, int* level)
{
    std::string base = path.substr(path.find_last_of('/') + 1);
    size_t digit = base.find_first_of("0123456789");
    if (digit == std::string::npos)
        return false;
    std::string digits = base.substr(digit, base.find_first_not_of("0123456789", digit) - digit);
    errno = 0;
    long value = strtol(digits.c_str(), nullptr, 10);
    if (errno || value < 1 || value > MAX_LEVEL)
        return false;
    *level = int(value);
    return true;
}
