#include "gfxedit/gfxedit.h"
#include "gfxedit/layout.h"

#include <cstdlib>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/modes.h"
#include "leveledit/leveledit.h"
#include "picture/artwork.h"
#include "picture/gfxset.h"

GfxEditor gfx_editor;

namespace {

constexpr int HELP_X = 60, HELP_Y = 250, HELP_STEP = 16;
constexpr int MESSAGE_Y = 462;   // below the help
constexpr int MESSAGE_COLUMNS = 72;

uint64_t fingerprint(const uint8_t* bytes, size_t count, uint64_t h)
{
    for (size_t i = 0; i < count; i++)
        h = (h ^ bytes[i]) * 0x100000001b3ull;
    return h;
}

uint64_t set_print(int set)
{
    const GfxSet& gfx = gfx_sets[size_t(set)];
    uint64_t h = fingerprint(gfx.palette.data(), gfx.palette.size(), 0xcbf29ce484222325ull);
    return gfx.pixels ? fingerprint(gfx.pixels, GFX_SET_PIXELS, h) : h;
}

void note_set_matches_file(int set)
{
    gfx_editor.artwork.file_print[size_t(set)] = set_print(set);
    gfx_editor.artwork.known[size_t(set)] = true;
}

// Characters in place, not pointers: a constant table with nothing to relocate.
constexpr char HELP_LINES[][28] = {
    "ESCAPE   EXIT ANIMATOR",
    "SHIFT S  SAVE CHANGES",
    "SHIFT L  RELOAD LAST SAVE",
    " ALT 1   FIXTURES",
    " ALT 2   HERO POSES",
    " ALT 3   ENEMY POSES",
    " ALT 4   HIDDEN POSES",
    "  U      UNDO LAST EDIT",
    "  X      MIRROR X",
    "  Y      MIRROR Y",
    "  Z      ROTATE 90 CW",
    "D F B R  DRAW,FILL,BOX,RECT",
    ", . L    GET COLOR,DOT,LINE",
};

int chooser_image_x(int cell) { return CHOOSER_X + 1 + CHOOSER_STEP * (cell % CHOOSER_COLUMNS); }
int chooser_image_y(int cell) { return CHOOSER_Y + 1 + CHOOSER_STEP * (cell / CHOOSER_COLUMNS); }

// The key went down in this frame with Shift: Shift is held now, or its own
// event carried Shift (a quick Shift+key let go within one frame).
bool pressed_with_shift(int32_t key)
{
    if (!key_pressed(key))
        return false;
    if (key_down(KEY_LSHIFT) || key_down(KEY_RSHIFT))
        return true;
    const KeyList& pressed = key_state.pressed;
    for (int i = 0; i < pressed.count; i++)
        if (pressed.keys[size_t(i)] == key && (key_state.pressed_mod[size_t(i)] & KEYMOD_SHIFT))
            return true;
    return false;
}

// The cell `cell` of any set's picture.
void copy_set_cell(int set, int cell, Picture24& picture)
{
    const uint8_t* pixels = gfx_sets[size_t(set)].pixels;
    if (!pixels) {
        picture.fill(0);
        return;
    }
    const uint8_t* top = pixels + square_offset(cell);
    for (int r = 0; r < PICTURE_SIZE; r++)
        memcpy(picture.data() + PICTURE_SIZE * r, top + SET_PICTURE_WIDTH * r, PICTURE_SIZE);
}

void choose_cell(int cell)
{
    GfxEditor& e = gfx_editor;
    frame_cell(e.cell_index, COLOUR_WHITE);
    e.cell_index = cell;
    e.preview_x = chooser_image_x(cell);
    e.preview_y = chooser_image_y(cell);
    frame_cell(cell, COLOUR_BLACK);
}

void change_brush(int brush)
{
    GfxEditor& e = gfx_editor;
    if (e.brush != BLOCK_BRUSH)
        mark_panel_cell(e.brush + 7);
    e.brush = brush;
    if (brush != BLOCK_BRUSH)
        mark_panel_cell(brush + 7);
    request_full_update();
}

void press_tool_panel(int k)
{
    GfxEditor& e = gfx_editor;
    if (k >= 8 && k <= 13) {
        if (k - 7 == e.brush)
            return;
        change_brush(k - 7);
        if (e.tool != TOOL_DRAW && e.tool != TOOL_LINE)
            select_tool(TOOL_DRAW);
    } else if (k == 0) {
        swap_undo();
        e.changed = true;
    } else if (k == 7) {
        e.undo = e.work;
        e.work.fill(uint8_t(e.bg));
        e.changed = true;
    } else if (k >= 1 && k <= 6) {
        if (k == TOOL_BOX && e.tool != TOOL_BOX)
            e.remembered_tool = e.tool;
        select_tool(k);
    }
}

void press(const GfxHit& hit, int col, int row)
{
    GfxEditor& e = gfx_editor;
    const PointerState& p = pointer_state;
    if (e.pick_mode != PICK_NONE) {
        finish_pick(hit);
        e.pick_mode = PICK_NONE;
        e.origin_region = REGION_NONE;
        return;
    }
    e.origin_region = hit.region;
    e.origin_x = p.pointer_x;
    e.origin_y = p.pointer_y;
    e.origin_col = col;
    e.origin_row = row;
    switch (hit.region) {
    case REGION_ZOOM:
        e.undo = e.work;
        if (e.tool == TOOL_FILL) {
            flood_fill(e.work, col, row, (p.pointer_clicked & 1) ? e.fg : e.bg);
            e.changed = true;
        }
        break;
    case REGION_TOOLS:
        press_tool_panel(hit.index);
        break;
    case REGION_COLOURS:
        e.pick_mode = (p.pointer_clicked & 1) ? PICK_FOREGROUND : PICK_BACKGROUND;
        e.changed = true;
        break;
    default:
        break;
    }
}

// A button came up over the zoom while the box tool was selecting: the
// rectangle becomes the block (and, with the right button, is cut out).
void end_box_selection(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    const PointerState& p = pointer_state;
    if (e.tool != TOOL_BOX || e.origin_region != REGION_ZOOM || p.pointer_held != 0 || e.prev_held == 0 ||
        hit.region != REGION_ZOOM)
        return;
    if (e.brush != BLOCK_BRUSH) {
        mark_panel_cell(e.brush + 7);
        request_full_update();
        e.brush = BLOCK_BRUSH;
    }
    capture_block(e.block, e.work, e.origin_col, e.origin_row, hit.col, hit.row, e.bg);
    if (e.prev_held & 2) {
        fill_rect(editor_paint(), e.work, e.origin_col, e.origin_row, hit.col, hit.row, e.prev_held);
        e.changed = true;
    }
    select_tool(e.remembered_tool == TOOL_LINE || e.remembered_tool == TOOL_DRAW ? e.remembered_tool : TOOL_DRAW);
}

void select_cell_step(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    const PointerState& p = pointer_state;
    if (hit.region != REGION_CELLS || e.origin_region != REGION_CELLS)
        return;
    if (!((p.pointer_held & 1) || (p.pointer_clicked & 2)) || hit.index == e.cell_index)
        return;
    request_full_update();
    choose_cell(hit.index);
    load_cell(hit.index, e.work);
    show_zoom(e.work);
    e.undo = e.work;
}

// The right button came up over another cell than the one it was pressed
// on: the picture being edited is copied there; undo gives the old one back.
void copy_cell_step(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    const PointerState& p = pointer_state;
    if (hit.region != REGION_CELLS || e.origin_region != REGION_CELLS)
        return;
    if (!(e.prev_held & 2) || (p.pointer_held & 2) || hit.index == e.cell_index)
        return;
    request_full_update();
    choose_cell(hit.index);
    load_cell(hit.index, e.undo);
    store_cell(hit.index, e.work);
    put_block(e.preview_x, e.preview_y, e.work.data());
}

void show_scratch()
{
    GfxEditor& e = gfx_editor;
    if (show_zoom(e.scratch))
        request_full_update();
    put_block(e.preview_x, e.preview_y, e.scratch.data());
}

void drag_in_zoom(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    const unsigned held = pointer_state.pointer_held;
    if (e.origin_region != REGION_ZOOM || hit.region != REGION_ZOOM || held == 0)
        return;
    switch (e.tool) {
    case TOOL_LINE:
        e.work = e.undo;
        draw_line(editor_paint(), e.work, e.origin_col, e.origin_row, hit.col, hit.row, held);
        e.changed = true;
        break;
    case TOOL_RECT:
        e.work = e.undo;
        fill_rect(editor_paint(), e.work, e.origin_col, e.origin_row, hit.col, hit.row, held);
        e.changed = true;
        break;
    case TOOL_DRAW:
        plot_brush(editor_paint(), e.work, hit.col, hit.row, held);
        e.changed = true;
        break;
    case TOOL_BOX:
        e.scratch = e.work;
        invert_box(e.scratch, e.origin_col, e.origin_row, hit.col, hit.row);
        show_scratch();
        break;
    default:
        break;
    }
}

// What the tool would do under the pointer, shown without touching work.
// In the frame the pointer leaves the zoom it shows work plainly.
void hover_preview(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    if ((hit.region != REGION_ZOOM && e.prev_region != REGION_ZOOM) || pointer_state.pointer_held != 0 ||
        e.pick_mode != PICK_NONE)
        return;
    e.scratch = e.work;
    if (hit.region == REGION_ZOOM) {
        if (e.tool == TOOL_BOX || e.tool == TOOL_RECT)
            invert_crosshair(e.scratch, hit.col, hit.row);
        else if (e.tool == TOOL_DRAW || e.tool == TOOL_LINE)
            plot_brush(editor_paint(), e.scratch, hit.col, hit.row, 0);
    }
    show_scratch();
}

void reload_set()
{
    GfxEditor& e = gfx_editor;
    // A failed reload keeps the set as it was and says why below the help.
    const char* message = load_gfx_set(e.set_index);
    if (!message)
        note_set_matches_file(e.set_index);
    set_palette(gfx_sets[size_t(e.set_index)].palette.data());
    draw_all_cells();
    load_cell(e.cell_index, e.work);
    e.scratch = e.work;
    show_zoom(e.work);
    request_full_update();
    show_gfx_message(message ? message : "");
}

// The colour steps, undo and the transforms of the cell or the block.
void picture_keys()
{
    GfxEditor& e = gfx_editor;
    if (key_pressed(KEY_LEFTBRACKET))
        select_fg((e.fg + 255) % 256);
    else if (key_pressed(KEY_RIGHTBRACKET))
        select_fg((e.fg + 1) % 256);
    if (key_pressed(KEY_u)) {
        swap_undo();
        e.changed = true;
    }
    if (key_pressed(KEY_v))
        select_tool(TOOL_LINE);
    // Alt+X is the program's exit (held back once for unsaved sets), no mirror.
    if (key_pressed(KEY_x) && !pressed_with_alt(KEY_x)) {
        if (e.brush == BLOCK_BRUSH) {
            mirror_block_x(e.block);
        } else {
            mirror_x(e.work);
            e.changed = true;
        }
    }
    if (key_pressed(KEY_y)) {
        if (e.brush == BLOCK_BRUSH) {
            mirror_block_y(e.block);
        } else {
            mirror_y(e.work);
            e.changed = true;
        }
    }
    if (key_pressed(KEY_z)) {
        if (e.brush == BLOCK_BRUSH) {
            rotate_block(e.block);
        } else {
            rotate_cw(e.work);
            e.changed = true;
        }
    }
}

// The tools and the brush.
void tool_keys()
{
    GfxEditor& e = gfx_editor;
    if (key_pressed(KEY_b)) {
        if (pressed_with_shift(KEY_b)) {
            if (e.brush != BLOCK_BRUSH)
                change_brush(BLOCK_BRUSH);
        } else if (e.tool != TOOL_BOX) {
            e.remembered_tool = e.tool;
            select_tool(TOOL_BOX);
        }
    }
    if (key_pressed(KEY_f)) {
        select_tool(TOOL_FILL);
        e.changed = true;
    }
    if (key_pressed(KEY_r))
        select_tool(TOOL_RECT);
    if (key_pressed(KEY_l)) {
        if (pressed_with_shift(KEY_l))
            reload_set();
        else
            select_tool(TOOL_LINE);
    }
    if ((key_pressed(KEY_KP_MINUS) || key_pressed(KEY_MINUS)) && e.brush >= 2 && e.brush <= BRUSH_COUNT)
        change_brush(e.brush - 1);
    if ((key_pressed(KEY_KP_PLUS) || key_pressed(KEY_EQUALS)) && e.brush >= 1 && e.brush < BRUSH_COUNT)
        change_brush(e.brush + 1);
    if (key_pressed(KEY_PERIOD)) {
        if (e.brush != 1)
            change_brush(1);
        if (e.tool != TOOL_LINE && e.tool != TOOL_DRAW)
            select_tool(TOOL_DRAW);
    }
    if (key_pressed(KEY_d))
        select_tool(TOOL_DRAW);
    if (key_pressed(KEY_COMMA)) {
        e.pick_mode = PICK_FOREGROUND;
        e.changed = true;
    }
}

void keys()
{
    picture_keys();
    tool_keys();
}

void write_back()
{
    GfxEditor& e = gfx_editor;
    if (!e.changed)
        return;
    store_cell(e.cell_index, e.work);
    if (show_zoom(e.work))
        request_full_update();
    put_block(e.preview_x, e.preview_y, e.work.data());
    e.changed = false;
}

void switch_set(int set)
{
    GfxEditor& e = gfx_editor;
    restore_sprite_backgrounds();
    e.set_index = set;
    load_cell(e.cell_index, e.work);
    draw_gfx_editor();
    draw_gfx_help();
    update_whole_screen();
}

void leave_gfx_editor(Session& session)
{
    restore_sprite_backgrounds();
    clear_screen();
    update_whole_screen();
    // The game's colours and tile images are rebuilt from the edited sets.
    rebuild_screen_colours();
    demo_mode(session);
}

} // namespace

