#include "level/archive.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/file_holder.h"
#include "core/openread.h"
#include "core/replace.h"
#include "level/movie.h"

char archive_path[PATH_BUFFER_SIZE];
ArchiveFailure archive_failure;

namespace {

constexpr int COPY_BLOCK = 1024;

// The run's log: its descriptor once opened, whether logging is off, and the
// messages of a held log with whether it is held.
struct LogState {
    int fd = -1;
    bool disabled;
    bool held;
    std::string held_lines;
};

LogState log_state;
// Enough for every message a start-up says before the log is released.
constexpr size_t HELD_LOG_LIMIT = 64 * LOG_LINE_SIZE;

uint32_t get_u32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void put_u32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Reads exactly n bytes unless the file ends; returns the count read or -1.
ssize_t read_full(int fd, void* buffer, size_t n)
{
    size_t done = 0;
    while (done < n) {
        ssize_t got = read(fd, static_cast<uint8_t*>(buffer) + done, n - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += size_t(got);
    }
    return ssize_t(done);
}

struct IndexEntry {
    uint32_t offset, length;
};

// Checks the N entries of raw (the bytes behind the header, raw_size of
// them) against the file: every present record lies inside the data area
// and no two overlap. True, or false with *problem saying why; *data_end
// receives the end of the last record (the end of the index when there is
// none).
bool load_index(const uint8_t* raw, size_t raw_size, uint32_t entries, int64_t file_size, IndexEntry* index,
                std::string* problem, int64_t* data_end)
{
    char text[96];
    if (entries > uint32_t(ARCHIVE_MAX_RECORDS)) {
        snprintf(text, sizeof text, "its index has %u entries, more than %d", entries, ARCHIVE_MAX_RECORDS);
        *problem = text;
        return false;
    }
    if (raw_size < 8 * size_t(entries)) {
        snprintf(text, sizeof text, "its index of %u entries runs past the end", entries);
        *problem = text;
        return false;
    }
    const int64_t data_start = 8 * (int64_t(entries) + 1);
    std::array<uint32_t, ARCHIVE_MAX_RECORDS> order;
    uint32_t present = 0;
    for (uint32_t i = 0; i < entries; i++) {
        index[i] = {get_u32(&raw[8 * i]), get_u32(&raw[8 * i + 4])};
        if (index[i].offset == 0)
            continue;
        if (index[i].offset < data_start || int64_t(index[i].offset) + index[i].length > file_size) {
            snprintf(text, sizeof text, "record %u lies outside the data area", i);
            *problem = text;
            return false;
        }
        order[present++] = i;
    }
    // In offset order every record starts at or behind the end of all before
    // it; an empty record inside another one would be moved past its start.
    std::sort(order.begin(), order.begin() + present, [&](uint32_t a, uint32_t b) {
        if (index[a].offset != index[b].offset)
            return index[a].offset < index[b].offset;
        return index[a].length != index[b].length ? index[a].length < index[b].length : a < b;
    });
    int64_t end = data_start;
    uint32_t last = 0;
    for (uint32_t k = 0; k < present; k++) {
        const IndexEntry& e = index[order[k]];
        if (k > 0 && e.offset < end) {
            snprintf(text, sizeof text, "records %u and %u overlap", last, order[k]);
            *problem = text;
            return false;
        }
        if (int64_t(e.offset) + e.length > end) {
            end = int64_t(e.offset) + e.length;
            last = order[k];
        }
    }
    *data_end = end;
    return true;
}

// The index of a whole archive whose header is good, with the game's
// judgement: bytes no record holds behind the last one are records the
// index lost (a count cut short) or the rest of an interrupted copy, and a
// rewrite would drop them for good, so they are damage too (vbltool repair
// tells what they are). True, or false with *problem saying why.
bool check_index(const std::vector<uint8_t>& bytes, IndexEntry* index, std::string* problem)
{
    const uint32_t entries = get_u32(bytes.data() + 4);
    int64_t data_end = 0;
    if (!load_index(bytes.data() + 8, bytes.size() - 8, entries, int64_t(bytes.size()), index, problem, &data_end))
        return false;
    if (data_end < int64_t(bytes.size())) {
        *problem = std::to_string(int64_t(bytes.size()) - data_end) + " bytes lie beyond its last record";
        return false;
    }
    return true;
}

// Judges the bytes of an archive once: its result and damage.
void judge(Archive& archive)
{
    const std::vector<uint8_t>& bytes = archive.bytes;
    if (bytes.size() > size_t(ARCHIVE_MAX_BYTES)) {
        archive.result = ARCHIVE_TOO_LARGE;
        archive.damage = "it is larger than " + std::to_string(ARCHIVE_MAX_BYTES) + " bytes";
    } else if (bytes.size() < size_t(ARCHIVE_HEADER_SIZE)) {
        archive.result = ARCHIVE_SHORT_HEADER;
        archive.damage = "it is shorter than its 8-byte header";
    } else if (memcmp(bytes.data(), ARCHIVE_MAGIC, 4) != 0) {
        archive.result = ARCHIVE_BAD_MAGIC;
        archive.damage = "it does not start with VRBX";
    } else {
        std::array<IndexEntry, ARCHIVE_MAX_RECORDS> index;
        archive.damage.clear();
        archive.result = check_index(bytes, index.data(), &archive.damage) ? ARCHIVE_READ_OK : ARCHIVE_BAD_INDEX;
    }
}

// Applies one record change to a whole archive in memory whose header is
// good: the index grows to hold the record when needed, the records keep
// their order and are packed behind the index (space no record uses is
// dropped), the changed record goes to the end. ARCHIVE_OK, or
// ARCHIVE_DAMAGED (a damaged index, or the change would grow the archive
// past its limit; it is then left as it was).
int apply_record(std::vector<uint8_t>* bytes, int record, const uint8_t* data, int length)
{
    const uint32_t entries = get_u32(bytes->data() + 4);
    std::array<IndexEntry, ARCHIVE_MAX_RECORDS> index{};
    std::string problem;
    if (!check_index(*bytes, index.data(), &problem))
        return ARCHIVE_DAMAGED;
    const uint32_t grown = std::max<uint32_t>(entries, uint32_t(record) + 1);
    std::array<uint32_t, ARCHIVE_MAX_RECORDS> order;
    uint32_t present = 0;
    for (uint32_t i = 0; i < entries; i++)
        if (index[i].offset != 0 && i != uint32_t(record))
            order[present++] = i;
    std::sort(order.begin(), order.begin() + present, [&](uint32_t a, uint32_t b) {
        return index[a].offset != index[b].offset ? index[a].offset < index[b].offset : a < b;
    });
    std::vector<uint8_t> out(8 * (size_t(grown) + 1));
    memcpy(out.data(), ARCHIVE_MAGIC, 4);
    put_u32(&out[4], grown);
    std::array<IndexEntry, ARCHIVE_MAX_RECORDS> placed{};
    for (uint32_t i = 0; i < grown; i++)
        placed[i] = {0, i < entries ? index[i].length : 0};
    for (uint32_t k = 0; k < present; k++) {
        const IndexEntry& e = index[order[k]];
        placed[order[k]].offset = uint32_t(out.size());
        out.insert(out.end(), bytes->begin() + e.offset, bytes->begin() + e.offset + e.length);
    }
    placed[record] = {0, uint32_t(length)};
    if (length > 0) {
        if (out.size() + size_t(length) > ARCHIVE_MAX_BYTES)
            return ARCHIVE_DAMAGED;
        placed[record].offset = uint32_t(out.size());
        out.insert(out.end(), data, data + length);
    }
    for (uint32_t i = 0; i < grown; i++) {
        put_u32(&out[8 * (i + 1)], placed[i].offset);
        put_u32(&out[8 * (i + 1) + 4], placed[i].length);
    }
    bytes->swap(out);
    return ARCHIVE_OK;
}

} // namespace

Archive archive_from_bytes(std::span<const uint8_t> bytes)
{
    Archive archive;
    archive.bytes.assign(bytes.begin(), bytes.end());
    judge(archive);
    return archive;
}

Archive read_archive(const char* path)
{
    Archive archive;
    auto unreadable = [&](const char* what, int error) {
        archive.result = ARCHIVE_NOT_READABLE;
        archive.error = error;
        archive.damage = std::string(what) + " (" + strerror(error) + ")";
        archive.bytes.clear();
        return archive;
    };
    // Opened without waiting, so that a FIFO at the name cannot hold the
    // caller before it is refused below.
    FileHolder file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0)
        return unreadable("it cannot be opened", errno);
    struct stat info;
    if (fstat(file.fd, &info) != 0)
        return unreadable("it cannot be read", errno);
    if (!S_ISREG(info.st_mode)) {
        archive.result = ARCHIVE_NOT_READABLE;
        // EINVAL: what open_for_reading answers for a FIFO or device, which
        // open_failure_reason calls "not a regular file".
        archive.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        archive.damage = S_ISDIR(info.st_mode) ? "it is a folder, not a file" : "it is not a regular file";
        return archive;
    }
    // One block past the limit tells a file too large without reading it all.
    std::array<uint8_t, COPY_BLOCK> block;
    for (;;) {
        errno = 0;
        const ssize_t got = read_full(file.fd, block.data(), block.size());
        if (got < 0)
            return unreadable("it cannot be read", errno ? errno : EIO);
        if (got == 0)
            break;
        archive.bytes.insert(archive.bytes.end(), block.data(), block.data() + got);
        if (archive.bytes.size() > size_t(ARCHIVE_MAX_BYTES))
            break;
    }
    judge(archive);
    return archive;
}

