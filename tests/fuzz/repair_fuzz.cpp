// Fuzz target for repair: any bytes as a damaged archive. What it keeps
// makes a sound archive whose records read back as kept, and repairing that
// archive keeps every record and drops nothing.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "level/archive.h"
#include "level/repair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const RepairResult first = repair_archive_bytes(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.problem.empty())
        return 0;
    std::vector<uint8_t> bytes;
    for (const auto& [record, kept] : first.kept) {
        const RecordWrite write{record, kept.data(), int(kept.size())};
        FUZZ_CHECK(apply_records(&bytes, &write, 1) == ARCHIVE_OK);
    }
    if (bytes.empty())
        return 0;
    const Archive archive = archive_from_bytes(bytes);
    FUZZ_CHECK(archive.result == ARCHIVE_READ_OK && archive.damage.empty());
    for (const auto& [record, kept] : first.kept) {
        const std::span<const uint8_t> got = archive_record(archive, record);
        FUZZ_CHECK(got.size() == kept.size() && std::equal(kept.begin(), kept.end(), got.begin()));
    }
    const RepairResult again = repair_archive_bytes(std::string(bytes.begin(), bytes.end()));
    FUZZ_CHECK(again.problem.empty() && again.dropped == 0 && again.kept == first.kept);
    return 0;
}
