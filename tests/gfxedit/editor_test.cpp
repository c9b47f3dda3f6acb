// The graphics editor's frame steps, driven by scripted key and pointer
// events through the real frame loop, headless, on hand-made sets.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/keys.h"
#include "program/frame.h"
#include "view/session.h"
#include "core/input.h"
#include "program/script.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/userdir.h"
#include "gfxedit/gfxedit.h"
#include "picture/gfxset.h"
#include "picture/ilbm.h"
#include "support/pictures.h"
#include "support/process.h"
#include "support/script_lines.h"

namespace {

// The session the frames run on, as the start-up body owns one.
Session session;

// Screen positions.
int cell_x(int n) { return 64 + 12 + 25 * (n % 12); }
int cell_y(int n) { return 32 + 12 + 25 * (n / 12); }
int zoom_x(int col) { return 381 + 8 * col + 3; }
int zoom_y(int row) { return 33 + 8 * row + 3; }
int swatch_x(int k) { return 397 + 12 * (k % 16) + 5; }
int swatch_y(int k) { return 257 + 12 * (k / 16) + 5; }

constexpr int LSHIFT = KEY_LSHIFT, LALT = KEY_LALT;

class GfxEditorFrames : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<uint8_t> screen = std::vector<uint8_t>(640 * 480);
    std::string script;
    long frame = 0;   // the script's frame of the next event

    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(640, 480, 8, 0), nullptr);
        ASSERT_TRUE(alloc_display_buffers());
        attach_frame_buffer(screen.data(), 640);
        clear_dirty_list();
        clear_sprite_slots();
        poll_events();
        reset_input_state();
        snprintf(home_directory, sizeof home_directory, "%s", dir.path.c_str());
        ASSERT_EQ(mkdir(dir.file(".zuzezodov").c_str(), 0700), 0);
        const char* names[] = {"back.lbm", "hero.lbm", "enemy.lbm", "hidden.lbm"};
        clear_gfx_sets();
        for (int s = 0; s < 4; s++) {
            strcpy(artwork_names[s], names[s]);
            GfxSet& set = gfx_sets[size_t(s)];
            set.pixels = static_cast<uint8_t*>(malloc(GFX_SET_PIXELS));
            // Pixel (x, y) of set s: a pattern that differs per cell and set.
            for (int i = 0; i < GFX_SET_PIXELS; i++)
                set.pixels[i] = uint8_t((i % 320) / 24 * 7 + (i / 320) / 24 * 31 + (i % 320) % 24 / 6 + 40 * s + 1);
            // A grey ramp: 0 is black, 255 white.
            for (int k = 0; k < 256; k++)
                set.palette[size_t(3 * k)] = set.palette[size_t(3 * k + 1)] = set.palette[size_t(3 * k + 2)] = uint8_t(k);
        }
        // The font: a short bar in every glyph but the blank one.
        uint8_t* font = gfx_sets[0].pixels;
        for (int y = 120; y < 192; y++)
            memset(font + y * 320 + 216, 0, 72);
        for (int g = 0; g < 54; g++)
            if (g != 48)
                memset(font + (120 + 12 * (g / 9) + 2) * 320 + 216 + 8 * (g % 9) + 1, 200, 6);
        rebuild_screen_colours();
        init_gfx_editor();
        session.game_active = false;
        session.mode = gfx_editor_mode;
        enter_gfx_editor();
        setenv("VORBIX_FAST", "1", 1);
    }
    void TearDown() override
    {
        unsetenv("VORBIX_SCRIPT");
        unsetenv("VORBIX_FAST");
        reset_script();
        SDL_Quit();
        free_gfx_sets();
        free_display_buffers();
        session.mode = nullptr;
    }

    // Each writes the events of one frame, then the frame goes by.
    void motion(int x, int y) { script += scriptline::motion(frame++, x, y); }
    void mouse(const char* action, int button, int x, int y)
    {
        script += scriptline::mouse(frame++, action, button, x, y);
    }
    // A click as a hand makes it: the button is down for a frame.
    void click(int button, int x, int y)
    {
        mouse("down", button, x, y);
        mouse("up", button, x, y);
    }
    void key(int k) { script += scriptline::press(frame++, k); }
    // A key pressed while a modifier is held across the frame.
    void with(int modifier, int k)
    {
        script += scriptline::with(frame, modifier, k);
        frame += 2;
    }
    void shifted(int k) { with(LSHIFT, k); }
    // The modifier goes down and up around the key within one frame: the
    // key's own event carries it.
    void tapped(int modifier, int k) { script += scriptline::tapped_with(frame++, modifier, k); }
    // A pixel of the zoom's column 20 (colour 4 or above in every set)
    // painted in colour 1, a new row each time.
    int edited_rows = 0;
    void edit_pixel() { click(1, zoom_x(20), zoom_y(edited_rows++)); }
    // The ink of the message line below the help.
    int message_ink() const
    {
        int inked = 0;
        for (int y = 462; y < 474; y++)
            for (int x = 60; x < 636; x++)
                inked += at(x, y) == 255;
        return inked;
    }
    // Colour 3's red slider moved (the palette edited).
    void select_and_slide()
    {
        select_fg(3);
        mouse("down", 1, 305, 350);
        mouse("up", 1, 305, 350);
    }
    // Runs the script written so far; false when a frame ended the program.
    bool run_to_exit()
    {
        write_file(dir.file("script"), script);
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        EXPECT_TRUE(load_script());
        const long frames = frame;
        script.clear();
        frame = 0;
        for (long f = 0; f <= frames; f++)
            if (run_frame(session) != 0)
                return false;
        return true;
    }
    // Runs the script written so far, one frame past its last events.
    void run()
    {
        write_file(dir.file("script"), script);
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        ASSERT_TRUE(load_script());
        for (long f = 0; f <= frame; f++)
            ASSERT_EQ(run_frame(session), 0);
        script.clear();
        frame = 0;
    }

    static Picture24 set_cell(int set, int n)
    {
        Picture24 p;
        const uint8_t* px = gfx_sets[size_t(set)].pixels;
        for (int r = 0; r < 24; r++)
            for (int c = 0; c < 24; c++)
                p[size_t(24 * r + c)] = px[(24 * (n / 12) + r) * 320 + 24 * (n % 12) + c];
        return p;
    }
    uint8_t at(int x, int y) const { return screen[size_t(y * 640 + x)]; }
    // The message line below the help holds text (ink where there was none).
    bool message_shown() const
    {
        int inked = 0;
        for (int y = 462; y < 474; y++)
            for (int x = 60; x < 636; x++)
                inked += at(x, y) == 255;
        return inked > 50;
    }
};

