// Where the graphics editor's parts stand on the screen. The drawing and the
// hit test read the same names, so a part moves in one place.
#pragma once

#include "gfxedit/tools.h"
#include "picture/artwork.h"

// The cell chooser: 12 by 8 cells of 25 pixels, a picture inside each frame.
constexpr int CHOOSER_X = 64, CHOOSER_Y = 32, CHOOSER_STEP = 25;
constexpr int CHOOSER_COLUMNS = SQUARES_PER_ROW, CHOOSER_ROWS = 8;

// The zoomed cell: each pixel a square of 8, inside a frame one pixel out.
constexpr int ZOOM_X = 381, ZOOM_Y = 33, ZOOM_SCALE = 8;
constexpr int ZOOM_SIDE = PICTURE_SIZE * ZOOM_SCALE;

// The tool panel: two columns of 12-pixel buttons, seven rows, drawn from
// four background squares.
constexpr int PANEL_X = 592, PANEL_Y = 32, PANEL_STEP = 12;
constexpr int PANEL_COLUMNS = 2, PANEL_ROWS = 7;
constexpr int PANEL_PICTURES = 4;   // background squares from TOOL_PANEL_FIRST

// The 256 swatches: 16 by 16 frames of 12 pixels, an 11-pixel colour inside.
constexpr int SWATCH_X = 396, SWATCH_Y = 256, SWATCH_STEP = 12, SWATCH_COLUMNS = 16;
constexpr int swatch_x(int colour) { return SWATCH_X + SWATCH_STEP * (colour % SWATCH_COLUMNS); }
constexpr int swatch_y(int colour) { return SWATCH_Y + SWATCH_STEP * (colour / SWATCH_COLUMNS); }

// The red, green and blue sliders: a value v shows as a marker at row
// SLIDER_ZERO_Y - v / 2; the hit rows run from SLIDER_TOP below SLIDER_BOTTOM.
constexpr int SLIDER_X[] = {300, 316, 332};
constexpr int SLIDER_WIDTH = 16, SLIDER_TOP = 300, SLIDER_BOTTOM = 428, SLIDER_ZERO_Y = 426;
constexpr int SLIDER_MARKER_INSET = 4, SLIDER_MARKER_WIDTH = 7;

// The colour indicator: 5 by 5 squares of 8, the foreground in the middle
// three by three, inside a frame one pixel out.
constexpr int INDICATOR_X = 593, INDICATOR_Y = 185, INDICATOR_STEP = 8, INDICATOR_CELLS = 5;
constexpr int INDICATOR_SIDE = INDICATOR_STEP * INDICATOR_CELLS;