GfxHit gfx_editor_hit(int x, int y)
{
    const auto inside = [x, y](int left, int top, int width, int height) {
        return x >= left && x < left + width && y >= top && y < top + height;
    };
    if (inside(SWATCH_X, SWATCH_Y, SWATCH_STEP * SWATCH_COLUMNS, SWATCH_STEP * SWATCH_COLUMNS))
        return {REGION_SWATCHES, (x - SWATCH_X) / SWATCH_STEP + SWATCH_COLUMNS * ((y - SWATCH_Y) / SWATCH_STEP), 0, 0};
    if (inside(CHOOSER_X, CHOOSER_Y, CHOOSER_STEP * CHOOSER_COLUMNS, CHOOSER_STEP * CHOOSER_ROWS))
        return {REGION_CELLS, (x - CHOOSER_X) / CHOOSER_STEP + CHOOSER_COLUMNS * ((y - CHOOSER_Y) / CHOOSER_STEP), 0,
                0};
    if (inside(PANEL_X, PANEL_Y, PANEL_STEP * PANEL_COLUMNS, PANEL_STEP * PANEL_ROWS))
        return {REGION_TOOLS, (x - PANEL_X) / PANEL_STEP + PANEL_COLUMNS * ((y - PANEL_Y) / PANEL_STEP), 0, 0};
    if (inside(ZOOM_X, ZOOM_Y, ZOOM_SIDE, ZOOM_SIDE))
        return {REGION_ZOOM, 0, (x - ZOOM_X) / ZOOM_SCALE, (y - ZOOM_Y) / ZOOM_SCALE};
    if (inside(SLIDER_X[0], SLIDER_TOP, SLIDER_WIDTH * 3, SLIDER_BOTTOM - SLIDER_TOP))
        return {REGION_SLIDERS, (x - SLIDER_X[0]) / SLIDER_WIDTH, 0, 0};
    if (inside(INDICATOR_X, INDICATOR_Y, INDICATOR_SIDE, INDICATOR_SIDE))
        return {REGION_COLOURS, 0, 0, 0};
    return {REGION_NONE, 0, 0, 0};
}

