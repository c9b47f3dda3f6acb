// Fuzz target for repair: any bytes as a damaged archive. What it keeps
// makes a sound archive whose records read back as kept, and repairing that
// archive keeps every record and drops nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "level/archive.h"
#include "level/repair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        snprintf(archive_path, sizeof archive_path, "%s/repaired.vbl", fuzz_directory().c_str());
        return true;
    }();
    (void)ready;
    const RepairResult first = repair_archive_bytes(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.problem.empty())
        return 0;
    std::vector<uint8_t> archive;
    for (const auto& [record, bytes] : first.kept) {
        const RecordWrite write{record, bytes.data(), int(bytes.size())};
        FUZZ_CHECK(apply_records(&archive, &write, 1) == ARCHIVE_OK);
    }
    if (archive.empty())
        return 0;
    write_bytes(archive_path, archive.data(), archive.size());
    FUZZ_CHECK(archive_damage() == nullptr);
    std::vector<uint8_t> buffer(8192);
    for (const auto& [record, bytes] : first.kept) {
        const int got = read_record(record, buffer.data(), int(buffer.size()));
        FUZZ_CHECK(got == int(bytes.size()) && std::equal(bytes.begin(), bytes.end(), buffer.begin()));
    }
    const RepairResult again = repair_archive_bytes(std::string(archive.begin(), archive.end()));
    FUZZ_CHECK(again.problem.empty() && again.dropped == 0 && again.kept == first.kept);
    return 0;
}
