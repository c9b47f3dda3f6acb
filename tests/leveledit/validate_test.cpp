// The level rules, one fixture grid changed case by case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level/grid.h"
#include "leveledit/validate.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

struct Placement {
    int code;
    int count;
};

// An empty level with the given codes placed along row 5, and the top row
// filled with `top` (empty by default).
void make_level(const std::vector<Placement>& placements, int top = TILE_EMPTY)
{
    level_grid.fill(TILE_BORDER);
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            level_grid[size_t(field_cell(c, r))] = uint8_t(r == 0 ? top : TILE_EMPTY);
    int column = 0, row = 5;
    for (const Placement& p : placements)
        for (int i = 0; i < p.count; i++) {
            level_grid[size_t(field_cell(column, row))] = uint8_t(p.code);
            if (++column == FIELD_COLUMNS)
                column = 0, row++;
        }
}

TEST(ValidateLevel, RulesInOrder)
{
    const char* PLAYER = "level must have exactly 1 player";
    const char* ENEMIES = "level cannot have more than 5 enemies";
    const char* FLASH = "level must have exactly 0 or 3 flashing objects";
    const char* FLASH_RELAXED = "number of flashing berries must be 0 to 3";
    const char* HIDDEN = "level must have exactly 0 or 3 hidden enemies";
    const char* HIDDEN_RELAXED = "number of hidden ememies must be 0 to 3";
    const char* ESCAPE = "if you have escape ladders, you must have at least 1 object";
    const char* TOP = "there must be at least 1 empty space on the top row";
    const struct {
        const char* name;
        std::vector<Placement> level;
        int top;
        bool relaxed;
        const char* message;   // null: passes
    } cases[] = {
        {"empty level", {}, TILE_EMPTY, false, PLAYER},
        {"two heroes", {{TILE_HERO_START, 2}}, TILE_EMPTY, false, PLAYER},
        {"no hero, everything wrong", {{TILE_ENEMY_START, 9}, {TILE_FLASHING_OBJECT, 2}}, TILE_BRICK, false, PLAYER},
        {"one hero", {{TILE_HERO_START, 1}}, TILE_EMPTY, false, nullptr},
        {"five enemies", {{TILE_HERO_START, 1}, {TILE_ENEMY_START, 5}}, TILE_EMPTY, false, nullptr},
        {"six enemies", {{TILE_HERO_START, 1}, {TILE_ENEMY_START, 6}}, TILE_EMPTY, false, ENEMIES},
        {"two flashing", {{TILE_HERO_START, 1}, {TILE_FLASHING_OBJECT, 2}}, TILE_EMPTY, false, FLASH},
        {"two flashing, relaxed", {{TILE_HERO_START, 1}, {TILE_FLASHING_OBJECT, 2}}, TILE_EMPTY, true, nullptr},
        {"four flashing", {{TILE_HERO_START, 1}, {TILE_FLASHING_OBJECT, 4}}, TILE_EMPTY, false, FLASH},
        {"four flashing, relaxed", {{TILE_HERO_START, 1}, {TILE_FLASHING_OBJECT, 4}}, TILE_EMPTY, true, FLASH_RELAXED},
        {"three flashing", {{TILE_HERO_START, 1}, {TILE_FLASHING_OBJECT, 3}}, TILE_EMPTY, false, nullptr},
        {"one hidden", {{TILE_HERO_START, 1}, {TILE_HIDDEN_ENEMY, 1}}, TILE_EMPTY, false, HIDDEN},
        {"one hidden, relaxed", {{TILE_HERO_START, 1}, {TILE_HIDDEN_ENEMY, 1}}, TILE_EMPTY, true, nullptr},
        {"four hidden, relaxed", {{TILE_HERO_START, 1}, {TILE_HIDDEN_ENEMY, 4}}, TILE_EMPTY, true, HIDDEN_RELAXED},
        {"escape, no objects", {{TILE_HERO_START, 1}, {TILE_ESCAPE_LADDER, 2}}, TILE_EMPTY, false, ESCAPE},
        {"escape and flashing", {{TILE_HERO_START, 1}, {TILE_ESCAPE_LADDER, 2}, {TILE_FLASHING_OBJECT, 3}}, TILE_EMPTY, false, nullptr},
        {"escape and object", {{TILE_HERO_START, 1}, {TILE_ESCAPE_LADDER, 2}, {TILE_OBJECT, 1}}, TILE_EMPTY, false, nullptr},
        {"closed top row", {{TILE_HERO_START, 1}}, TILE_BRICK, false, TOP},
        {"top row of ladders", {{TILE_HERO_START, 1}}, TILE_ESCAPE_LADDER, false, ESCAPE},
        {"top row of ropes", {{TILE_HERO_START, 1}}, TILE_ROPE, false, TOP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make_level(c.level, c.top);
        const char* got = validate_level(level_grid, c.relaxed);
        if (c.message)
            EXPECT_STREQ(got, c.message);
        else
            EXPECT_EQ(got, nullptr) << got;
    }
}

TEST(ValidateLevel, HeroStartInABrickTopRowPasses)
{
    make_level({}, TILE_BRICK);
    level_grid[size_t(field_cell(7, 0))] = TILE_HERO_START;
    EXPECT_EQ(validate_level(level_grid, false), nullptr);
}

} // namespace
