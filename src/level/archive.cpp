#include "level/archive.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libgen.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

char archive_path[PATH_BUFFER_SIZE];
char temp_path[PATH_BUFFER_SIZE];
int archive_errno;

namespace {

constexpr int COPY_BLOCK = 1024;

int log_fd = -1;
bool log_disabled;

// Closes a descriptor when it goes out of scope.
struct FileHolder {
    int fd;
    explicit FileHolder(int f) : fd(f) {}
    ~FileHolder()
    {
        if (fd >= 0)
            close(fd);
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    int release()
    {
        int f = fd;
        fd = -1;
        return f;
    }
};

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

bool write_full(int fd, const void* buffer, size_t n)
{
    size_t done = 0;
    while (done < n) {
        ssize_t put = write(fd, static_cast<const uint8_t*>(buffer) + done, n - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

struct IndexEntry {
    uint32_t offset, length;
};

// Flushes the directory holding path, so that a rename in it is on the disk.
// False (errno set) when the directory cannot be opened or flushed.
bool sync_directory_of(const char* path)
{
    char copy[PATH_BUFFER_SIZE];
    snprintf(copy, sizeof copy, "%s", path);
    int fd = open(dirname(copy), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    int error = errno;
    ok = close(fd) == 0 && ok;
    if (!ok && error)
        errno = error;
    return ok;
}

// What is wrong with an index, for archive_damage and the log.
char index_problem[96];

// Reads the N entries behind the header and checks them against the file:
// every present record lies inside the data area and no two overlap, so a
// rewrite can move them without wrapping an offset. ARCHIVE_OK, or
// ARCHIVE_BAD_INDEX with index_problem saying why, or ARCHIVE_IO_ERROR.
int load_index(int fd, uint32_t entries, int64_t file_size, IndexEntry* index)
{
    std::array<uint8_t, 8 * ARCHIVE_MAX_RECORDS> raw;
    ssize_t got = read_full(fd, raw.data(), 8 * entries);
    if (got < 0)
        return ARCHIVE_IO_ERROR;
    if (got != ssize_t(8 * entries)) {
        snprintf(index_problem, sizeof index_problem, "its index of %u entries runs past the end", entries);
        return ARCHIVE_BAD_INDEX;
    }
    const int64_t data_start = 8 * (int64_t(entries) + 1);
    std::array<uint32_t, ARCHIVE_MAX_RECORDS> order;
    uint32_t present = 0;
    for (uint32_t i = 0; i < entries; i++) {
        index[i] = {get_u32(&raw[8 * i]), get_u32(&raw[8 * i + 4])};
        if (index[i].offset == 0)
            continue;
        if (index[i].offset < data_start || int64_t(index[i].offset) + index[i].length > file_size) {
            snprintf(index_problem, sizeof index_problem, "record %u lies outside the data area", i);
            return ARCHIVE_BAD_INDEX;
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
    int64_t end = 0;
    uint32_t last = 0;
    for (uint32_t k = 0; k < present; k++) {
        const IndexEntry& e = index[order[k]];
        if (e.offset < end) {
            snprintf(index_problem, sizeof index_problem, "records %u and %u overlap", last, order[k]);
            return ARCHIVE_BAD_INDEX;
        }
        if (int64_t(e.offset) + e.length > end) {
            end = int64_t(e.offset) + e.length;
            last = order[k];
        }
    }
    return ARCHIVE_OK;
}

// Copies n bytes (or, with n < 0, everything up to the end) from in to out.
// Returns the bytes copied, or -1 when a read or write failed or the input
// ended before n bytes.
int64_t copy_bytes(int in, int out, int64_t n)
{
    std::array<uint8_t, COPY_BLOCK> block;
    int64_t done = 0;
    while (n < 0 || done < n) {
        size_t want = COPY_BLOCK;
        if (n >= 0 && n - done < COPY_BLOCK)
            want = size_t(n - done);
        ssize_t got = read_full(in, block.data(), want);
        if (got < 0)
            return -1;
        if (got == 0)
            return n < 0 ? done : -1;
        if (!write_full(out, block.data(), size_t(got)))
            return -1;
        done += got;
    }
    return done;
}

// Builds the new archive in the temporary file; returns 0 or a negative code.
// The archive itself is only read here.
int write_temporary(int archive, int temp, uint32_t entries, int64_t file_size, int record,
                    const uint8_t* data, int length)
{
    std::array<IndexEntry, ARCHIVE_MAX_RECORDS> index{};
    if (int result = load_index(archive, entries, file_size, index.data()))
        return result;
    const int64_t data_start = 8 * (int64_t(entries) + 1);
    std::array<uint8_t, 8 * ARCHIVE_MAX_RECORDS> raw;
    const uint32_t grown = std::max<uint32_t>(entries, uint32_t(record) + 1);
    const IndexEntry old = index[record];
    for (uint32_t i = 0; i < grown; i++) {
        if (old.offset != 0 && index[i].offset > old.offset)
            index[i].offset -= old.length;   // bytes behind the old record move forward
        if (grown > entries && index[i].offset != 0)
            index[i].offset += 8 * (grown - entries);   // the index grew
    }
    index[record] = {0, uint32_t(length)};

    std::array<uint8_t, 8> header;
    memcpy(header.data(), ARCHIVE_MAGIC, 4);
    put_u32(&header[4], grown);
    if (!write_full(temp, header.data(), 8))
        return ARCHIVE_IO_ERROR;
    for (uint32_t i = 0; i < grown; i++) {
        put_u32(&raw[8 * i], index[i].offset);
        put_u32(&raw[8 * i + 4], index[i].length);
    }
    if (!write_full(temp, raw.data(), 8 * grown))
        return ARCHIVE_IO_ERROR;

    int64_t written = 8 * (int64_t(grown) + 1);
    if (old.offset != 0) {
        int64_t before = int64_t(old.offset) - data_start;
        if (copy_bytes(archive, temp, before) != before)
            return ARCHIVE_IO_ERROR;
        written += before;
        if (lseek(archive, old.length, SEEK_CUR) < 0)
            return ARCHIVE_IO_ERROR;
    }
    int64_t rest = copy_bytes(archive, temp, -1);
    if (rest < 0)
        return ARCHIVE_IO_ERROR;
    written += rest;
    if (length > 0) {
        if (written > UINT32_MAX || !write_full(temp, data, size_t(length)))
            return ARCHIVE_IO_ERROR;
        std::array<uint8_t, 4> offset;
        put_u32(offset.data(), uint32_t(written));
        if (lseek(temp, 8 * (int64_t(record) + 1), SEEK_SET) < 0 || !write_full(temp, offset.data(), 4))
            return ARCHIVE_IO_ERROR;
    }
    return ARCHIVE_OK;
}

// Reads and checks the 8-byte header: 0 and the entry count, or a code.
int read_header(int fd, uint32_t* entries)
{
    uint8_t header[8];
    if (read_full(fd, header, 8) != 8)
        return ARCHIVE_SHORT_HEADER;
    if (memcmp(header, ARCHIVE_MAGIC, 4) != 0)
        return ARCHIVE_BAD_MAGIC;
    *entries = get_u32(header + 4);
    return ARCHIVE_OK;
}

} // namespace

int read_record(int record, uint8_t* buffer, int max_length)
{
    FileHolder file(open(archive_path, O_RDONLY));
    if (file.fd < 0)
        return ARCHIVE_NOT_READABLE;
    uint32_t entries;
    if (int result = read_header(file.fd, &entries))
        return result;
    if (record < 0 || uint32_t(record) >= entries)
        return 0;
    uint8_t entry[8];
    // An index that ends early (a damaged file) has no such record.
    if (lseek(file.fd, 8 * (off_t(record) + 1), SEEK_SET) < 0 || read_full(file.fd, entry, 8) != 8)
        return 0;
    uint32_t offset = get_u32(entry);
    uint32_t length = get_u32(entry + 4);
    int64_t wanted = std::min<int64_t>(max_length, length);
    if (offset == 0 || wanted <= 0)
        return 0;
    if (lseek(file.fd, offset, SEEK_SET) < 0)
        return 0;
    // A record that runs past the end of the file gives only what is there.
    ssize_t got = read_full(file.fd, buffer, size_t(wanted));
    return got < 0 ? 0 : int(got);
}

bool record_holds(int record, int min_length)
{
    std::vector<uint8_t> probe(size_t(std::max(min_length, 1)));
    return read_record(record, probe.data(), int(probe.size())) >= int(probe.size());
}

namespace {

// The rewrite itself; write_record adds the reporting.
int rewrite_archive(int record, const uint8_t* data, int length)
{
    archive_errno = 0;
    if (record < 0 || record >= ARCHIVE_MAX_RECORDS)
        return ARCHIVE_BAD_RECORD;
    if (length < 0)
        length = 0;
    FileHolder archive(open(archive_path, O_RDONLY));
    if (archive.fd < 0) {
        archive_errno = errno;
        return ARCHIVE_CANNOT_OPEN;
    }
    uint32_t entries;
    errno = 0;
    if (int result = read_header(archive.fd, &entries)) {
        archive_errno = errno;   // 0 unless the read itself failed
        return result;
    }
    if (entries > uint32_t(ARCHIVE_MAX_RECORDS)) {
        snprintf(index_problem, sizeof index_problem, "its index has %u entries, more than %d", entries,
                 ARCHIVE_MAX_RECORDS);
        return ARCHIVE_BAD_INDEX;
    }
    struct stat info;
    if (fstat(archive.fd, &info) != 0) {
        archive_errno = errno;
        return ARCHIVE_IO_ERROR;
    }
    FileHolder temp(open(temp_path, O_WRONLY | O_CREAT | O_TRUNC, 0600));
    if (temp.fd < 0) {
        archive_errno = errno;
        return ARCHIVE_NO_TEMPORARY;
    }
    errno = 0;
    int result = write_temporary(archive.fd, temp.fd, entries, info.st_size, record, data, length);
    int error = errno;
    close(archive.release());
    if (result == ARCHIVE_OK && fsync(temp.fd) != 0) {
        result = ARCHIVE_IO_ERROR;
        error = errno;
    }
    if (close(temp.release()) != 0 && result == ARCHIVE_OK) {
        result = ARCHIVE_IO_ERROR;
        error = errno;
    }
    if (result != ARCHIVE_OK) {
        if (result == ARCHIVE_IO_ERROR)
            archive_errno = error ? error : EIO;   // a read that ended early
        unlink(temp_path);   // the archive is untouched; drop the partial copy
        return result;
    }
    // rename replaces the archive in one step: at every moment the old or the
    // new archive is complete under the archive's name.
    log_message("trying to replace %s\n", archive_path);
    log_message("trying to rename %s to %s\n", temp_path, archive_path);
    if (rename(temp_path, archive_path) != 0) {
        archive_errno = errno;
        log_message("Error renaming %s to %s code was %d (%s)\n", temp_path, archive_path, -1,
                    strerror(archive_errno));
        unlink(temp_path);
        return ARCHIVE_REPLACE_FAILED;
    }
    // The new archive is in place, but until its directory is on the disk a
    // crash may bring back the old one.
    if (!sync_directory_of(archive_path)) {
        archive_errno = errno ? errno : EIO;
        return ARCHIVE_NOT_SYNCED;
    }
    return ARCHIVE_OK;
}

} // namespace

int write_record(int record, const uint8_t* data, int length)
{
    int result = rewrite_archive(record, data, length);
    if (result == ARCHIVE_NOT_SYNCED)
        log_message("Record %d is in %s, but the directory was not flushed: %s\n", record, archive_path,
                    archive_failure_reason(result));
    else if (result != ARCHIVE_OK)
        log_message("Cannot store record %d in %s: %s\n", record, archive_path, archive_failure_reason(result));
    return result;
}

const char* archive_failure_reason(int result)
{
    if (archive_errno != 0 && result != ARCHIVE_BAD_MAGIC)
        return strerror(archive_errno);
    switch (result) {
    case ARCHIVE_OK:
        return "no failure";
    case ARCHIVE_SHORT_HEADER:
    case ARCHIVE_BAD_MAGIC:
        return "the archive is damaged";
    case ARCHIVE_BAD_RECORD:
        return "no such record";
    default:
        return "the archive cannot be written";
    }
}

const char* archive_damage()
{
    static char problem[128];
    FileHolder file(open(archive_path, O_RDONLY));
    if (file.fd < 0) {
        snprintf(problem, sizeof problem, "it cannot be opened (%s)", strerror(errno));
        return problem;
    }
    uint32_t entries;
    switch (read_header(file.fd, &entries)) {
    case ARCHIVE_OK:
        break;
    case ARCHIVE_BAD_MAGIC:
        return "it does not start with VRBX";
    default:
        return "it is shorter than its 8-byte header";
    }
    if (entries > uint32_t(ARCHIVE_MAX_RECORDS)) {
        snprintf(problem, sizeof problem, "its index has %u entries, more than %d", entries, ARCHIVE_MAX_RECORDS);
        return problem;
    }
    struct stat info;
    std::array<IndexEntry, ARCHIVE_MAX_RECORDS> index;
    if (fstat(file.fd, &info) != 0) {
        snprintf(problem, sizeof problem, "it cannot be read (%s)", strerror(errno));
        return problem;
    }
    int result = load_index(file.fd, entries, info.st_size, index.data());
    if (result == ARCHIVE_OK)
        return nullptr;
    if (result == ARCHIVE_IO_ERROR)
        snprintf(problem, sizeof problem, "it cannot be read (%s)", strerror(errno));
    else
        snprintf(problem, sizeof problem, "%s", index_problem);
    return problem;
}

void log_message(const char* format, ...)
{
    if (log_disabled)
        return;
    char text[128];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (log_fd < 0) {
        log_fd = open("VRBXINFO.LOG", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log_fd < 0)
            return;   // dropped; the next message tries again
    }
    if (write(log_fd, text, strlen(text)) < 0) {
        // Diagnostics only: nothing to do when the log cannot be written.
    }
}

void close_log()
{
    if (log_fd >= 0)
        close(log_fd);
    log_fd = -1;
}

void disable_log()
{
    close_log();
    log_disabled = true;
}
