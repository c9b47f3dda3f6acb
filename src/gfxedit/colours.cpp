// The graphics editor's two colours and the palette sliders.
#include <algorithm>

#include "core/flags.h"
#include "display/screen.h"
#include "display/tiles.h"
#include "gfxedit/gfxedit.h"
#include "gfxedit/layout.h"
#include "picture/gfxset.h"

namespace {

uint8_t* editor_palette() { return gfx_sets[size_t(gfx_editor.set_index)].palette.data(); }

} // namespace

void draw_swatches()
{
    for (int k = 0; k < 256; k++)
        fill_square(swatch_x(k) + 1, swatch_y(k) + 1, SWATCH_STEP - 1, k);
}

void frame_swatch(int colour_index, int colour)
{
    draw_square_outline(swatch_x(colour_index), swatch_y(colour_index), SWATCH_STEP, colour);
}

void draw_colour_indicator()
{
    const GfxEditor& e = gfx_editor;
    for (int i = 0; i < INDICATOR_CELLS; i++)
        for (int j = 0; j < INDICATOR_CELLS; j++) {
            const bool inner = i >= 1 && i < INDICATOR_CELLS - 1 && j >= 1 && j < INDICATOR_CELLS - 1;
            fill_small_square(INDICATOR_X + INDICATOR_STEP * j, INDICATOR_Y + INDICATOR_STEP * i, inner ? e.fg : e.bg);
        }
}

void draw_slider_markers(int red, int green, int blue, int colour)
{
    const int values[] = {red, green, blue};
    for (int j = 0; j < 3; j++)
        draw_rect_outline(SLIDER_X[j] + SLIDER_MARKER_INSET, SLIDER_ZERO_Y - values[j] / 2, SLIDER_MARKER_WIDTH, 1,
                          colour);
}

void draw_fg_slider_markers(int colour)
{
    const uint8_t* rgb = editor_palette() + 3 * gfx_editor.fg;
    draw_slider_markers(rgb[0], rgb[1], rgb[2], colour);
}

void select_fg(int colour_index)
{
    GfxEditor& e = gfx_editor;
    if (colour_index == e.fg)
        return;
    frame_swatch(e.fg, COLOUR_BLACK);
    draw_fg_slider_markers(COLOUR_BLACK);
    e.fg = colour_index;
    frame_swatch(e.fg, COLOUR_WHITE);
    draw_fg_slider_markers(COLOUR_WHITE);
    draw_colour_indicator();
    request_full_update();
}

void select_bg(int colour_index)
{
    GfxEditor& e = gfx_editor;
    if (colour_index == e.bg)
        return;   // nothing to redraw
    e.bg = colour_index;
    draw_colour_indicator();
    request_full_update();
}

void finish_pick(const GfxHit& hit)
{
    GfxEditor& e = gfx_editor;
    if (hit.region == REGION_ZOOM) {
        const int shown = pixel_at(e.zoom_shown, hit.col, hit.row);
        if (e.pick_mode == PICK_FOREGROUND)
            select_fg(shown);
        else
            e.bg = shown;
    }
    if (e.pick_mode == PICK_BACKGROUND)
        draw_colour_indicator();
    request_full_update();
}

void swatch_drag(const GfxHit& hit)
{
    const GfxEditor& e = gfx_editor;
    const unsigned held = pointer_state.pointer_held;
    if (hit.region != REGION_SWATCHES || e.origin_region != REGION_SWATCHES || held == 0)
        return;
    if (held & 1)
        select_fg(hit.index);
    else
        select_bg(hit.index);
}

void slider_drag()
{
    const GfxEditor& e = gfx_editor;
    if (e.origin_region != REGION_SLIDERS || pointer_state.pointer_held == 0)
        return;
    // The component is where the press began, wherever the pointer is now.
    const int component = (e.origin_x - SLIDER_X[0]) / SLIDER_WIDTH;
    const int value = std::clamp((SLIDER_ZERO_Y + 1 - pointer_state.pointer_y) * 2, 0, 255);
    uint8_t& byte = editor_palette()[3 * e.fg + component];
    if (byte == value)
        return;
    request_full_update();
    byte = uint8_t(value);
    draw_gfx_editor();
    draw_gfx_help();
}
