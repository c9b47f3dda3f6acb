// The graphics editor: edits, pixel by pixel, the 96 cells of the four
// graphics sets and their palettes. One screen: the cell chooser, the zoomed
// cell, the swatches, three colour sliders, the tool panel and the help.
#pragma once
#include <array>
#include <cstdint>

#include "gfxedit/tools.h"
#include "picture/gfxset.h"

struct Session;

constexpr int GFX_CELL_COUNT = 96;   // squares of a set
constexpr int READOUT_BLANK = 99;   // a readout number shown as two spaces

enum Region {
    REGION_NONE = 0,
    REGION_SWATCHES = 1,
    REGION_CELLS = 2,
    REGION_ZOOM = 3,
    REGION_TOOLS = 4,
    REGION_SLIDERS = 5,
    REGION_COLOURS = 6,
};

enum PickMode { PICK_NONE = 0, PICK_FOREGROUND = 1, PICK_BACKGROUND = 2 };

// What the artwork files hold, as a fingerprint of each set's pixels and
// palette when it was last loaded or saved, so that leaving the program can
// tell edited sets that were never saved.
struct ArtworkRecord {
    std::array<uint64_t, GFX_SET_COUNT> file_print;
    std::array<bool, GFX_SET_COUNT> known;
    bool warned;             // the last Alt+X was held back for unsaved sets
    uint64_t warned_print;   // the sets as they were then
};

// The editor's one record; it survives from one visit to the next.
struct GfxEditor {
    int set_index;          // 0..3
    int cell_index;         // 0..95
    Picture24 work;         // the current cell being edited
    Picture24 undo;         // the single undo picture
    Picture24 scratch;      // previews and cell drawing
    Picture24 zoom_shown;   // what the zoom shows now
    int fg, bg;             // colour indices of the current set's palette
    int tool;               // Tool
    int remembered_tool;    // returned to after a box selection
    int brush;              // BLOCK_BRUSH or 1..6
    int pick_mode;          // PickMode
    GfxBlock block;         // copied with the box tool
    int origin_region;      // where the current press began
    int origin_x, origin_y;
    int origin_col, origin_row;
    unsigned prev_held;     // button bits of the previous frame
    int prev_region;
    bool changed;           // work changed in this frame
    int preview_x, preview_y;            // the current cell in the chooser
    std::array<int, 2> readout;          // the numbers last drawn
    bool message_shown;                  // the message line below the help holds text
    ArtworkRecord artwork;
};

extern GfxEditor gfx_editor;

// Where a screen position lies: the region and, inside it, the colour, cell,
// panel cell or slider component (index), and the zoom pixel (col, row).
struct GfxHit {
    int region;
    int index;
    int col, row;
};
GfxHit gfx_editor_hit(int x, int y);

void init_gfx_editor();
// Called by the game's modes on F2 after they have stopped the game and
// installed gfx_editor_mode.
void enter_gfx_editor();
// Early in every frame; nothing unless gfx_editor_mode is the mode handler.
void gfx_editor_frame(const Session& session);
// The mode handler: leaving, saving, switching sets.
void gfx_editor_mode(Session& session);
// The sets (bit per set) whose pixels or palette the editor changed since
// their file was last loaded or saved.
int unsaved_gfx_sets();
// Alt+X while edited artwork is unsaved: the first is held back and says so
// where the current mode shows messages (true); a second one with no edit
// in between lets the program end (false).
bool artwork_holds_exit(const Session& session);

void draw_gfx_editor();
void draw_gfx_help();
bool show_zoom(const Picture24& picture);
void draw_all_cells();
void frame_cell(int cell, int colour);
void select_tool(int tool);
void mark_panel_cell(int k);
void draw_readout(int a, int b);
void load_cell(int cell, Picture24& picture);
void store_cell(int cell, const Picture24& picture);
void swap_undo();
PaintState editor_paint();
// The line below the help that tells of a failed save; blank text erases it.
void show_gfx_message(const char* text);

// Colours and the palette.
void draw_swatches();
void frame_swatch(int colour_index, int colour);
void draw_colour_indicator();
void draw_slider_markers(int red, int green, int blue, int colour);
void draw_fg_slider_markers(int colour);
void select_fg(int colour_index);
void select_bg(int colour_index);
// Frame steps of the colours: a press while a pick is pending, the drag
// over the swatches, the drag of a slider.
void finish_pick(const GfxHit& hit);
void swatch_drag(const GfxHit& hit);
void slider_drag();
