// The text level and movie formats: what is written reads back to the same
// record, and every malformed line is refused with its line number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level/grid.h"
#include "level/movie.h"
#include "level/textformat.h"

namespace {

std::string rows(const char* first_row)
{
    std::string text = "; a level\n";
    text += std::string(first_row) + "\n";
    for (int r = 1; r < FIELD_ROWS; r++)
        text += std::string(FIELD_COLUMNS, r == FIELD_ROWS - 1 ? '#' : '.') + "\n";
    return text;
}

TEST(TextFormat, LevelReadsBackToTheSameText)
{
    const std::string text = rows(".#@H-XS$EP%*............");
    uint8_t record[LEVEL_RECORD_SIZE];
    ASSERT_EQ(parse_level_text(text, record), "");
    EXPECT_EQ(record[0], 0x01);   // empty, brick: the left cell in the high nibble
    EXPECT_EQ(record[4], 0x89);   // enemy start, hero start
    EXPECT_EQ(level_text(record, "a level"), text);
}

TEST(TextFormat, BuiltInLevelAndMovieRoundTrip)
{
    uint8_t record[LEVEL_RECORD_SIZE];
    ASSERT_EQ(parse_level_text(level_text(BUILTIN_LEVEL.data(), "level 0"), record), "");
    EXPECT_EQ(std::vector<uint8_t>(record, record + LEVEL_RECORD_SIZE),
              std::vector<uint8_t>(BUILTIN_LEVEL.begin(), BUILTIN_LEVEL.end()));

    std::vector<uint8_t> movie(MOVIE_HEADER_SIZE, 0);
    movie[0] = 0x2a;   // score 42, little-endian
    const char name[] = "a\\b\x01 c";
    std::copy(name, name + sizeof name - 1, movie.begin() + 4);
    movie[MOVIE_SEED_OFFSET] = 23;
    for (int i = 0; i < 13; i++) {
        movie.push_back(uint8_t(1 + i));
        movie.push_back(uint8_t(i % 7));
    }
    std::vector<uint8_t> back;
    const std::string text = movie_text(movie.data(), int(movie.size()), "movie");
    ASSERT_EQ(parse_movie_text(text, &back), "") << text;
    EXPECT_EQ(back, movie) << text;
}

// A stored name may hold any 16 bytes (the game stores what a damaged
// player-name file gives): text and back keeps every one of them.
TEST(TextFormat, EveryNameByteSurvivesTheText)
{
    const std::string names[] = {
        std::string("ab\0cd", 5) + std::string(11, 0),
        std::string("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0z", 16),
        std::string("\x1b[2J\x07\\x41 \xff\x80\0q", 12) + std::string(4, 0),
        std::string(16, 0),
        std::string(16, '\xe9'),
    };
    for (const std::string& name : names) {
        std::vector<uint8_t> movie(MOVIE_HEADER_SIZE, 0);
        std::copy(name.begin(), name.end(), movie.begin() + 4);
        movie.push_back(3);
        movie.push_back(4);
        const std::string text = movie_text(movie.data(), int(movie.size()), "movie");
        EXPECT_EQ(text.find('\x1b'), std::string::npos);
        std::vector<uint8_t> back;
        ASSERT_EQ(parse_movie_text(text, &back), "") << text;
        EXPECT_EQ(back, movie) << text;
    }
}

TEST(TextFormat, MalformedInputNamesTheProblem)
{
    struct Case {
        std::string text;
        bool movie;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {rows("........................."), false, "line 2: 25 characters, a row has 24"},
        {rows(".......................Q"), false, "line 2 column 24: 'Q' is not a tile character"},
        {"; nothing\n", false, "0 rows, a level has 15"},
        {rows("........................") + "........................\n", false, "line 17: more than 15 rows"},
        {"score 1\n", true, "a movie needs a score line and a seed line"},
        {"score x\nseed 0\n", true, "line 1: the score is a number"},
        {"score \nseed 0\n", true, "line 1: the score is a number"},
        {"score -\nseed 0\n", true, "line 1: the score is a number"},
        {"score 99999999999\nseed 0\n", true, "line 1: the score is a number"},
        {"score 1\nseed 24\n", true, "line 2: the seed is a number 0..23"},
        {"score 1\nseed \n", true, "line 2: the seed is a number 0..23"},
        {"score 1\nseed 7zz\n", true, "line 2: the seed is a number 0..23"},
        {"score 1\nseed 99999999999999999999\n", true, "line 2: the seed is a number 0..23"},
        {"score 1\nseed 4294967297\n", true, "line 2: the seed is a number 0..23"},
        {"score 1\nseed 0\nname a\\x4\n", true, "line 3: \\x in a name takes two hexadecimal digits"},
        {"score 1\nseed 0\nname a\\xzz\n", true, "line 3: \\x in a name takes two hexadecimal digits"},
        {"score 1\nseed 0\n0x1\n", true, "line 3: expected pairs COUNTxINPUT with COUNT 1..255"},
        {"score 1\nseed 0\n4294967297x1\n", true, "line 3: expected pairs COUNTxINPUT with COUNT 1..255"},
        // Inputs are 0 (none) to 6 (dig right); nothing else is a key.
        {"score 1\nseed 0\n1x6 2x7\n", true, "line 3: input 7 is none of 0..6"},
        {"score 1\nseed 0\n1x255\n", true, "line 3: input 255 is none of 0..6"},
        {"score 1\nseed 0\n1x4294967297\n", true, "line 3: input 4294967297 is none of 0..6"},
        {"score 1\nseed 0\n1x-1\n", true, "line 3: input 18446744073709551615 is none of 0..6"},
        {"score 1\nseed 0\nname 12345678901234567\n", true, "line 3: a name has at most 16 characters"},
    };
    for (const Case& c : cases) {
        uint8_t record[LEVEL_RECORD_SIZE];
        std::vector<uint8_t> movie;
        EXPECT_EQ(c.movie ? parse_movie_text(c.text, &movie) : parse_level_text(c.text, record), c.problem)
            << c.text;
    }
}

TEST(TextFormat, LevelNumberComesFromTheFileName)
{
    const struct {
        const char* path;
        int level;   // 0: no level
    } cases[] = {{"data/levels/level007.txt", 7}, {"7.movie", 7}, {"a/b12/level400.txt", 400},
                 {"level0007.txt", 7},        {"level401.txt", 0}, {"level000.txt", 0},
                 {"notes.txt", 0}};
    for (const auto& c : cases) {
        int level = 0;
        EXPECT_EQ(level_of_file_name(c.path, &level), c.level != 0) << c.path;
        if (c.level) {
            EXPECT_EQ(level, c.level) << c.path;
        }
    }
}

} // namespace
