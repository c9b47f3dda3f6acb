// Building and taking apart archive files byte by byte, for tests.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ArchiveImage {
    uint32_t entries = 0;
    // Present records in data-area order: (record number, bytes).
    std::vector<std::pair<int, std::string>> records;
};

// The file bytes of an archive whose records lie back to back in the given order.
std::string build_archive(const ArchiveImage& image);

struct IndexEntry {
    uint32_t offset, length;
    bool operator==(const IndexEntry&) const = default;
};

struct ParsedArchive {
    uint32_t entries = 0;
    std::vector<IndexEntry> index;
};
ParsedArchive parse_archive(const std::string& bytes);

std::string pattern_bytes(size_t n, int seed);

// A level text won in a few ticks: the hero walks right onto the ladder
// beside him and climbs out; there is nothing to collect.
std::string quick_level_text();
