// Level steps: the level each step goes to, with the fallbacks when a level
// cannot be read, and the grid it leaves loaded.
#include <gtest/gtest.h>

#include <string>

#include "level/archive.h"
#include "level/movie.h"
#include "support/archive_files.h"
#include "support/fixtures.h"
#include "view/view.h"

namespace {

// Level n's record: its first cell holds tile code n, so the grid tells
// which level was loaded.
std::string level_bytes(int level)
{
    std::string record(LEVEL_RECORD_SIZE, '\0');
    record[0] = char(level << 4);
    return record;
}

class LevelSteps : public ::testing::Test {
protected:
    HeadlessScreen screen;
    TempArchiveDir work;
    Session session;

    // Levels 1 to 4; levels 1 and 2 have a stored movie.
    void SetUp() override
    {
        const std::string movie(MOVIE_HEADER_SIZE + 2, '\1');
        write_file(archive_path, build_archive({10,
                                                {{0, level_bytes(1)},
                                                 {1, movie},
                                                 {2, level_bytes(2)},
                                                 {3, movie},
                                                 {4, level_bytes(3)},
                                                 {6, level_bytes(4)}}}));
    }
    int loaded() const { return session.grid[size_t(field_cell(0, 0))]; }
};

TEST_F(LevelSteps, EachStepSaysWhereItGoesAndLoadsThatLevel)
{
    const struct {
        int from;
        LevelStep how;
        int number;
        int target;   // what level_target says
        int reached;  // where step_level goes, -1 for nowhere
    } cases[] = {
        {1, STEP_NEXT, 0, 2, 2},
        {0, STEP_NEXT, 0, 1, 1},
        {4, STEP_NEXT, 0, 5, 1},       // no level 5: level 1
        {400, STEP_NEXT, 0, 401, 1},   // past the last level: level 1
        {2, STEP_PREVIOUS, 0, 1, 1},
        {1, STEP_PREVIOUS, 0, 0, 0},   // the built-in level
        {2, STEP_TO, 3, 3, 3},
        {2, STEP_TO, 5, 5, -1},        // a named level that cannot be read: none
        {4, STEP_FIRST_UNSOLVED, 0, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " step " + std::to_string(c.how));
        session.level = c.from;
        session.grid.fill(TILE_EMPTY);
        EXPECT_EQ(level_target(session, c.how, c.number), c.target);
        EXPECT_EQ(step_level(session, c.how, c.number), c.reached);
        if (c.reached < 0) {
            EXPECT_EQ(session.level, c.from);
        } else {
            EXPECT_EQ(session.level, c.reached);
            EXPECT_EQ(loaded(), c.reached == 0 ? BUILTIN_LEVEL[0] >> 4 : c.reached);
        }
    }
}

TEST_F(LevelSteps, WithoutAnArchiveOnlyTheBuiltInLevelIsLeft)
{
    archive_path[0] = 0;
    session.level = 3;
    EXPECT_EQ(step_level(session, STEP_NEXT), 0);
    EXPECT_EQ(session.level, 0);
    session.level = 3;
    EXPECT_EQ(step_level(session, STEP_FIRST_UNSOLVED), -1) << "the first unsolved level falls back to level 1 only";
    EXPECT_EQ(session.level, 3);
}

} // namespace
