// Fuzz target for the archive rewrite: the input is a record number, a
// payload and an arbitrary archive. The rewrite either refuses and leaves
// the file as it was, or stores the record and keeps every other one; it
// never leaves a temporary file and never makes a sound archive unsound.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "level/archive.h"
#include "level/movie.h"

namespace {

std::string read_whole_record(int record)
{
    std::vector<uint8_t> buffer(8192);
    int got = read_record(record, buffer.data(), int(buffer.size()));
    return got < 0 ? "error " + std::to_string(got) : std::string(buffer.begin(), buffer.begin() + got);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        snprintf(archive_path, sizeof archive_path, "%s/levels.vbl", fuzz_directory().c_str());
        return true;
    }();
    (void)ready;
    if (size < 4)
        return 0;
    // Record number 0..819 (a few beyond the 800 the archive holds), payload
    // length 0..4095, then the payload, then the archive.
    const int record = (data[0] << 8 | data[1]) % 820;
    size_t length = size_t(data[2] << 8 | data[3]) % 4096;
    data += 4;
    size -= 4;
    if (length > size)
        length = size;
    const uint8_t* payload = data;
    write_bytes(archive_path, data + length, size - length);

    const std::string before = read_bytes(archive_path);
    const bool sound = archive_damage() == nullptr;
    // Records past the larger index read as absent before and after.
    const uint32_t entries = before.size() >= 8 ? uint32_t(uint8_t(before[4]) << 24 | uint8_t(before[5]) << 16 |
                                                           uint8_t(before[6]) << 8 | uint8_t(before[7]))
                                                : 0;
    // In 64 bits: an index may claim 2^32 - 1 entries.
    const int last = int(std::min<int64_t>(ARCHIVE_MAX_RECORDS,
                                           int64_t(std::max<uint32_t>(entries, uint32_t(record + 1))) + 1));
    std::vector<std::string> records;
    for (int r = 0; r < last; r++)
        records.push_back(sound ? read_whole_record(r) : "");

    const int result = write_record(record, payload, int(length));
    FUZZ_CHECK(!has_temporaries(fuzz_directory()));
    if (result != 0) {
        FUZZ_CHECK(result != ARCHIVE_NOT_SYNCED);
        FUZZ_CHECK(read_bytes(archive_path) == before);
        FUZZ_CHECK(!sound || record >= ARCHIVE_MAX_RECORDS);
        return 0;
    }
    FUZZ_CHECK(sound);
    FUZZ_CHECK(archive_damage() == nullptr);
    FUZZ_CHECK(read_whole_record(record) == std::string(payload, payload + length));
    for (int r = 0; r < last; r++)
        if (r != record)
            FUZZ_CHECK(read_whole_record(r) == records[size_t(r)]);
    return 0;
}
