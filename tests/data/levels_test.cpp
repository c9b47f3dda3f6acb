// The level sources in data/levels and their master movies in data/masters:
// every level playable by the level rules, named and described in its
// comments, none a copy or a mirror image of another, and every master a
// winning play of its level; two hundred of them in ten sets of twenty whose
// difficulty for the solver rises from set to set.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "level/grid.h"
#include "level/textformat.h"
#include "level/titles.h"
#include "display/status.h"
#include "leveledit/validate.h"
#include "support/process.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

namespace fs = std::filesystem;

struct LevelSource {
    std::string path;
    std::string text;
    LevelRecord record{};
};

// Every level source, by level number.
std::map<int, LevelSource> read_level_sources()
{
    std::map<int, LevelSource> levels;
    for (const fs::directory_entry& entry : fs::directory_iterator(VORBIX_SOURCE_DIR "/data/levels")) {
        std::string path = entry.path().string();
        int number = 0;
        EXPECT_TRUE(level_of_file_name(path, &number)) << path;
        EXPECT_EQ(levels.count(number), 0u) << "two files for level " << number << ": " << path;
        LevelSource& level = levels[number];
        level.path = path;
        EXPECT_TRUE(read_text_file(path, &level.text)) << path;
        EXPECT_EQ(parse_level_text(level.text, level.record.data()), "") << path;
    }
    return levels;
}

std::vector<std::string> comment_lines(const std::string& text)
{
    std::vector<std::string> comments;
    for (const std::string& line : split_lines(text))
        if (!line.empty() && line[0] == ';')
            comments.push_back(line);
    return comments;
}

// The 15 by 24 tile codes of a record, optionally mirrored left to right.
std::array<uint8_t, 360> tiles_of(const LevelRecord& record, bool mirrored)
{
    std::array<uint8_t, 360> tiles{};
    for (int row = 0; row < 15; row++)
        for (int col = 0; col < 24; col++) {
            uint8_t byte = record[size_t(row * 12 + col / 2)];
            uint8_t code = col % 2 ? byte & 15 : byte >> 4;
            tiles[size_t(row * 24 + (mirrored ? 23 - col : col))] = code;
        }
    return tiles;
}

TEST(LevelSources, EachIsNamedDescribedAndPlayable)
{
    std::map<int, LevelSource> levels = read_level_sources();
    ASSERT_FALSE(levels.empty());
    for (const auto& [number, level] : levels) {
        SCOPED_TRACE(level.path);
        std::vector<std::string> comments = comment_lines(level.text);
        ASSERT_GE(comments.size(), 2u) << "a name line and at least one line of notes";
        std::string title = "; Level " + std::to_string(number) + ": ";
        EXPECT_EQ(comments[0].compare(0, title.size(), title), 0) << comments[0];
        EXPECT_GT(comments[0].size(), title.size()) << "the level has no name";
        unpack_record(level.record.data(), level_grid);
        const char* problem = validate_level(level_grid, false);
        EXPECT_EQ(problem, nullptr) << problem;
    }
}

TEST(LevelSources, NoTwoAreTheSameOrMirrorImages)
{
    std::map<int, LevelSource> levels = read_level_sources();
    std::map<std::array<uint8_t, 360>, int> seen;
    for (const auto& [number, level] : levels) {
        std::array<uint8_t, 360> plain = tiles_of(level.record, false);
        std::array<uint8_t, 360> mirrored = tiles_of(level.record, true);
        for (const auto* tiles : {&plain, &mirrored}) {
            auto found = seen.find(*tiles);
            EXPECT_TRUE(found == seen.end()) << "level " << number << " repeats level " << found->second
                                             << (tiles == &mirrored ? " mirrored" : "");
        }
        seen.emplace(plain, number);
    }
}

