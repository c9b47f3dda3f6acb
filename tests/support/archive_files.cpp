#include "support/archive_files.h"

#include "level/archive.h"

namespace {

void put_u32(std::string& out, uint32_t v)
{
    out += char(v >> 24);
    out += char(v >> 16);
    out += char(v >> 8);
    out += char(v);
}

uint32_t get_u32(const std::string& s, size_t at)
{
    auto b = [&](size_t i) { return uint32_t(uint8_t(s[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

} // namespace

std::string build_archive(const ArchiveImage& image)
{
    std::vector<std::pair<uint32_t, uint32_t>> index(image.entries, {0, 0});
    uint32_t offset = 8 * (image.entries + 1);
    std::string data;
    for (const auto& [number, bytes] : image.records) {
        index[number] = {offset, uint32_t(bytes.size())};
        offset += uint32_t(bytes.size());
        data += bytes;
    }
    std::string out(ARCHIVE_MAGIC, sizeof ARCHIVE_MAGIC);
    put_u32(out, image.entries);
    for (const auto& [o, l] : index) {
        put_u32(out, o);
        put_u32(out, l);
    }
    return out + data;
}

ParsedArchive parse_archive(const std::string& bytes)
{
    ParsedArchive parsed;
    if (bytes.size() < 8)
        return parsed;
    parsed.entries = get_u32(bytes, 4);
    for (uint32_t i = 0; i < parsed.entries && 16 + 8 * size_t(i) <= bytes.size(); i++)
        parsed.index.push_back({get_u32(bytes, 8 + 8 * i), get_u32(bytes, 12 + 8 * i)});
    return parsed;
}

std::string pattern_bytes(size_t n, int seed)
{
    std::string s(n, 0);
    for (size_t i = 0; i < n; i++)
        s[i] = char((i * 7 + size_t(seed) * 31 + 1) & 0xff);
    return s;
}

std::string quick_level_text()
{
    std::string text = "; quick\nPH@.....................\n" + std::string(24, '@') + "\n";
    for (int row = 2; row < 15; row++)
        text += std::string(24, '.') + "\n";
    return text;
}
