#include "level/repair.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "level/archive.h"
#include "level/grid.h"
#include "level/movie.h"

namespace {

uint32_t get_u32(const std::string& bytes, size_t at)
{
    auto b = [&](size_t i) { return uint32_t(uint8_t(bytes[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

void add_line(RepairResult* r, const char* format, ...) __attribute__((format(printf, 2, 3)));

void add_line(RepairResult* r, const char* format, ...)
{
    char line[160];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    r->report += line;
}

// What is wrong with record i, `length` bytes at `offset` in a file of
// file_size bytes, into problem ("" when nothing): it starts after the
// index, ends inside the file, has its kind's size and overlaps no record
// kept before it.
void record_problem(char (&problem)[64], size_t file_size, uint32_t i, uint32_t offset, uint32_t length,
                    const std::vector<std::pair<uint64_t, uint64_t>>& spans)
{
    const bool level = i % 2 == 0;
    const uint64_t end = uint64_t(offset) + length;
    problem[0] = 0;
    if (offset < 8 * (uint64_t(i) + 2))
        snprintf(problem, sizeof problem, "starts inside the index");
    else if (end > file_size)
        snprintf(problem, sizeof problem, "lies outside the file");
    else if (level && length != LEVEL_RECORD_SIZE)
        snprintf(problem, sizeof problem, "%u bytes, a level has %d", length, LEVEL_RECORD_SIZE);
    else if (!level && (length < MOVIE_HEADER_SIZE || length > MOVIE_BUFFER_SIZE - 1))
        snprintf(problem, sizeof problem, "%u bytes, a movie has %d..%d", length, MOVIE_HEADER_SIZE,
                 MOVIE_BUFFER_SIZE - 1);
    for (const auto& [from, to] : spans)
        if (!problem[0] && offset < to && from < end)
            snprintf(problem, sizeof problem, "overlaps a record kept before it");
}

} // namespace

RepairResult repair_archive_bytes(const std::string& bytes)
{
    RepairResult r;
    if (bytes.size() < size_t(ARCHIVE_HEADER_SIZE) || memcmp(bytes.data(), ARCHIVE_MAGIC, 4) != 0) {
        r.problem = "not a level archive (no VRBX magic)";
        return r;
    }
    const uint32_t entries = get_u32(bytes, 4);
    const uint64_t in_file = (bytes.size() - 8) / 8;
    const uint32_t limit = uint32_t(std::min<uint64_t>(in_file, uint64_t(ARCHIVE_MAX_RECORDS)));
    uint64_t data_start = bytes.size();   // the lowest offset of a record kept
    std::vector<std::pair<uint64_t, uint64_t>> spans;   // offset, end of each record kept
    uint32_t scanned = 0;
    for (; scanned < limit && 8 * (uint64_t(scanned) + 2) <= data_start; scanned++) {
        const uint32_t i = scanned;
        const uint32_t offset = get_u32(bytes, 8 * (size_t(i) + 1));
        const uint32_t length = get_u32(bytes, 8 * (size_t(i) + 1) + 4);
        if (offset == 0)
            continue;
        const bool level = i % 2 == 0;
        char what[40];
        snprintf(what, sizeof what, level ? "record %u (level %u)" : "record %u (movie of level %u)", i, i / 2 + 1);
        const uint64_t end = uint64_t(offset) + length;
        char problem[64];
        record_problem(problem, bytes.size(), i, offset, length, spans);
        if (problem[0]) {
            add_line(&r, "dropped %s: %s\n", what, problem);
            r.dropped++;
            continue;
        }
        add_line(&r, "kept %s, %u bytes\n", what, length);
        data_start = std::min<uint64_t>(data_start, offset);
        spans.push_back({offset, end});
        r.kept.push_back({int(i), std::vector<uint8_t>(bytes.begin() + offset, bytes.begin() + long(end))});
    }
    if (entries > scanned) {
        const char* why = scanned == uint32_t(ARCHIVE_MAX_RECORDS) ? "beyond the 800 an archive holds"
                          : scanned == in_file                     ? "the index runs past the end of the file"
                                                                   : "the index would run into the records";
        add_line(&r, "dropped index entries %u..%u: %s\n", scanned, entries - 1, why);
        r.dropped++;
    } else if (entries < scanned) {
        add_line(&r, "read index entries %u..%u beyond the count of %u: the index reaches the first record\n", entries,
                 scanned - 1, entries);
    }
    uint64_t last_end = 8 * (uint64_t(scanned) + 1);
    for (const auto& span : spans)
        last_end = std::max(last_end, span.second);
    if (last_end < bytes.size())
        add_line(&r, "%llu bytes beyond the last record kept belong to no record\n",
                 static_cast<unsigned long long>(bytes.size() - last_end));
    return r;
}