TEST_F(GfxEditorFrames, EnteringShowsTheCurrentCellAndItsPalette)
{
    const GfxEditor& e = gfx_editor;
    EXPECT_EQ(e.work, set_cell(0, 0));
    EXPECT_EQ(e.undo, e.work);
    EXPECT_EQ(screen_palette.nearest_white, 255);
    // The zoom shows the cell's pixels as 8 by 8 squares, the chooser the cells.
    EXPECT_EQ(at(381 + 8 * 5 + 7, 33 + 8 * 2), pixel_at(e.work, 5, 2));
    EXPECT_EQ(at(65 + 25 * 3 + 4, 33 + 25 * 1 + 9), set_cell(0, 15)[size_t(9 * 24 + 4)]);
    // Swatches, the chooser outline of cell 1 in white, the current one in black.
    EXPECT_EQ(at(397 + 12 * 3, 257 + 12 * 2 + 10), 35);
    EXPECT_EQ(at(64 + 50, 40), 255);
    EXPECT_EQ(at(64, 40), 0);
}

TEST_F(GfxEditorFrames, CellSelectionAndRightButtonCopy)
{
    GfxEditor& e = gfx_editor;
    // A left press selects; a left drag walks from cell to cell.
    click(1, cell_x(5), cell_y(5));
    run();
    EXPECT_EQ(e.cell_index, 5);
    EXPECT_EQ(e.work, set_cell(0, 5));
    EXPECT_EQ(e.undo, e.work);
    EXPECT_EQ(e.preview_x, 65 + 125);
    mouse("down", 1, cell_x(6), cell_y(6));
    motion(cell_x(20), cell_y(20));
    mouse("up", 1, cell_x(20), cell_y(20));
    run();
    EXPECT_EQ(e.cell_index, 20);

    // Right press on cell 2, release over cell 9: cell 9 gets cell 2's picture.
    const Picture24 two = set_cell(0, 2), nine = set_cell(0, 9);
    mouse("down", 3, cell_x(2), cell_y(2));
    motion(cell_x(9), cell_y(9));
    mouse("up", 3, cell_x(9), cell_y(9));
    run();
    EXPECT_EQ(e.cell_index, 9);
    EXPECT_EQ(set_cell(0, 9), two);
    EXPECT_EQ(set_cell(0, 2), two);
    EXPECT_EQ(at(65 + 25 * 9 + 3, 33 + 3), two[3 * 24 + 3]);
    // Undo brings the target's old picture back.
    key(KEY_u);
    run();
    EXPECT_EQ(set_cell(0, 9), nine);

    // Released over the cell where the drag began: nothing is copied.
    const Picture24 four = set_cell(0, 4);
    mouse("down", 3, cell_x(4), cell_y(4));
    mouse("up", 3, cell_x(4), cell_y(4));
    run();
    EXPECT_EQ(e.cell_index, 4);
    EXPECT_EQ(set_cell(0, 4), four);
}

