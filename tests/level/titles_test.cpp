// The title table: what its reader accepts and refuses, and that a title
// belongs to one record of its level only.
#include <gtest/gtest.h>

#include <string>

#include "level/grid.h"
#include "level/titles.h"

namespace {

TEST(Titles, ALevelShowsItsTitleOnlyForTheRecordItWasWrittenFor)
{
    static TitleTable table;
    LevelRecord record = BUILTIN_LEVEL;
    ASSERT_EQ(parse_titles("# comment\n\n" + title_line(7, record.data(), "Before it grows back"), table), "");
    EXPECT_STREQ(find_title(table, 7, record.data()), "Before it grows back");
    EXPECT_EQ(find_title(table, 8, record.data()), nullptr);
    EXPECT_EQ(find_title(table, 0, record.data()), nullptr);
    EXPECT_EQ(find_title(table, MAX_LEVEL + 1, record.data()), nullptr);
    record[100] ^= 0x10;   // one tile painted over in the editor
    EXPECT_EQ(find_title(table, 7, record.data()), nullptr);
}

TEST(Titles, MalformedTablesNameTheLine)
{
    static TitleTable table;
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"7\n", "line 1: not NUMBER FINGERPRINT TITLE"},
        {"7 0badf00d\n", "line 1: the title is empty or longer than 40 characters"},
        {"seven 0badf00d Title\n", "line 1: not NUMBER FINGERPRINT TITLE"},
        {"1 00000000 A\n401 0badf00d Title\n", "line 2: level 401 is not 1..400"},
        {"3 0badf00d A\n3 0badf00d B\n", "line 2: level 3 has a title already"},
        {"3 0badf00d 12345678901234567890123456789012345678901\n",
         "line 1: the title is empty or longer than 40 characters"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_titles(c.text, table), c.problem) << c.text;
}

TEST(Titles, TheTitleComesFromTheLevelFilesFirstLine)
{
    EXPECT_EQ(title_of_level_text("; Level 13: Stop, thief!\n; more\n"), "Stop, thief!");
    EXPECT_EQ(title_of_level_text("; a level of my own\n"), "");
    EXPECT_EQ(title_of_level_text(""), "");
}

} // namespace