TEST(LevelSources, EveryMasterBelongsToALevelAndWinsIt)
{
    std::map<int, LevelSource> levels = read_level_sources();
    int masters = 0;
    if (fs::exists(VORBIX_SOURCE_DIR "/data/masters"))
        for (const fs::directory_entry& entry : fs::directory_iterator(VORBIX_SOURCE_DIR "/data/masters")) {
            int number = 0;
            ASSERT_TRUE(level_of_file_name(entry.path().string(), &number)) << entry.path();
            EXPECT_EQ(levels.count(number), 1u) << entry.path() << " has no level";
            masters++;
        }
    ProcessResult r = run_process(VBLTOOL_BINARY, {"verify", VORBIX_BUILD_DIR "/data/masters.vbl"}, {}, 300);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    size_t replayed = size_t(std::count(r.out.begin(), r.out.end(), '\n'));
    EXPECT_EQ(replayed, size_t(masters)) << r.out;
}

// The solver's effort kept in a master's comment: the states it expanded
// before its first way out. -1 when the comment is missing.
long long first_way_out_effort(const std::string& master_text)
{
    for (const std::string& line : comment_lines(master_text)) {
        long long states = 0;
        if (sscanf(line.c_str(), "; solver: first way out after %lld states", &states) == 1)
            return states;
    }
    return -1;
}

TEST(LevelSources, TwoHundredInTenSetsOfRisingEffort)
{
    constexpr int SETS = 10, SET_SIZE = 20;
    std::map<int, LevelSource> levels = read_level_sources();
    std::vector<long long> medians;
    for (int set = 0; set < SETS; set++) {
        std::vector<long long> efforts;
        for (int number = set * SET_SIZE + 1; number <= (set + 1) * SET_SIZE; number++) {
            EXPECT_EQ(levels.count(number), 1u) << "level " << number << " is missing";
            char path[64];
            snprintf(path, sizeof path, "/data/masters/level%03d.movie", number);
            std::string master;
            if (!read_text_file(VORBIX_SOURCE_DIR + std::string(path), &master))
                continue;   // the test of the masters reports it
            const long long effort = first_way_out_effort(master);
            EXPECT_GE(effort, 0) << path << " does not say the solver's effort";
            efforts.push_back(effort);
        }
        if (efforts.empty())
            continue;
        std::sort(efforts.begin(), efforts.end());
        const size_t n = efforts.size();
        medians.push_back(n % 2 ? efforts[n / 2] : (efforts[n / 2 - 1] + efforts[n / 2]) / 2);
        printf("set %2d (levels %3d-%3d): median states to the first way out %lld\n", set + 1,
               set * SET_SIZE + 1, (set + 1) * SET_SIZE, medians.back());
    }
    ASSERT_EQ(medians.size(), size_t(SETS));
    for (int set = 1; set < SETS; set++)
        EXPECT_GE(medians[size_t(set)], medians[size_t(set - 1)]) << "set " << set + 1 << " is easier than set " << set;
}

// The title table the build ships beside the archive names every level with
// the title of its source, for the record the source holds, in characters
// the game's font draws.
TEST(LevelSources, EveryShippedLevelHasItsTitleInTheTable)
{
    std::string text;
    ASSERT_TRUE(read_text_file(VORBIX_BUILD_DIR "/data/titles.txt", &text));
    static TitleTable table;
    ASSERT_EQ(parse_titles(text, table), "");
    const std::map<int, LevelSource> levels = read_level_sources();
    ASSERT_EQ(levels.size(), 200u);
    for (const auto& [number, level] : levels) {
        const char* title = find_title(table, number, level.record.data());
        ASSERT_NE(title, nullptr) << "level " << number;
        EXPECT_EQ(title, title_of_level_text(level.text)) << "level " << number;
        int drawn = 0;
        for (const char* c = title; *c; c++)
            drawn += *c == ' ' || glyph_map[static_cast<unsigned char>(*c)] != BLANK_GLYPH;
        EXPECT_GE(drawn, int(strlen(title)) - 1) << "level " << number << ": " << title;
    }
}

} // namespace