void init_gfx_editor()
{
    gfx_editor = GfxEditor{};
    GfxEditor& e = gfx_editor;
    e.fg = 1;
    e.bg = 0;
    e.tool = TOOL_DRAW;
    e.remembered_tool = TOOL_NONE;
    e.brush = 1;
    e.preview_x = chooser_image_x(0);
    e.preview_y = chooser_image_y(0);
}

void load_cell(int cell, Picture24& picture) { copy_set_cell(gfx_editor.set_index, cell, picture); }

void store_cell(int cell, const Picture24& picture)
{
    uint8_t* pixels = gfx_sets[size_t(gfx_editor.set_index)].pixels;
    if (!pixels)
        return;
    uint8_t* top = pixels + square_offset(cell);
    for (int r = 0; r < PICTURE_SIZE; r++)
        memcpy(top + SET_PICTURE_WIDTH * r, picture.data() + PICTURE_SIZE * r, PICTURE_SIZE);
}

PaintState editor_paint()
{
    const GfxEditor& e = gfx_editor;
    return PaintState{e.fg, e.bg, e.brush, &e.block};
}

void swap_undo() { std::swap(gfx_editor.work, gfx_editor.undo); }

bool show_zoom(const Picture24& picture)
{
    GfxEditor& e = gfx_editor;
    bool drawn = false;
    for (int i = 0; i < PICTURE_BYTES; i++) {
        if (e.zoom_shown[size_t(i)] == picture[size_t(i)])
            continue;
        e.zoom_shown[size_t(i)] = picture[size_t(i)];
        fill_small_square(ZOOM_X + ZOOM_SCALE * (i % PICTURE_SIZE), ZOOM_Y + ZOOM_SCALE * (i / PICTURE_SIZE),
                          picture[size_t(i)]);
        drawn = true;
    }
    return drawn;
}