TEST_F(GfxEditorFrames, ReadoutShowsThePixelOrTheDraggedSize)
{
    const GfxEditor& e = gfx_editor;
    const struct {
        int col, row;
    } hovers[] = {{0, 0}, {3, 17}, {23, 23}};
    for (const auto& h : hovers) {
        motion(zoom_x(h.col), zoom_y(h.row));
        run();
        EXPECT_EQ(e.readout[0], h.col);
        EXPECT_EQ(e.readout[1], h.row);
    }
    // Drawn as two digits each at x 460 and 484: "23" is not blank.
    bool inked = false;
    for (int y = 16; y < 28; y++)
        for (int x = 460; x < 476; x++)
            inked |= at(x, y) == 255;
    EXPECT_TRUE(inked);

    // While a drag that began in the zoom goes on, the size counted inclusively.
    mouse("down", 1, zoom_x(6), zoom_y(9));
    motion(zoom_x(2), zoom_y(2));
    run();
    EXPECT_EQ(e.readout[0], 5);
    EXPECT_EQ(e.readout[1], 8);
    mouse("up", 1, zoom_x(2), zoom_y(2));
    motion(200, 400);
    run();
    EXPECT_EQ(e.readout[0], READOUT_BLANK);
    EXPECT_EQ(e.readout[1], READOUT_BLANK);
    for (int y = 16; y < 28; y++)
        for (int x = 460; x < 500; x++)
            ASSERT_NE(at(x, y), 255) << "blank readout at " << x << "," << y;
}

TEST_F(GfxEditorFrames, PickModeWithEitherButton)
{
    GfxEditor& e = gfx_editor;
    const int colour = pixel_at(e.work, 4, 5);
    // Comma, then a right click in the zoom: still the foreground.
    key(KEY_COMMA);
    mouse("press", 3, zoom_x(4), zoom_y(5));
    run();
    EXPECT_EQ(e.fg, colour);
    EXPECT_EQ(e.bg, 0);
    EXPECT_EQ(e.pick_mode, PICK_NONE);
    EXPECT_EQ(e.work, set_cell(0, 0)) << "the picking click draws nothing";

    // A right click on the indicator, then a left click: the background.
    const int other = pixel_at(e.work, 20, 1);
    mouse("press", 3, 610, 200);
    run();
    EXPECT_EQ(e.pick_mode, PICK_BACKGROUND);
    mouse("press", 1, zoom_x(20), zoom_y(1));
    run();
    EXPECT_EQ(e.bg, other);
    EXPECT_EQ(e.fg, colour);
    EXPECT_EQ(at(593, 185), other);   // the indicator's ring
    EXPECT_EQ(at(593 + 8, 185 + 8), colour);

    // A click outside the zoom ends a pending pick and changes nothing.
    key(KEY_COMMA);
    mouse("press", 1, 200, 400);
    run();
    EXPECT_EQ(e.pick_mode, PICK_NONE);
    EXPECT_EQ(e.fg, colour);
    EXPECT_EQ(e.bg, other);
}

