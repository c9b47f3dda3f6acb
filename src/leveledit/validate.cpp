#include "leveledit/validate.h"

#include <array>

#include "level/grid.h"

const char* validate_level(const PlayGrid& grid, bool relaxed)
{
    std::array<int32_t, 16> count{};
    for (uint8_t cell : grid)
        count[cell & 15]++;
    // Codes above the flashing object are the game's own states (a hidden
    // bonus, an open hole, the border): no level may hold them in its field,
    // and the level text has no letter for them.
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            if ((grid[size_t(field_cell(c, r))] & 15) > TILE_FLASHING_OBJECT)
                return "level holds a tile code that is no tile (12 to 15)";
    if (count[TILE_HERO_START] != 1)
        return "level must have exactly 1 player";
    if (count[TILE_ENEMY_START] > 5)
        return "level cannot have more than 5 enemies";
    const int32_t flashing = count[TILE_FLASHING_OBJECT];
    if (relaxed && flashing > 3)
        return "number of flashing berries must be 0 to 3";
    if (!relaxed && flashing != 0 && flashing != 3)
        return "level must have exactly 0 or 3 flashing objects";
    const int32_t hidden = count[TILE_HIDDEN_ENEMY];
    if (relaxed && hidden > 3)
        return "number of hidden ememies must be 0 to 3";
    if (!relaxed && hidden != 0 && hidden != 3)
        return "level must have exactly 0 or 3 hidden enemies";
    if (count[TILE_ESCAPE_LADDER] > 0 && count[TILE_OBJECT] == 0 && flashing == 0)
        return "if you have escape ladders, you must have at least 1 object";
    int open_top = 0;
    for (int c = 0; c < FIELD_COLUMNS; c++) {
        int code = grid[size_t(field_cell(c, 0))];
        open_top += code == TILE_EMPTY || code == TILE_HERO_START || code == TILE_ENEMY_START;
    }
    if (open_top == 0)
        return "there must be at least 1 empty space on the top row";
    return nullptr;
}