std::span<const uint8_t> archive_record(const Archive& archive, int record)
{
    if (archive.result != ARCHIVE_READ_OK && archive.result != ARCHIVE_BAD_INDEX)
        return {};
    const std::vector<uint8_t>& bytes = archive.bytes;
    const uint32_t entries = get_u32(bytes.data() + 4);
    // An index that ends early (a damaged file) has no such record.
    if (record < 0 || uint32_t(record) >= entries || 8 * (size_t(record) + 2) > bytes.size())
        return {};
    const uint32_t offset = get_u32(&bytes[8 * (size_t(record) + 1)]);
    const uint32_t length = get_u32(&bytes[8 * (size_t(record) + 1) + 4]);
    if (offset == 0 || offset >= bytes.size())
        return {};
    // A record that runs past the end of the file gives only what is there.
    return {bytes.data() + offset, std::min<size_t>(length, bytes.size() - offset)};
}

const char* archive_level(const Archive& archive, int level, PlayGrid* grid)
{
    const std::span<const uint8_t> record = level >= 1 && level <= MAX_LEVEL
                                                ? archive_record(archive, level_record(level))
                                                : std::span<const uint8_t>{};
    if (record.size() < size_t(LEVEL_RECORD_SIZE))
        return "no such level";
    *grid = grid_of_record(record.data());
    return nullptr;
}