TEST_F(GfxEditorFrames, SwatchDragsAndBrackets)
{
    GfxEditor& e = gfx_editor;
    mouse("down", 1, swatch_x(17), swatch_y(17));
    motion(swatch_x(40), swatch_y(40));
    run();
    EXPECT_EQ(e.fg, 40);
    EXPECT_EQ(at(396 + 12 * 8, 256 + 12 * 2), 255) << "the swatch of fg is framed white";
    EXPECT_EQ(at(396 + 12 * 1, 256 + 12 * 1), 0) << "the old frame is gone";
    mouse("up", 1, swatch_x(40), swatch_y(40));
    // A right drag sets bg and leaves the frame and markers with fg.
    mouse("down", 3, swatch_x(200), swatch_y(200));
    motion(swatch_x(201), swatch_y(201));
    mouse("up", 3, swatch_x(201), swatch_y(201));
    run();
    EXPECT_EQ(e.bg, 201);
    EXPECT_EQ(e.fg, 40);
    EXPECT_EQ(at(396 + 12 * 8, 256 + 12 * 2), 255);
    EXPECT_EQ(at(593, 185), 201);
    // A drag that began elsewhere does nothing over the swatches.
    mouse("down", 1, 200, 400);
    motion(swatch_x(90), swatch_y(90));
    mouse("up", 1, swatch_x(90), swatch_y(90));
    run();
    EXPECT_EQ(e.fg, 40);

    // The bracket keys step and wrap.
    const struct {
        int from, key, to;
    } cases[] = {{0, KEY_LEFTBRACKET, 255}, {255, KEY_RIGHTBRACKET, 0}, {7, KEY_RIGHTBRACKET, 8}};
    for (const auto& c : cases) {
        select_fg(c.from);
        key(c.key);
        run();
        EXPECT_EQ(e.fg, c.to) << c.from;
    }
}

TEST_F(GfxEditorFrames, SlidersEditTheForegroundColourAtBothEnds)
{
    GfxEditor& e = gfx_editor;
    select_fg(100);
    const uint8_t* rgb = &gfx_sets[0].palette[300];
    const struct {
        int y, value;
    } ends[] = {{427, 0}, {440, 0}, {426, 2}, {300, 254}, {299, 255}, {12, 255}, {364, 126}};
    mouse("down", 1, 305, 360);   // red
    for (const auto& c : ends) {
        motion(305, c.y);
        run();
        EXPECT_EQ(rgb[0], c.value) << "y " << c.y;
    }
    // The marker stands one pixel above the pointer (y 426 - value / 2).
    EXPECT_EQ(at(304, 426 - 63), screen_palette.nearest_white);
    // Sideways onto the green slider: still red.
    motion(320, 400);
    mouse("up", 1, 320, 400);
    run();
    EXPECT_EQ(rgb[0], 54);
    EXPECT_EQ(rgb[1], 100);
    EXPECT_EQ(rgb[2], 100);
    EXPECT_EQ(screen_palette.colours[300], 54) << "the changed palette is installed";
    (void)e;
}

