// Salvaging the records of a damaged archive.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct RepairResult {
    std::string problem;   // not an archive at all: why; empty otherwise
    // The records kept, (record number, bytes), in index order.
    std::vector<std::pair<int, std::vector<uint8_t>>> kept;
    int dropped = 0;
    std::string report;    // one line for each record kept or dropped, and
                           // what the index and the bytes behind the records hold
};

// Keeps every record whose index entry is consistent: it starts behind the
// index and inside the file, does not overlap a record kept before it and
// has its kind's size (a level 180 bytes, a movie 21..4115). The entry count
// is not trusted: the index ends where the first record kept begins (and
// within the file and the 800 entries an archive holds), so a count too
// large takes no record bytes for entries, and a count too small loses none
// of the records the index still names.
RepairResult repair_archive_bytes(const std::string& bytes);