const char* archive_movie(const Archive& archive, int level, std::vector<uint8_t>* movie)
{
    movie->clear();
    const std::span<const uint8_t> record = level >= 1 && level <= MAX_LEVEL
                                                ? archive_record(archive, movie_record(level))
                                                : std::span<const uint8_t>{};
    if (record.empty())
        return "no movie";
    if (record.size() < size_t(MOVIE_HEADER_SIZE))
        return "a movie shorter than its header";
    movie->assign(record.begin(), record.begin() + std::min<size_t>(record.size(), MOVIE_BUFFER_SIZE));
    return nullptr;
}

int read_record(int record, uint8_t* buffer, int max_length)
{
    const Archive archive = read_archive(archive_path);
    if (archive.result != ARCHIVE_READ_OK && archive.result != ARCHIVE_BAD_INDEX)
        return archive.result;
    const std::span<const uint8_t> bytes = archive_record(archive, record);
    const size_t count = std::min<size_t>(bytes.size(), size_t(std::max(max_length, 0)));
    std::copy_n(bytes.begin(), count, buffer);
    return int(count);
}

bool record_holds(int record, int min_length)
{
    std::vector<uint8_t> probe(size_t(std::max(min_length, 1)));
    return read_record(record, probe.data(), int(probe.size())) >= int(probe.size());
}

namespace {

// The rewrite itself; write_records adds the reporting.
int rewrite_archive(const RecordWrite* writes, int count)
{
    archive_errno = 0;
    archive_failure.problem = nullptr;
    for (int i = 0; i < count; i++)
        if (writes[i].record < 0 || writes[i].record >= ARCHIVE_MAX_RECORDS)
            return ARCHIVE_BAD_RECORD;
    Archive archive = read_archive(archive_path);
    switch (archive.result) {
    case ARCHIVE_READ_OK:
        break;
    case ARCHIVE_NOT_READABLE:
        archive_errno = archive.error;
        return ARCHIVE_CANNOT_OPEN;
    case ARCHIVE_TOO_LARGE:
        return ARCHIVE_OVERSIZED;
    default:
        return ARCHIVE_DAMAGED;
    }
    std::vector<uint8_t>& bytes = archive.bytes;
    if (int result = apply_records(&bytes, writes, count))
        return result;
    // The new archive is written beside the old one and renamed over it:
    // at every moment the old or the new archive is complete under its name.
    log_message("trying to replace %s\n", archive_path);
    ReplaceFile replacement;
    if (!replace_begin(&replacement, archive_path, 0600)) {
        archive_errno = replacement.error;
        archive_failure.problem = replacement.problem;
        return ARCHIVE_NO_TEMPORARY;
    }
    log_message("trying to rename %s to %s\n", replacement.temporary, archive_path);
    if (!write_fully(replacement.fd, bytes.data(), bytes.size())) {
        archive_errno = errno ? errno : EIO;
        return ARCHIVE_IO_ERROR;   // the holder removes the partial copy
    }
    const int result = replace_commit(&replacement);
    archive_errno = replacement.error;
    archive_failure.problem = replacement.problem;
    if (result == REPLACE_FAILED)
        return ARCHIVE_REPLACE_FAILED;
    if (result == REPLACE_NOT_SYNCED)
        return ARCHIVE_NOT_SYNCED;
    return ARCHIVE_OK;
}

} // namespace