TEST_F(GfxEditorFrames, DrawLineRectangleFillAndUndo)
{
    GfxEditor& e = gfx_editor;
    select_fg(9);
    const Picture24 original = e.work;
    // Draw: a dot stamped under the pointer in each frame of the drag.
    mouse("down", 1, zoom_x(2), zoom_y(3));
    motion(zoom_x(4), zoom_y(3));
    mouse("up", 1, zoom_x(4), zoom_y(3));
    run();
    EXPECT_EQ(pixel_at(e.work, 2, 3), 9);
    EXPECT_EQ(pixel_at(e.work, 4, 3), 9);
    EXPECT_EQ(pixel_at(e.work, 3, 3), pixel_at(original, 3, 3)) << "stamps are not joined";
    EXPECT_EQ(set_cell(0, 0), e.work) << "written into the set at once";
    EXPECT_EQ(at(381 + 8 * 2 + 4, 33 + 8 * 3 + 4), 9);
    const Picture24 drawn = e.work;
    // Undo, and undo again gives back the drawn state.
    key(KEY_u);
    run();
    EXPECT_EQ(e.work, original);
    key(KEY_u);
    run();
    EXPECT_EQ(e.work, drawn);

    // The line follows the pointer as a rubber band and stays.
    key(KEY_l);
    mouse("down", 1, zoom_x(0), zoom_y(10));
    motion(zoom_x(5), zoom_y(20));
    motion(zoom_x(10), zoom_y(10));
    mouse("up", 1, zoom_x(10), zoom_y(10));
    run();
    EXPECT_EQ(e.tool, TOOL_LINE);
    for (int c = 0; c <= 10; c++)
        EXPECT_EQ(pixel_at(e.work, c, 10), 9) << c;
    EXPECT_EQ(pixel_at(e.work, 5, 20), pixel_at(drawn, 5, 20)) << "the band's old position is gone";

    // Rectangle with the right button, in bg.
    key(KEY_r);
    mouse("down", 3, zoom_x(20), zoom_y(20));
    motion(zoom_x(18), zoom_y(17));
    mouse("up", 3, zoom_x(18), zoom_y(17));
    run();
    EXPECT_EQ(pixel_at(e.work, 18, 17), 0);
    EXPECT_EQ(pixel_at(e.work, 20, 20), 0);
    EXPECT_NE(pixel_at(e.work, 17, 17), 0);

    // Fill with the colour the pixel already has: nothing changes, and undo
    // still holds the picture before the press.
    key(KEY_f);
    const Picture24 before = e.work;
    mouse("press", 3, zoom_x(19), zoom_y(19));
    run();
    EXPECT_EQ(e.work, before);
    EXPECT_EQ(e.undo, before);
    mouse("press", 1, zoom_x(19), zoom_y(19));
    run();
    EXPECT_EQ(pixel_at(e.work, 18, 17), 9);
    EXPECT_EQ(pixel_at(e.work, 20, 20), 9);
    EXPECT_EQ(e.undo, before);
}

TEST_F(GfxEditorFrames, BoxSelectionCopiesWithLeftAndCutsWithRight)
{
    GfxEditor& e = gfx_editor;
    select_bg(0);
    const Picture24 original = e.work;
    key(KEY_b);
    mouse("down", 1, zoom_x(3), zoom_y(4));
    motion(zoom_x(5), zoom_y(5));
    mouse("up", 1, zoom_x(5), zoom_y(5));
    run();
    EXPECT_EQ(e.block.width, 3);
    EXPECT_EQ(e.block.height, 2);
    EXPECT_EQ(e.block.pixels[0], pixel_at(original, 3, 4));
    EXPECT_EQ(e.block.transparent, 0);
    EXPECT_EQ(e.brush, BLOCK_BRUSH);
    EXPECT_EQ(e.tool, TOOL_DRAW);
    EXPECT_EQ(e.work, original) << "the left button copies";
    EXPECT_EQ(set_cell(0, 0), original) << "the inverted outline was a preview only";

    // Stamping the block: hot spot (1, 1) on the pointer pixel.
    click(1, zoom_x(11), zoom_y(11));
    run();
    EXPECT_EQ(pixel_at(e.work, 10, 10), pixel_at(original, 3, 4));
    EXPECT_EQ(pixel_at(e.work, 12, 11), pixel_at(original, 5, 5));

    // A right selection leaves a hole of bg.
    select_bg(77);
    key(KEY_b);
    mouse("down", 3, zoom_x(20), zoom_y(20));
    mouse("up", 3, zoom_x(21), zoom_y(22));
    run();
    EXPECT_EQ(e.block.width, 2);
    EXPECT_EQ(e.block.height, 3);
    EXPECT_EQ(e.block.transparent, 77);
    for (int r = 20; r <= 22; r++)
        for (int c = 20; c <= 21; c++)
            EXPECT_EQ(pixel_at(e.work, c, r), 77);
    // Shift+B after choosing a dot again makes the block the brush again; Z
    // then rotates the block, not the cell.
    key(KEY_PERIOD);
    run();
    EXPECT_EQ(e.brush, 1);
    shifted(KEY_b);
    key(KEY_z);
    run();
    EXPECT_EQ(e.brush, BLOCK_BRUSH);
    EXPECT_EQ(e.block.width, 3);
    EXPECT_EQ(e.block.height, 2);
}

