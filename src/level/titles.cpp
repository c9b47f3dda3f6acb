#include "level/titles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "level/grid.h"
#include "level/textformat.h"

uint32_t record_fingerprint(const uint8_t* record)
{
    uint32_t hash = 2166136261u;
    for (int i = 0; i < LEVEL_RECORD_SIZE; i++)
        hash = (hash ^ record[i]) * 16777619u;
    return hash;
}

std::string title_line(int level, const uint8_t* record, const std::string& title)
{
    char head[32];
    snprintf(head, sizeof head, "%d %08x ", level, unsigned(record_fingerprint(record)));
    return head + title + "\n";
}

std::string title_of_level_text(const std::string& text)
{
    const std::vector<std::string> lines = split_lines(text);
    if (lines.empty() || lines[0].rfind("; Level ", 0) != 0)
        return "";
    const size_t colon = lines[0].find(": ");
    return colon == std::string::npos ? "" : lines[0].substr(colon + 2);
}

std::string parse_titles(const std::string& text, TitleTable& table)
{
    for (LevelTitle& t : table)
        t = LevelTitle{};
    int line_number = 0;
    for (const std::string& line : split_lines(text)) {
        line_number++;
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = "line " + std::to_string(line_number) + ": ";
        int level = 0, title_at = 0;
        unsigned fingerprint = 0;
        if (sscanf(line.c_str(), "%d %8x %n", &level, &fingerprint, &title_at) != 2 || title_at == 0)
            return where + "not NUMBER FINGERPRINT TITLE";
        if (level < 1 || level > MAX_LEVEL)
            return where + "level " + std::to_string(level) + " is not 1.." + std::to_string(MAX_LEVEL);
        const std::string title = line.substr(size_t(title_at));
        if (title.empty() || title.size() > size_t(TITLE_LENGTH))
            return where + "the title is empty or longer than " + std::to_string(TITLE_LENGTH) + " characters";
        LevelTitle& entry = table[size_t(level)];
        if (entry.text[0] != '\0')
            return where + "level " + std::to_string(level) + " has a title already";
        entry.fingerprint = fingerprint;
        memcpy(entry.text.data(), title.c_str(), title.size() + 1);
    }
    return "";
}

const char* find_title(const TitleTable& table, int level, const uint8_t* record)
{
    if (level < 1 || level > MAX_LEVEL)
        return nullptr;
    const LevelTitle& entry = table[size_t(level)];
    if (entry.text[0] == '\0' || entry.fingerprint != record_fingerprint(record))
        return nullptr;
    return entry.text.data();
}