int write_records(const RecordWrite* writes, int count)
{
    int result = rewrite_archive(writes, count);
    const int first = count > 0 ? writes[0].record : -1;
    if (result == ARCHIVE_NOT_SYNCED)
        log_message("Record %d is in %s, but the directory was not flushed: %s\n", first, archive_path,
                    archive_failure_reason(result));
    else if (result != ARCHIVE_OK)
        log_message("Cannot store record %d in %s: %s\n", first, archive_path, archive_failure_reason(result));
    return result;
}

int apply_records(std::vector<uint8_t>* archive, const RecordWrite* writes, int count)
{
    if (archive->empty()) {
        archive->assign(ARCHIVE_MAGIC, ARCHIVE_MAGIC + 4);
        archive->resize(ARCHIVE_HEADER_SIZE, 0);
    }
    if (archive->size() < size_t(ARCHIVE_HEADER_SIZE) || memcmp(archive->data(), ARCHIVE_MAGIC, 4) != 0)
        return ARCHIVE_DAMAGED;
    if (archive->size() > size_t(ARCHIVE_MAX_BYTES))
        return ARCHIVE_OVERSIZED;
    for (int i = 0; i < count; i++) {
        if (writes[i].record < 0 || writes[i].record >= ARCHIVE_MAX_RECORDS)
            return ARCHIVE_BAD_RECORD;
        if (int result = apply_record(archive, writes[i].record, writes[i].data, std::max(writes[i].length, 0)))
            return result;
    }
    return ARCHIVE_OK;
}

int write_record(int record, const uint8_t* data, int length)
{
    const RecordWrite write{record, data, length};
    return write_records(&write, 1);
}

const char* archive_failure_reason(int result)
{
    if (archive_failure.problem && result != ARCHIVE_OK)
        return archive_failure.problem;
    if (archive_errno != 0 && result != ARCHIVE_DAMAGED)
        return open_failure_reason(archive_errno);
    switch (result) {
    case ARCHIVE_OK:
        return "no failure";
    case ARCHIVE_DAMAGED:
        return "the archive is damaged";
    case ARCHIVE_OVERSIZED:
        return "the archive is too large";
    case ARCHIVE_BAD_RECORD:
        return "no such record";
    default:
        return "the archive cannot be written";
    }
}

const char* archive_damage()
{
    static char problem[128];
    const Archive archive = read_archive(archive_path);
    if (archive.damage.empty())
        return nullptr;
    snprintf(problem, sizeof problem, "%s", archive.damage.c_str());
    return problem;
}

namespace {

// A fresh log for each run, put in place like every other file; a symbolic
// link, FIFO or device at its name is replaced, never written through.
bool open_log()
{
    if (log_state.fd >= 0)
        return true;
    ReplaceFile log;
    if (!replace_begin(&log, LOG_FILE_NAME, 0644, REPLACE_LINK_ITSELF) ||
        replace_commit(&log, true) == REPLACE_FAILED)
        return false;
    log_state.fd = log.fd;
    log.fd = -1;
    return true;
}

} // namespace

void log_message(const char* format, ...)
{
    if (log_state.disabled)
        return;
    char text[LOG_LINE_SIZE];
    va_list args;
    va_start(args, format);
    const int wanted = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    size_t length = strlen(text);
    // A line cut at the buffer still ends its line.
    if (wanted >= int(sizeof text) && length > 0 && text[length - 1] != '\n')
        text[length - 1] = '\n';
    if (log_state.held) {
        if (log_state.held_lines.size() + length <= HELD_LOG_LIMIT)
            log_state.held_lines.append(text, length);
        return;
    }
    if (!open_log())
        return;   // dropped; the next message tries again
    if (!write_fully(log_state.fd, text, length)) {
        // Diagnostics only: nothing to do when the log cannot be written.
    }
}

void close_log()
{
    if (log_state.fd >= 0)
        close(log_state.fd);
    log_state.fd = -1;
}

void hold_log()
{
    log_state.held = true;
}

void release_log()
{
    if (!log_state.held)
        return;
    log_state.held = false;
    std::string lines;
    lines.swap(log_state.held_lines);
    if (!lines.empty() && open_log() && !write_fully(log_state.fd, lines.data(), lines.size())) {
        // Diagnostics only, as in log_message.
    }
}

void disable_log()
{
    close_log();
    log_state.disabled = true;
    log_state.held = false;
    log_state.held_lines.clear();
}
