// What one tick of the rules did, for whoever shows the level: sounds to
// start or stop, messages, cells whose picture changed, figures that appear
// or go, bonus icons, the clock, the score and how the level ended. The
// record lists them in the order the rules did them, so that drawing them in
// that order gives the same screen as drawing while the rules ran.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

enum GameSound : uint8_t { GAME_SOUND_FALL, GAME_SOUND_DIG, GAME_SOUND_POP };

// The figures of a running level: the actors (0 the hero), one per hole slot
// while the hole crumbles or grows back, and the flashing object.
constexpr int FIGURE_HOLE_BASE = 8;
constexpr int FIGURE_FLASH = FIGURE_HOLE_BASE + 20;
constexpr int FIGURE_COUNT = FIGURE_FLASH + 1;

// The four bonus icons below the play field, left to right.
enum BonusIcon : uint8_t { ICON_FLASHING, ICON_HIDDEN, ICON_SAFE, ICON_PENALTY };

enum EventKind : uint8_t {
    EVENT_SOUND_START,    // sound
    EVENT_SOUND_STOP,     // sound
    EVENT_MESSAGE,        // text, in the message area
    EVENT_CELL,           // cell drawn as the grid holds it: tile and shadow bits of that moment
    EVENT_CELL_PICTURE,   // cell drawn as the tile's own square (brick, ladder, open hole), no shadow
    EVENT_FIGURE_NEW,     // figure
    EVENT_FIGURE_GONE,    // figure
    EVENT_BONUS_ICON,     // icon; the cell of the flashing object, or the penalty bit
    EVENT_CLOCK,          // the clock ran one tick (messages age with it)
};

struct TickEvent {
    EventKind kind;
    uint8_t value;        // sound, figure, icon, tile
    uint8_t shadow;       // EVENT_CELL
    int16_t cell;
    const char* text;     // EVENT_MESSAGE: a text of static storage
};

enum LevelEnd : uint8_t { LEVEL_RUNNING, LEVEL_WON, LEVEL_DIED };

// At most 360 escape ladders appear in one tick, and a tick does little else.
constexpr int TICK_EVENT_CAPACITY = 512;

struct TickEvents {
    bool ran;             // the actors moved (false while the level waits for its first input)
    bool score_changed;   // the score or the time on the top line changed
    LevelEnd end;
    int count;
    std::array<TickEvent, TICK_EVENT_CAPACITY> list;

    void add(EventKind kind, int value = 0, int cell = 0, const char* text = nullptr, int shadow = 0)
    {
        if (count < TICK_EVENT_CAPACITY)
            list[size_t(count++)] = TickEvent{kind, uint8_t(value), uint8_t(shadow), int16_t(cell), text};
    }
};