TEST_F(GfxEditorFrames, PanelBrushesAndTransformKeys)
{
    GfxEditor& e = gfx_editor;
    // Panel cell 11 is brush 4; keypad plus and minus step it.
    mouse("press", 1, 592 + 12 + 3, 32 + 12 * 5 + 3);
    run();
    EXPECT_EQ(e.brush, 4);
    key(KEY_EQUALS);
    key(KEY_EQUALS);
    key(KEY_EQUALS);
    run();
    EXPECT_EQ(e.brush, 6);
    key(KEY_MINUS);
    run();
    EXPECT_EQ(e.brush, 5);
    // Panel cell 7 clears to bg, undo first.
    const Picture24 original = e.work;
    select_bg(12);
    mouse("press", 1, 592 + 12 + 3, 32 + 12 * 3 + 3);
    run();
    EXPECT_EQ(e.undo, original);
    for (uint8_t v : e.work)
        ASSERT_EQ(v, 12);
    key(KEY_u);
    run();
    EXPECT_EQ(e.work, original);
    // X, Y, Z on the cell; undo after them returns to the last press.
    key(KEY_x);
    key(KEY_z);
    run();
    Picture24 want = original;
    mirror_x(want);
    rotate_cw(want);
    EXPECT_EQ(e.work, want);
    EXPECT_EQ(set_cell(0, 0), want);
}

TEST_F(GfxEditorFrames, SwitchingSetsKeepsTheCellAndUndo)
{
    GfxEditor& e = gfx_editor;
    click(1, cell_x(30), cell_y(30));
    run();
    const Picture24 from_set0 = e.undo;
    with(LALT, KEY_3);
    run();
    EXPECT_EQ(e.set_index, 2);
    EXPECT_EQ(e.cell_index, 30);
    EXPECT_EQ(e.work, set_cell(2, 30));
    EXPECT_EQ(e.undo, from_set0);
    // Undo right after the switch puts set 0's picture into set 2's cell.
    key(KEY_u);
    run();
    EXPECT_EQ(set_cell(2, 30), from_set0);
}

TEST_F(GfxEditorFrames, EnteringAgainKeepsSetCellColoursToolAndBrush)
{
    GfxEditor& e = gfx_editor;
    click(1, cell_x(41), cell_y(41));
    with(LALT, KEY_2);
    key(KEY_r);
    key(KEY_EQUALS);
    key(KEY_RIGHTBRACKET);
    key(KEY_COMMA);   // a pick left pending is forgotten
    run();
    session.mode = gfx_editor_mode;
    enter_gfx_editor();
    EXPECT_EQ(e.set_index, 1);
    EXPECT_EQ(e.cell_index, 41);
    EXPECT_EQ(e.work, set_cell(1, 41));
    EXPECT_EQ(e.undo, e.work);
    EXPECT_EQ(e.tool, TOOL_RECT);
    EXPECT_EQ(e.brush, 2);
    EXPECT_EQ(e.fg, 2);
    EXPECT_EQ(e.pick_mode, PICK_NONE);
    EXPECT_EQ(screen_palette.colours, gfx_sets[1].palette);
}