void draw_all_cells()
{
    GfxEditor& e = gfx_editor;
    for (int n = 0; n < GFX_CELL_COUNT; n++) {
        load_cell(n, e.scratch);
        put_block(chooser_image_x(n), chooser_image_y(n), e.scratch.data());
    }
    show_zoom(e.work);
}

void frame_cell(int cell, int colour)
{
    draw_square_outline(CHOOSER_X + CHOOSER_STEP * (cell % CHOOSER_COLUMNS),
                        CHOOSER_Y + CHOOSER_STEP * (cell / CHOOSER_COLUMNS), CHOOSER_STEP, colour);
}

void mark_panel_cell(int k)
{
    swap_black_white(PANEL_X + PANEL_STEP * (k % PANEL_COLUMNS), PANEL_Y + PANEL_STEP * (k / PANEL_COLUMNS));
}

void select_tool(int tool)
{
    GfxEditor& e = gfx_editor;
    if (tool == e.tool)
        return;
    if (e.tool != TOOL_NONE)
        mark_panel_cell(e.tool);
    e.tool = tool;
    mark_panel_cell(tool);
    request_full_update();
}

void draw_readout(int a, int b)
{
    const int white = screen_palette.nearest_white;
    const int xs[2][2] = {{460, 468}, {484, 492}};
    const int values[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        const bool blank = values[i] >= READOUT_BLANK || values[i] < 0;
        draw_char(xs[i][0], 16, blank ? ' ' : char('0' + values[i] / 10), white);
        draw_char(xs[i][1], 16, blank ? ' ' : char('0' + values[i] % 10), white);
    }
}

