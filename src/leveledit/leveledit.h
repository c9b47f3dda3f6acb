// The level editor: the play field painted with the mouse, a palette of the
// twelve paintable tiles, the level number, loading and writing levels, and
// an undo of the last paint strokes.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "level/grid.h"
#include "solver/solver.h"
#include "view/session.h"

constexpr int EDITOR_LINE_COLUMNS = 72;
constexpr int MESSAGE_FRAMES = 120;
constexpr int ANSWER_FRAMES = 400;     // the answer of a search stays longer
constexpr int PALETTE_SLOTS = 12;      // tile codes 0..11 can be painted
constexpr int UNDO_DEPTH = 64;         // paint strokes kept for Ctrl+Z

enum EditorHit { HIT_NONE, HIT_FIELD, HIT_PALETTE };

struct EditorHitResult {
    EditorHit region;
    int slot;   // the palette slot for HIT_PALETTE, else -1
};

constexpr int FIELD_CELLS = FIELD_COLUMNS * FIELD_ROWS;

// The field as it was before one paint stroke (or fill), and whether the
// level counted as modified then.
struct UndoStep {
    std::array<uint8_t, FIELD_CELLS> field;
    bool modified;
};

// A ring of the last UNDO_DEPTH steps; the oldest is dropped when it is full.
struct UndoHistory {
    std::array<UndoStep, UNDO_DEPTH> steps;
    int first;
    int count;
    bool stroke_open;   // the current drag has already stored its step
};

// "Is it winnable?": the search in progress, the way out last found with
// the field it was found for, and the demonstration of that way.
struct Winnable {
    SolveSearchHolder search;
    bool way_found;
    PlayGrid way_field;
    std::vector<uint8_t> way_record;   // the movie record of the way out
    int run_out_frames;                // frames since the demonstrated movie ran out
};

struct LevelEditor {
    PlayGrid grid;             // the level as painted; its number is the session's level
    int current_tile;          // the code the left button paints, 0..11
    bool modified;             // painting changed a cell since the last load or write
    bool digit_entry;          // a level number is being typed
    bool message_pending;      // message_line waits to be drawn
    int message_frames;        // frames it stays before the header comes back
    int header_countdown;      // frames until the header is drawn again; 0 none
    uint8_t field_redraws;     // frames in which the whole field is still redrawn
    std::array<char, EDITOR_LINE_COLUMNS + 1> message_line;
    int32_t press_x, press_y;  // the last mouse press
    uint32_t press_buttons;
    EditorHit press_region;
    UndoHistory undo;
    // F-keys that were already down when the editor was entered (F3 itself,
    // as a hand still holds it): they choose no tile until they have been let go.
    uint32_t stale_function_keys;
    Winnable winnable;
};

extern LevelEditor level_editor;

struct RecordWrite;
// The archive rewrite W uses (write_records); a test puts one in its place
// that fails on purpose.
extern int (*level_editor_write_records)(const RecordWrite* writes, int count);

void init_level_editor();
// Called by the menu, demonstration and play handlers on F3, the game
// stopped: the session's level (level 1 for level 0) is edited.
void enter_level_editor(Session& session);
// The editor's part of every frame; nothing unless its mode is current.
void level_editor_frame(const Session& session);
// The mode handler while editing.
void level_editor_mode(Session& session);
// The mode handler of a test-play (T): the painted field played by the
// game's rules until the hero climbs out, the player gives up (K, Left
// Shift) or leaves (Escape, Q); then the editor is back. The play runs on
// a level state of its own: the painted field, the level number and
// `modified` are not touched.
void test_play_handler(Session& session);

EditorHitResult level_editor_hit(int x, int y);
// Centres the text in the 72-column top line; drawn in the next frame, it
// stays for `frames` frames.
void show_editor_message(const char* text, int frames = MESSAGE_FRAMES);
void draw_editor_header(const Session& session);
// Draws a text as the 72-column top line at once, blanks after it.
void draw_editor_top_line(const char* text);
// The editor's screen over the grid as it is (the field with its marks, the
// header, the palette row with the chosen slot) and the editor's mode.
void show_editor_screen(Session& session);
// Every field cell becomes code, every other grid cell the border.
void fill_play_field(PlayGrid& grid, int code);
// Strokes that Ctrl+Z can still undo (tests).
int undo_steps();