TEST_F(GfxEditorFrames, SaveThenReloadRestoresTheCells)
{
    GfxEditor& e = gfx_editor;
    shifted(KEY_s);
    run();
    const std::string saved = read_file(dir.file(".zuzezodov/back.lbm"));
    ASSERT_FALSE(saved.empty());
    const std::vector<uint8_t> pixels(gfx_sets[0].pixels, gfx_sets[0].pixels + GFX_SET_PIXELS);
    const auto palette = gfx_sets[0].palette;

    // Edits to the picture and the palette, then Shift+L.
    select_fg(3);
    click(1, zoom_x(1), zoom_y(1));
    mouse("down", 1, 305, 350);   // red of colour 3
    mouse("up", 1, 305, 350);
    run();
    ASSERT_NE(gfx_sets[0].palette[9], 3);
    ASSERT_EQ(pixel_at(e.work, 1, 1), 3);
    const Picture24 undo = e.undo;
    tapped(LSHIFT, KEY_l);
    run();
    EXPECT_EQ(0, memcmp(gfx_sets[0].pixels, pixels.data(), pixels.size()));
    EXPECT_EQ(gfx_sets[0].palette, palette);
    EXPECT_EQ(e.work, set_cell(0, 0));
    EXPECT_EQ(e.undo, undo) << "reloading leaves undo as it was";
    EXPECT_EQ(read_file(dir.file(".zuzezodov/back.lbm")), saved);
    EXPECT_FALSE(message_shown());

    // A reload that cannot read its file keeps the set and says so.
    click(1, zoom_x(1), zoom_y(1));
    run();
    const Picture24 edited = e.work;
    strcpy(artwork_names[0], "gone.lbm");
    shifted(KEY_l);
    run();
    EXPECT_TRUE(message_shown());
    EXPECT_EQ(e.work, edited);
    EXPECT_EQ(set_cell(0, 0), edited);
}