void show_gfx_message(const char* text)
{
    char line[MESSAGE_COLUMNS + 1];
    size_t n = 0;
    for (; text[n] && text[n] != '\n' && n < size_t(MESSAGE_COLUMNS); n++)
        line[n] = text[n];
    for (; n < size_t(MESSAGE_COLUMNS); n++)
        line[n] = ' ';
    line[MESSAGE_COLUMNS] = 0;
    if (!text[0] && !gfx_editor.message_shown)
        return;   // nothing to erase: the screen stays as it is
    draw_text(line, HELP_X, MESSAGE_Y, screen_palette.nearest_white);
    gfx_editor.message_shown = text[0] != 0;
    request_full_update();
}

void draw_gfx_editor()
{
    GfxEditor& e = gfx_editor;
    e.zoom_shown.fill(0);
    e.readout = {-1, -1};   // the screen is cleared: the next frame draws it again
    gfx_editor.message_shown = false;
    set_palette(gfx_sets[size_t(e.set_index)].palette.data());
    clear_screen();
    draw_fg_slider_markers(COLOUR_WHITE);
    draw_swatches();
    draw_square_outline(INDICATOR_X - 1, INDICATOR_Y - 1, INDICATOR_SIDE + 1, COLOUR_WHITE);
    for (int n = 0; n < GFX_CELL_COUNT; n++)
        frame_cell(n, COLOUR_WHITE);
    draw_square_outline(ZOOM_X - 1, ZOOM_Y - 1, ZOOM_SIDE + 1, COLOUR_WHITE);
    frame_swatch(e.fg, COLOUR_WHITE);
    frame_cell(e.cell_index, COLOUR_BLACK);
    draw_all_cells();
    for (int i = 0; i < PANEL_PICTURES; i++) {
        copy_set_cell(SET_BACKGROUND, TOOL_PANEL_FIRST + i, e.scratch);
        put_block(PANEL_X, PANEL_Y + SQUARE_SIZE * i, e.scratch.data());
    }
    if (e.brush != BLOCK_BRUSH)
        mark_panel_cell(e.brush + 7);
    for (int x : SLIDER_X)
        draw_rect_outline(x, SLIDER_TOP - 2, SLIDER_WIDTH, SLIDER_BOTTOM - SLIDER_TOP + 2, COLOUR_WHITE);
    if (e.tool != TOOL_NONE)
        mark_panel_cell(e.tool);
    draw_colour_indicator();
}