// Shift+L on a damaged file says so and changes nothing: neither its pixels
// nor its colours reach the set.
TEST_F(GfxEditorFrames, AReloadOfADamagedFileChangesNothing)
{
    GfxEditor& e = gfx_editor;
    shifted(KEY_s);
    run();
    const std::string saved = read_file(dir.file(".zuzezodov/back.lbm"));
    ASSERT_GT(saved.size(), 800u);
    const std::vector<uint8_t> pixels(gfx_sets[0].pixels, gfx_sets[0].pixels + GFX_SET_PIXELS);
    const auto palette = gfx_sets[0].palette;
    const std::string small = iff_form("ILBM", iff_chunk("BMHD", bmhd(16, 16, 8)) + iff_chunk("CMAP", std::string(768, '\7')) +
                                                   iff_chunk("BODY", literal_body(std::vector<uint8_t>(256, 5), 16, 16, 8)));
    const struct {
        const char* why;
        std::string file;
    } cases[] = {
        {"the form's header only", saved.substr(0, 12)},
        {"cut in half", saved.substr(0, saved.size() / 2)},
        {"a picture of 16 by 16", small},
        {"not a picture", "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        write_file(dir.file(".zuzezodov/back.lbm"), c.file);
        const Picture24 work = e.work;
        shifted(KEY_l);
        run();
        EXPECT_TRUE(message_shown());
        EXPECT_EQ(0, memcmp(gfx_sets[0].pixels, pixels.data(), pixels.size()));
        EXPECT_EQ(gfx_sets[0].palette, palette);
        EXPECT_EQ(e.work, work);
        write_file(dir.file(".zuzezodov/back.lbm"), saved);
    }
}

TEST_F(GfxEditorFrames, SavedSetDecodesWithNetpbm)
{
    // A palette that tells colours apart by all three components.
    for (int k = 0; k < 256; k++) {
        gfx_sets[1].palette[size_t(3 * k)] = uint8_t(k);
        gfx_sets[1].palette[size_t(3 * k + 1)] = uint8_t(255 - k);
        gfx_sets[1].palette[size_t(3 * k + 2)] = uint8_t(k * 7);
    }
    tapped(LALT, KEY_2);
    click(1, zoom_x(7), zoom_y(7));   // one edited pixel in colour 1
    tapped(LSHIFT, KEY_s);
    run();
    ASSERT_EQ(gfx_sets[1].pixels[7 * 320 + 7], 1);
    const std::string path = dir.file(".zuzezodov/hero.lbm");
    ASSERT_EQ(shell("ilbmtoppm " + path + " > " + dir.file("hero.ppm") + " 2>/dev/null"), 0);
    const RgbImage image = parse_ppm(read_file(dir.file("hero.ppm")));
    ASSERT_EQ(image.width, 320);
    ASSERT_EQ(image.height, 200);
    const GfxSet& set = gfx_sets[1];
    for (int i = 0; i < GFX_SET_PIXELS; i++) {
        const uint8_t* rgb = &set.palette[size_t(3 * set.pixels[i])];
        ASSERT_EQ(image.pixels[size_t(i)], (Rgb{rgb[0], rgb[1], rgb[2]})) << "pixel " << i;
    }
}

// Runs the frames of step in a child process whose files cannot grow past
// limit bytes (limit 0: no limit) and, with `nobody`, without root's rights.
// The child's exit status tells whether check held afterwards.
template <typename Step, typename Check>
bool in_child(long limit, bool nobody, Step step, Check check)
{
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        if (limit) {
            rlimit r{rlim_t(limit), rlim_t(limit)};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        if (nobody && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        step();
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(GfxEditorFrames, AFailedSaveShowsItsMessageAndKeepsTheOldFile)
{
    shifted(KEY_s);
    run();
    const std::string old = read_file(dir.file(".zuzezodov/back.lbm"));
    ASSERT_FALSE(old.empty());
    click(1, zoom_x(20), zoom_y(20));
    shifted(KEY_s);
    for (int limit : {0, 3000}) {
        SCOPED_TRACE(limit);
        // Without a limit the directory is made unwritable for an unprivileged user.
        if (!limit) {
            ASSERT_EQ(chmod(dir.file(".zuzezodov").c_str(), 0555), 0);
            ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
        }
        EXPECT_TRUE(in_child(limit, limit == 0, [&] { run(); }, [&] { return message_shown(); }));
        chmod(dir.file(".zuzezodov").c_str(), 0700);
        EXPECT_EQ(read_file(dir.file(".zuzezodov/back.lbm")), old);
        EXPECT_EQ(access(dir.file(".zuzezodov/back.lbm.new").c_str(), F_OK), -1);
    }
    // A save that works says so: "SAVED", five letters of six inked pixels.
    run();
    EXPECT_EQ(message_ink(), 5 * 6);
    EXPECT_NE(read_file(dir.file(".zuzezodov/back.lbm")), old);
}

// Alt+X with edited artwork that was never saved: the first is held back
// and said below the help, a second with no edit in between ends the
// program; saved, reloaded or undone edits let the first one end it.
TEST_F(GfxEditorFrames, AltXAsksOnceForUnsavedArtwork)
{
    shifted(KEY_s);   // the background set has a file to reload
    run();
    const struct {
        const char* name;
        std::function<void()> before;
        int held_back;   // how many Alt+X the program outlives
    } cases[] = {
        {"nothing edited", [] {}, 0},
        {"a pixel", [this] { edit_pixel(); }, 1},
        {"a colour", [this] { select_and_slide(); }, 1},
        {"a pixel of another set",
         [this] {
             with(LALT, KEY_3);
             edit_pixel();
         },
         1},
        {"a pixel, saved",
         [this] {
             edit_pixel();
             shifted(KEY_s);
         },
         0},
        {"a pixel, reloaded",
         [this] {
             edit_pixel();
             shifted(KEY_l);
         },
         0},
        {"a pixel, undone",
         [this] {
             edit_pixel();
             key(KEY_u);
         },
         0},
        {"a pixel, Alt+X, another pixel",
         [this] {
             edit_pixel();
             with(LALT, KEY_x);
             edit_pixel();
         },
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(unsaved_gfx_sets(), 0);
        c.before();
        run();
        const Picture24 work = gfx_editor.work;
        int outlived = 0;
        for (;; outlived++) {
            ASSERT_LT(outlived, 3);
            with(LALT, KEY_x);
            if (!run_to_exit())
                break;
            EXPECT_TRUE(message_shown());
            EXPECT_EQ(gfx_editor.work, work) << "Alt+X mirrors nothing";
        }
        EXPECT_EQ(outlived, c.held_back);
        // Back to the sets as their files hold them for the next case.
        for (int set : {0, 2}) {
            with(LALT, KEY_1 + set);
            shifted(KEY_s);
        }
        with(LALT, KEY_1);
        run();
    }
}

} // namespace