void draw_gfx_help()
{
    const int white = screen_palette.nearest_white;
    int y = HELP_Y;
    for (const char* line : HELP_LINES) {
        draw_text(line, HELP_X, y, white);
        y += HELP_STEP;
    }
    text_x = 305;
    text_y = 282;
    print_at_cursor("R G B");
}

void enter_gfx_editor()
{
    GfxEditor& e = gfx_editor;
    restore_sprite_backgrounds();
    e.prev_region = REGION_NONE;
    e.origin_region = REGION_NONE;
    e.pick_mode = PICK_NONE;
    // The sets are as their files until the editor first changes them.
    for (int set = 0; set < GFX_SET_COUNT; set++)
        if (!gfx_editor.artwork.known[size_t(set)])
            note_set_matches_file(set);
    load_cell(e.cell_index, e.work);
    e.undo = e.work;
    draw_gfx_editor();
    draw_gfx_help();
    update_whole_screen();
    show_pointer(true);
}

void gfx_editor_frame(const Session& session)
{
    if (session.mode != gfx_editor_mode)
        return;
    GfxEditor& e = gfx_editor;
    const PointerState& p = pointer_state;
    GfxHit hit = gfx_editor_hit(p.pointer_x, p.pointer_y);
    if (hit.region != REGION_ZOOM)
        hit.col = hit.row = 0;

    std::array<int, 2> readout = {READOUT_BLANK, READOUT_BLANK};
    if (hit.region == REGION_ZOOM) {
        if (p.pointer_held != 0 && e.origin_region == REGION_ZOOM)
            readout = {std::abs(e.origin_col - hit.col) + 1, std::abs(e.origin_row - hit.row) + 1};
        else
            readout = {hit.col, hit.row};
    }
    if (readout != e.readout) {
        request_full_update();
        draw_readout(readout[0], readout[1]);
        e.readout = readout;
    }

    if (p.pointer_clicked != 0)
        press(hit, hit.col, hit.row);
    end_box_selection(hit);
    swatch_drag(hit);
    select_cell_step(hit);
    copy_cell_step(hit);
    slider_drag();
    drag_in_zoom(hit);
    hover_preview(hit);
    keys();
    write_back();
    e.prev_held = p.pointer_held;
    e.prev_region = hit.region;
}

void gfx_editor_mode(Session& session)
{
    GfxEditor& e = gfx_editor;
    if (key_pressed(KEY_ESCAPE)) {
        leave_gfx_editor(session);
        return;
    }
    if (pressed_with_shift(KEY_s)) {
        // A failure is told below the help, with the file and the reason.
        const char* message = save_gfx_set(e.set_index);
        if (!message)
            note_set_matches_file(e.set_index);
        show_gfx_message(message ? message : "SAVED");
    }
    const int32_t set_keys[] = {KEY_1, KEY_2, KEY_3, KEY_4};
    for (int set = 0; set < GFX_SET_COUNT; set++)
        if (pressed_with_alt(set_keys[set])) {
            switch_set(set);
            break;
        }
}

int unsaved_gfx_sets()
{
    int sets = 0;
    for (int set = 0; set < GFX_SET_COUNT; set++)
        if (gfx_editor.artwork.known[size_t(set)] && set_print(set) != gfx_editor.artwork.file_print[size_t(set)])
            sets |= 1 << set;
    return sets;
}

bool artwork_holds_exit(const Session& session)
{
    const int sets = unsaved_gfx_sets();
    if (sets == 0)
        return false;
    uint64_t all = 0;
    for (int set = 0; set < GFX_SET_COUNT; set++)
        all = all * 31 + set_print(set);
    ArtworkRecord& a = gfx_editor.artwork;
    // A second Alt+X with no edit since the first one ends the program.
    if (a.warned && a.warned_print == all)
        return false;
    a.warned = true;
    a.warned_print = all;
    char names[60] = "";
    for (int set = 0; set < GFX_SET_COUNT; set++)
        if (sets & (1 << set)) {
            if (names[0])
                strcat(names, ",");
            strcat(names, GFX_SET_NAMES[set]);
        }
    char text[EDITOR_LINE_COLUMNS + 1];
    snprintf(text, sizeof text, "NOT SAVED: %s. ALT+X AGAIN QUITS", names);
    for (char* c = text; *c; c++)
        *c = char(toupper(static_cast<unsigned char>(*c)));
    // Told where the current mode shows its messages.
    if (session.mode == gfx_editor_mode) {
        show_gfx_message(text);
    } else if (session.mode == level_editor_mode) {
        show_editor_message(text);
    } else if (session.mode == main_menu_handler) {
        text_y = 400;
        print_centred(text);
        update_whole_screen();
    } else {
        show_message("ART NOT SAVED", 180);
    }
    pass_notice(text);
    return true;
}
