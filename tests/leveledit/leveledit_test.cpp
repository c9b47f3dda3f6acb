// The level editor driven through the real frame loop by scripted key and
// mouse events, with the shipped artwork, on a small archive of its own.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <cstdlib>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/keys.h"
#include "program/frame.h"
#include "core/input.h"
#include "program/script.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/modes.h"
#include "frontend/userdir.h"
#include "view/view.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/textformat.h"
#include "leveledit/leveledit.h"
#include "leveledit/validate.h"
#include "leveledit/winnable.h"
#include "level/movie.h"
#include "picture/gfxset.h"
#include "platform/clock.h"
#include "support/archive_files.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/script_lines.h"

// The editor's archive rewrite goes through failing_write_records, so that a
// test can make one particular rewrite of the archive fail.
namespace {

// The session the frames run on, as the start-up body owns one.
Session session;
constexpr int NO_WRITE_FAILURE = -1000;   // no record number is this
int write_failure_record = NO_WRITE_FAILURE;   // a rewrite that holds this record fails
// How it fails: ARCHIVE_IO_ERROR before anything is written, or
// ARCHIVE_NOT_SYNCED after the real rewrite (the folder flush failed).
int write_failure_result = ARCHIVE_IO_ERROR;

int failing_write_records(const RecordWrite* writes, int count)
{
    for (int i = 0; i < count; i++) {
        if (writes[i].record != write_failure_record)
            continue;
        if (write_failure_result == ARCHIVE_NOT_SYNCED && write_records(writes, count) != 0)
            return ARCHIVE_IO_ERROR;
        archive_errno = EIO;
        return write_failure_result;
    }
    return write_records(writes, count);
}

// Every editor of this binary writes through it; it passes through unless a
// test names a record.
const bool editor_writes_through_test = [] {
    level_editor_write_records = failing_write_records;
    return true;
}();

// A level as text: a floor of bricks, the hero on it, one object.
std::string level_text_with(char hero_row_fill)
{
    std::string text;
    for (int r = 0; r < FIELD_ROWS; r++) {
        std::string row(FIELD_COLUMNS, r == FIELD_ROWS - 1 ? '#' : '.');
        if (r == FIELD_ROWS - 2) {
            row.assign(FIELD_COLUMNS, hero_row_fill);
            row[0] = 'P';
            row[5] = '$';
        }
        text += row + "\n";
    }
    return text;
}

std::string record_of(const std::string& text)
{
    std::string record(LEVEL_RECORD_SIZE, 0);
    EXPECT_EQ(parse_level_text(text, reinterpret_cast<uint8_t*>(record.data())), "");
    return record;
}

const std::string LEVEL1 = record_of(level_text_with('.'));
const std::string LEVEL2 = record_of(level_text_with('-'));
const std::string MOVIE1 = pattern_bytes(41, 7);

using namespace scriptline;

// The centre of field cell (c, r) on the screen.
int cx(int c) { return 32 + 24 * c + 12; }
int cy(int r) { return 60 + 24 * r + 12; }

class Editor : public ::testing::Test {
protected:
    TempArchiveDir work;
    const TempDir& dir = work.dir;
    HeadlessScreen display;
    std::vector<uint8_t>& screen = display.pixels;
    std::map<std::vector<uint8_t>, char> glyphs;

    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0);
        ASSERT_NE(SDL_SetVideoMode(640, 480, 8, 0), nullptr);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
        snprintf(home_directory, sizeof home_directory, "%s", dir.path.c_str());
        set_first_start_config();
        clear_gfx_sets();
        for (int set = 0; set < GFX_SET_COUNT; set++)
            ASSERT_EQ(load_gfx_set(set), nullptr);
        rebuild_screen_colours();
        clear_dirty_list();
        reset_input_state();
        init_level_editor();
        session.game_active = false;
        session.mode = main_menu_handler;
        write_failure_record = NO_WRITE_FAILURE;
        write_file(archive_path,
                   build_archive({8, {{0, LEVEL1}, {1, MOVIE1}, {2, LEVEL2}, {4, std::string(100, '\x11')}}}));
        read_glyphs();
        setenv("VORBIX_FAST", "1", 1);
    }
    void TearDown() override
    {
        unsetenv("VORBIX_SCRIPT");
        unsetenv("VORBIX_FAST");
        reset_script();
        SDL_ShowCursor(SDL_DISABLE);
        free_gfx_sets();
        SDL_Quit();
    }

    // Every glyph of the font as drawn in white, to read the screen's text back.
    void read_glyphs()
    {
        std::vector<uint8_t> scratch(640 * 480, 0);
        attach_frame_buffer(scratch.data(), 640);
        for (const char* c = GLYPH_ORDER; *c; c++) {
            draw_char(0, 0, static_cast<unsigned char>(*c), screen_palette.nearest_white);
            glyphs.emplace(box(scratch, 0, 0), *c);   // the first of two look-alikes wins
        }
        attach_frame_buffer(screen.data(), 640);
    }
    static std::vector<uint8_t> box(const std::vector<uint8_t>& pixels, int x, int y)
    {
        std::vector<uint8_t> b;
        for (int row = 0; row < 12; row++)
            for (int col = 0; col < 8; col++)
                b.push_back(pixels[size_t((y + row) * 640 + x + col)]);
        return b;
    }
    // The 72 characters of the top line as the screen shows them, trimmed.
    std::string top_line() const
    {
        std::string text;
        for (int i = 0; i < EDITOR_LINE_COLUMNS; i++) {
            auto found = glyphs.find(box(screen, 32 + 8 * i, 24));
            text += found == glyphs.end() ? '?' : found->second;
        }
        const size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? "" : shown(text.substr(first, text.find_last_not_of(' ') - first + 1));
    }
    // A text as the font draws it: in capitals, and with O and 0 alike should
    // the artwork draw them so.
    static std::string shown(std::string s)
    {
        for (char& c : s) {
            c = char(toupper(static_cast<unsigned char>(c)));
            if (c == '0')
                c = 'O';
        }
        return s;
    }

    // Runs a script through the real frame loop: every frame up to two after
    // its last line, so that what the handler shows is drawn. Frame numbers
    // count from this call.
    void run(const std::string& script, int extra_frames = 2)
    {
        write_file(dir.file("script"), script);
        setenv("VORBIX_SCRIPT", dir.file("script").c_str(), 1);
        ASSERT_TRUE(load_script());
        long last = 0;
        std::istringstream lines(script);
        for (std::string line; std::getline(lines, line);)
            last = std::max(last, atol(line.c_str()));
        for (long i = 0; i <= last + extra_frames; i++)
            ASSERT_EQ(run_frame(session), 0);
    }
    // F3 from the main menu.
    void enter(int level)
    {
        session.mode = main_menu_handler;
        session.level = level;
        run(press(0, KEY_F3));
        ASSERT_EQ(session.mode, level_editor_mode);
    }
    static int cell(int c, int r) { return level_editor.grid[size_t(field_cell(c, r))]; }
    uint8_t pixel(int x, int y) const { return screen[size_t(y * 640 + x)]; }
    bool slot_marked(int slot) const { return pixel(128 + 32 * slot, 450) == screen_palette.nearest_white; }
    std::string level_record(int level) const
    {
        std::string buffer(400, 0);
        int n = read_record(2 * level - 2, reinterpret_cast<uint8_t*>(buffer.data()), 400);
        return n < 0 ? "error" : buffer.substr(0, size_t(n));
    }
    static std::string packed_grid()
    {
        std::string record(LEVEL_RECORD_SIZE, 0);
        pack_record(level_editor.grid, reinterpret_cast<uint8_t*>(record.data()));
        return record;
    }
};

TEST_F(Editor, F3FromTheMenuEditsLevel1AndShowsThePointerUntilPlay)
{
    enter(0);
    EXPECT_EQ(session.level, 1);
    EXPECT_EQ(packed_grid(), LEVEL1);
    EXPECT_FALSE(level_editor.modified);
    EXPECT_TRUE(display_state.pointer_shown);
    EXPECT_EQ(top_line(), shown("LEVEL 0001  L=LOAD W=WRITE ESC=EXIT 0-9 CHANGE LEVEL KP +- UP/DN LEVEL"));
    EXPECT_TRUE(slot_marked(TILE_BRICK));
    run(press(0, KEY_ESCAPE));
    EXPECT_EQ(session.mode, play_handler);
    EXPECT_TRUE(session.game_active);
    EXPECT_FALSE(display_state.pointer_shown);
}

TEST_F(Editor, PaintingFollowsOnlyADragThatBeganOnTheField)
{
    const struct {
        const char* name;
        int button;
        std::pair<int, int> start;
        int want_row7;   // what cells (3..6, 7) hold afterwards
    } cases[] = {
        {"left drag from the field", 1, {cx(2), cy(7)}, TILE_BRICK},
        {"right drag from the field", 3, {cx(2), cy(7)}, TILE_EMPTY},
        {"left drag from the palette (it chooses the ladder)", 1, {128 + 32 * 3 + 5, 455}, TILE_ROPE},
        {"left drag from above the field", 1, {cx(2), 40}, TILE_ROPE},
        {"left drag from the frame beside it", 1, {20, cy(7)}, TILE_ROPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        level_editor.current_tile = TILE_BRICK;
        enter(1);
        for (int col = 3; col <= 6; col++)
            level_editor.grid[size_t(field_cell(col, 7))] = TILE_ROPE;
        run(drag(0, c.button, {c.start, {cx(3), cy(7)}, {cx(4), cy(7)}, {cx(5), cy(7)}, {cx(6), cy(7)}}));
        for (int col = 3; col <= 6; col++)
            EXPECT_EQ(cell(col, 7), c.want_row7) << "column " << col;
        EXPECT_EQ(level_editor.modified, c.want_row7 != TILE_ROPE);
    }
}

TEST_F(Editor, PaintingACellWithItsOwnCodeIsNoChange)
{
    enter(1);
    // The bottom row is bricks already; the left button paints bricks.
    run(drag(0, 1, {{cx(0), cy(14)}, {cx(8), cy(14)}}));
    EXPECT_FALSE(level_editor.modified);
    EXPECT_EQ(packed_grid(), LEVEL1);
    EXPECT_EQ(undo_steps(), 0);
}

TEST_F(Editor, TheF3ThatOpensTheEditorChoosesNoTile)
{
    level_editor.current_tile = TILE_LADDER;
    // F3 held for several frames, as a hand presses it.
    run(key(0, "down", KEY_F3) + key(5, "up", KEY_F3));
    ASSERT_EQ(session.mode, level_editor_mode);
    EXPECT_EQ(level_editor.current_tile, TILE_LADDER);
    EXPECT_TRUE(slot_marked(TILE_LADDER));
    // Pressed again inside the editor, it does.
    run(hold(0, KEY_F3));
    EXPECT_EQ(level_editor.current_tile, TILE_SOLID);
}

TEST_F(Editor, PaletteClicksAndFunctionKeysMoveTheWhiteOutline)
{
    enter(1);
    run(click(0, 1, 128 + 32 * 7 + 12, 460));
    EXPECT_EQ(level_editor.current_tile, TILE_OBJECT);
    for (int slot = 0; slot < PALETTE_SLOTS; slot++)
        EXPECT_EQ(slot_marked(slot), slot == TILE_OBJECT) << slot;
    // Between two slots (x mod 32 at 24 or more) is no slot.
    run(click(0, 1, 128 + 32 * 2 + 26, 460));
    EXPECT_EQ(level_editor.current_tile, TILE_OBJECT);
    run(hold(0, KEY_F12));
    EXPECT_EQ(level_editor.current_tile, TILE_FLASHING_OBJECT);
    EXPECT_TRUE(slot_marked(11));
    EXPECT_FALSE(slot_marked(7));
    run(hold(0, KEY_F1));
    EXPECT_EQ(level_editor.current_tile, TILE_EMPTY);
    EXPECT_TRUE(slot_marked(0));
    // The chosen tile is what the left button paints.
    run(hold(0, KEY_F10) + click(3, 1, cx(9), cy(2)));
    EXPECT_EQ(cell(9, 2), TILE_HERO_START);
}

TEST_F(Editor, LevelNumberKeysAndTheirLimits)
{
    const struct {
        int sym, from, to;
    } cases[] = {
        {KEY_LEFT, 1, 1},        {KEY_LEFT, 2, 1},         {KEY_RIGHT, 400, 400},   {KEY_RIGHT, 399, 400},
        {KEY_UP, 391, 391},      {KEY_UP, 395, 395},       {KEY_UP, 390, 400},      {KEY_DOWN, 10, 10},
        {KEY_DOWN, 5, 5},        {KEY_DOWN, 11, 1},        {KEY_PAGEUP, 301, 301},  {KEY_PAGEUP, 350, 350},
        {KEY_PAGEUP, 300, 400},  {KEY_PAGEDOWN, 100, 100}, {KEY_PAGEDOWN, 50, 50},  {KEY_PAGEDOWN, 101, 1},
        {KEY_KP_PLUS, 400, 400}, {KEY_KP_PLUS, 7, 8},      {KEY_EQUALS, 7, 8},      {KEY_KP_MINUS, 1, 1},
        {KEY_KP_MINUS, 2, 1},    {KEY_MINUS, 2, 1},
    };
    enter(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sym) + " at " + std::to_string(c.from));
        // The number typed, then the key.
        level_editor.digit_entry = false;
        const std::string digits = std::to_string(c.from);
        std::string script;
        for (size_t i = 0; i < digits.size(); i++)
            script += press(long(i), digits[i]);
        level_editor.grid[size_t(field_cell(0, 0))] = TILE_SOLID;   // a load replaces it
        run(script + press(long(digits.size()), c.sym));
        EXPECT_EQ(session.level, c.to);
        char want[16];
        snprintf(want, sizeof want, "LEVEL %04d", c.to);
        EXPECT_EQ(top_line().substr(0, 10), shown(want));
        // Only keypad plus and minus (and = and -) load, and only on a change.
        const bool loads = c.from != c.to && (c.sym == KEY_KP_PLUS || c.sym == KEY_EQUALS ||
                                              c.sym == KEY_KP_MINUS || c.sym == KEY_MINUS);
        EXPECT_EQ(cell(0, 0), loads ? TILE_EMPTY : TILE_SOLID);
    }
}

TEST_F(Editor, TypedLevelNumbers)
{
    const struct {
        std::vector<int> keys;
        int want;
        bool entry_open;
    } cases[] = {
        {{KEY_4, KEY_0, KEY_1}, 1, false},   // 401 is too high
        {{KEY_4, KEY_0, KEY_0}, 400, true},
        {{KEY_0, KEY_2, KEY_5}, 25, true},   // a leading 0 is ignored
        {{KEY_KP0, KEY_KP3}, 3, true},
        {{KEY_3, KEY_LEFT, KEY_7}, 7, true}, // an arrow ends the entry
        {{KEY_3, KEY_KP_PLUS, KEY_7}, 47, true},   // keypad plus does not
        {{KEY_1, KEY_2, KEY_3, KEY_4}, 1, false},
    };
    enter(1);
    for (const auto& c : cases) {
        session.level = 9;
        level_editor.digit_entry = false;
        std::string script;
        for (size_t i = 0; i < c.keys.size(); i++)
            script += press(long(i), c.keys[i]);
        run(script);
        EXPECT_EQ(session.level, c.want) << "after " << c.keys.size() << " keys ending with " << c.keys.back();
        EXPECT_EQ(level_editor.digit_entry, c.entry_open);
    }
    // While the level is modified, digits change nothing.
    session.level = 9;
    level_editor.digit_entry = false;
    run(click(0, 1, cx(3), cy(3)) + press(2, KEY_5) + press(3, KEY_KP6));
    ASSERT_TRUE(level_editor.modified);
    EXPECT_EQ(session.level, 9);
}

TEST_F(Editor, RefusalsWhileModified)
{
    enter(1);
    run(click(0, 1, cx(3), cy(3)));
    ASSERT_TRUE(level_editor.modified);
    const std::string painted = packed_grid();
    for (int sym : {KEY_KP_PLUS, KEY_KP_MINUS, KEY_EQUALS, KEY_MINUS}) {
        session.level = 5;
        run(press(0, sym));
        EXPECT_EQ(top_line(), shown("Save or load before changing levels")) << sym;
        EXPECT_EQ(session.level, 5);
        EXPECT_EQ(packed_grid(), painted);
    }
    session.level = 1;
    for (int sym : {KEY_l, KEY_RETURN, KEY_KP_ENTER}) {
        run(press(0, sym));
        EXPECT_EQ(top_line(), shown("use alt-l to load over modified level")) << sym;
        EXPECT_EQ(packed_grid(), painted);
    }
    // Alt+L loads over it; the message gives way to the header.
    run(with(0, KEY_RALT, KEY_l));
    EXPECT_EQ(packed_grid(), LEVEL1);
    EXPECT_FALSE(level_editor.modified);
    run("", MESSAGE_FRAMES);
    EXPECT_EQ(top_line().substr(0, 10), shown("LEVEL 0001"));
}

TEST_F(Editor, ArrowsChangeOnlyTheNumberSoALevelCanBeCopied)
{
    enter(2);
    run(press(0, KEY_RIGHT) + press(1, KEY_RIGHT) + press(2, KEY_RIGHT) + press(3, KEY_w));
    EXPECT_EQ(session.level, 5);
    EXPECT_EQ(top_line(), shown("level saved"));
    EXPECT_EQ(level_record(5), LEVEL2);
}

TEST_F(Editor, WriteMessagesInTheirSituations)
{
    enter(1);
    const std::string original = read_file(archive_path);
    const struct {
        const char* name;
        void (*arrange)();
        std::string script;
        const char* message;
    } cases[] = {
        {"no hero", [] { level_editor.grid[size_t(field_cell(0, 13))] = TILE_EMPTY; }, press(0, KEY_w),
         "level must have exactly 1 player"},
        {"six enemies",
         [] {
             for (int c = 10; c < 16; c++)
                 level_editor.grid[size_t(field_cell(c, 5))] = TILE_ENEMY_START;
         },
         press(0, KEY_w), "level cannot have more than 5 enemies"},
        {"two flashing objects",
         [] { level_editor.grid[size_t(field_cell(1, 1))] = level_editor.grid[size_t(field_cell(2, 1))] = TILE_FLASHING_OBJECT; },
         press(0, KEY_w), "level must have exactly 0 or 3 flashing objects"},
        {"four hidden enemies with right alt",
         [] {
             for (int c = 10; c < 14; c++)
                 level_editor.grid[size_t(field_cell(c, 5))] = TILE_HIDDEN_ENEMY;
         },
         with(0, KEY_RALT, KEY_w), "number of hidden ememies must be 0 to 3"},
        {"escape ladders without objects",
         [] {
             level_editor.grid[size_t(field_cell(5, 13))] = TILE_EMPTY;
             level_editor.grid[size_t(field_cell(9, 3))] = TILE_ESCAPE_LADDER;
         },
         press(0, KEY_w), "if you have escape ladders, you must have at least 1 object"},
        {"a closed top row",
         [] {
             for (int c = 0; c < FIELD_COLUMNS; c++)
                 level_editor.grid[size_t(field_cell(c, 0))] = TILE_SOLID;
         },
         press(0, KEY_w), "there must be at least 1 empty space on the top row"},
        {"level 0", [] { session.level = 0; }, press(0, KEY_w), "cannot write level 0"},
        {"an existing level", [] {}, press(0, KEY_w), "use alt-w to overwrite existing level"},
        {"the level cannot be rewritten", [] { write_failure_record = 0; }, with(0, KEY_LALT, KEY_w),
         "could not write level, archive unchanged: Input/output error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.level = 1;
        write_failure_record = NO_WRITE_FAILURE;
        run(with(0, KEY_LALT, KEY_l));
        run("", MESSAGE_FRAMES);   // the header back in the top line
        level_editor.modified = true;
        c.arrange();
        run(c.script);
        EXPECT_EQ(top_line(), shown(c.message));
        EXPECT_TRUE(level_editor.modified);
        EXPECT_EQ(read_file(archive_path), original) << "nothing written";
    }
}

TEST_F(Editor, ASuccessfulWriteReplacesTheLevelAndEmptiesItsMovie)
{
    enter(1);
    run(hold(0, KEY_F4) + drag(3, 1, {{cx(2), cy(4)}, {cx(3), cy(4)}, {cx(4), cy(4)}}) + with(8, KEY_LALT, KEY_w));
    EXPECT_EQ(top_line(), shown("level saved"));
    EXPECT_FALSE(level_editor.modified);
    const std::string painted = packed_grid();
    EXPECT_NE(painted, LEVEL1);
    const std::string bytes = read_file(archive_path);
    const ParsedArchive parsed = parse_archive(bytes);
    ASSERT_GE(parsed.index.size(), 3u);
    EXPECT_EQ(bytes.substr(parsed.index[0].offset, parsed.index[0].length), painted);
    EXPECT_EQ(parsed.index[1].length, 0u) << "the movie is gone";
    EXPECT_EQ(bytes.substr(parsed.index[2].offset, parsed.index[2].length), LEVEL2);
    EXPECT_EQ(validate_level(level_editor.grid, false), nullptr);
    // The written level is what play starts.
    // The written level is what play starts.
    const PlayGrid written = level_editor.grid;
    run(press(0, KEY_SPACE));
    EXPECT_EQ(session.mode, play_handler);
    EXPECT_EQ(session.running.snapshot, written);
    // The hero walks right on it for a second.
    run(key(0, "down", KEY_RIGHT) + key(50, "up", KEY_RIGHT));
    EXPECT_EQ(session.mode, play_handler);
    EXPECT_GT(session.running.actors[0].x, cell_x(field_cell(0, 13)));
}

TEST_F(Editor, ANewLevelNeedsNoAltAndAnUnflushedWriteSaysTheLevelIsSaved)
{
    enter(1);
    run(press(0, KEY_UP) + press(1, KEY_w));   // level 11 does not exist
    EXPECT_EQ(top_line(), shown("level saved"));
    EXPECT_EQ(level_record(11), LEVEL1);
    // The level and the end of its movie are in the archive, but the
    // folder flush failed: the message says what is on the disk.
    session.level = 2;
    write_failure_record = 3;
    write_failure_result = ARCHIVE_NOT_SYNCED;
    run(click(0, 1, cx(10), cy(5)) + with(2, KEY_LALT, KEY_w));
    write_failure_result = ARCHIVE_IO_ERROR;
    EXPECT_EQ(top_line(), shown("level saved, not yet safe on disk: Input/output error"));
    EXPECT_FALSE(level_editor.modified);
    EXPECT_EQ(level_record(2), packed_grid());
    const ParsedArchive parsed = parse_archive(read_file(archive_path));
    ASSERT_GE(parsed.index.size(), 4u);
    EXPECT_EQ(parsed.index[3].offset, 0u) << "the movie went with the old level";
}

TEST_F(Editor, AFailedWriteLeavesTheArchiveByteForByte)
{
    enter(1);
    // Bytes behind the last record (records an index cut short may have
    // lost): a rewrite would drop them, so the archive is refused.
    write_file(archive_path, read_file(archive_path) + "lost records");
    const std::string original = read_file(archive_path);
    run(click(0, 1, cx(7), cy(7)) + with(2, KEY_LALT, KEY_w));
    EXPECT_EQ(top_line(), shown("could not write level, archive unchanged: the archive is damaged"));
    EXPECT_TRUE(level_editor.modified);
    EXPECT_EQ(read_file(archive_path), original);
    EXPECT_TRUE(temporaries_in(dir.path).empty());
}

// An archive that goes away while the game runs: loading in the editor and
// leaving it say so instead of showing an empty field without a word.
TEST_F(Editor, AnArchiveThatIsGoneIsToldWhenLoadingAndLeaving)
{
    enter(1);
    unlink(archive_path);
    run(press(0, KEY_UP) + press(1, KEY_l));
    EXPECT_EQ(top_line(), shown("the archive cannot be read: the field starts empty"));
    run(press(0, KEY_ESCAPE));
    EXPECT_EQ(session.mode, play_handler);
    close_log();
    const std::string log = read_file(dir.file("VRBXINFO.LOG"));
    EXPECT_NE(log.find("Level 1 cannot be read from " + std::string(archive_path)), std::string::npos) << log;
    leave_game(session);
}

TEST_F(Editor, LeavingAModifiedLevelTakesAltAndThenPlaysTheStoredLevel)
{
    PlayGrid stored;
    unpack_record(reinterpret_cast<const uint8_t*>(LEVEL1.data()), level_editor.grid);
    stored = level_editor.grid;
    const struct {
        const char* name;
        std::string leave;   // the keys, from frame 4 on
        bool leaves;
    } cases[] = {
        {"Escape", press(4, KEY_ESCAPE), false},
        {"Space", press(4, KEY_SPACE), false},
        {"Alt+Escape", with(4, KEY_LALT, KEY_ESCAPE), true},
        {"Alt+Space", with(4, KEY_RALT, KEY_SPACE), true},
        {"Alt let go in the same batch", tapped_with(4, KEY_LALT, KEY_ESCAPE), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        enter(1);
        run(drag(0, 1, {{cx(3), cy(3)}, {cx(4), cy(3)}}) + c.leave);
        if (!c.leaves) {
            EXPECT_EQ(session.mode, level_editor_mode);
            EXPECT_EQ(top_line(), shown("use alt-esc to leave modified level"));
            EXPECT_TRUE(level_editor.modified);
            EXPECT_EQ(cell(3, 3), TILE_BRICK);
            EXPECT_EQ(cell(4, 3), TILE_BRICK);
            // The painting is still there to be written; Alt then leaves.
            run(with(0, KEY_LALT, KEY_ESCAPE));
        }
        EXPECT_EQ(session.mode, play_handler);
        EXPECT_TRUE(session.recording);
        EXPECT_EQ(session.running.snapshot, stored) << "play starts from the stored level";
        leave_game(session);
    }
}

TEST_F(Editor, UndoRestoresStrokesInReverseOrder)
{
    enter(1);
    std::vector<std::string> states{packed_grid()};
    run(drag(0, 1, {{cx(1), cy(2)}, {cx(2), cy(2)}, {cx(3), cy(3)}}));
    states.push_back(packed_grid());
    run(hold(0, KEY_F3) + drag(2, 1, {{cx(2), cy(2)}, {cx(2), cy(3)}, {cx(2), cy(4)}}));
    states.push_back(packed_grid());
    run(drag(0, 3, {{cx(2), cy(3)}, {cx(3), cy(3)}, {cx(0), cy(14)}}));
    states.push_back(packed_grid());
    ASSERT_EQ(undo_steps(), 3);
    for (int i = 2; i >= 0; i--) {
        run(with(0, KEY_LCTRL, KEY_z));
        EXPECT_EQ(packed_grid(), states[size_t(i)]) << "after undoing stroke " << i + 1;
        EXPECT_EQ(level_editor.modified, i != 0);
    }
    run(with(0, KEY_LCTRL, KEY_z));
    EXPECT_EQ(top_line(), shown("nothing to undo"));
    EXPECT_EQ(packed_grid(), states[0]);
    // z alone is no undo.
    run(click(0, 1, cx(9), cy(9)) + press(2, KEY_z));
    EXPECT_EQ(cell(9, 9), TILE_SOLID);
}

TEST_F(Editor, UndoHistoryDepthAndLoads)
{
    enter(1);
    std::string script;
    for (int i = 0; i < UNDO_DEPTH + 4; i++)
        script += click(2 * i, 1, cx(i % FIELD_COLUMNS), cy(1 + i / FIELD_COLUMNS));
    run(script);
    EXPECT_EQ(undo_steps(), UNDO_DEPTH);
    // Undo back over a write: the written level counts as unmodified.
    run(with(0, KEY_LCTRL, KEY_z) + with(2, KEY_LALT, KEY_w));
    ASSERT_EQ(top_line(), shown("level saved"));
    const std::string written = packed_grid();
    run(click(0, 1, cx(20), cy(10)));
    run(with(0, KEY_LCTRL, KEY_z));
    EXPECT_EQ(packed_grid(), written);
    EXPECT_FALSE(level_editor.modified);
    run(with(0, KEY_LCTRL, KEY_z));
    EXPECT_TRUE(level_editor.modified) << "one stroke before the written level";
    run(with(0, KEY_LALT, KEY_l));
    EXPECT_EQ(undo_steps(), 0);
}

TEST_F(Editor, AltFFillsWithoutModifyingAndIsUndone)
{
    enter(1);
    run(hold(0, KEY_F3) + with(2, KEY_LALT, KEY_f));
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            ASSERT_EQ(cell(c, r), TILE_SOLID);
    EXPECT_FALSE(level_editor.modified);
    EXPECT_EQ(level_editor.grid[0], TILE_BORDER);
    run(press(0, KEY_f));   // f alone fills nothing
    run(with(0, KEY_RCTRL, KEY_z));
    EXPECT_EQ(packed_grid(), LEVEL1);
}

TEST_F(Editor, ModifierCombinationsCountByTheKeysOwnEvent)
{
    enter(1);
    run(click(0, 1, cx(6), cy(6)));
    run(tapped_with(0, KEY_LCTRL, KEY_z));
    EXPECT_EQ(packed_grid(), LEVEL1) << "Ctrl+Z";
    run(hold(0, KEY_F3) + tapped_with(2, KEY_RALT, KEY_f));
    EXPECT_EQ(cell(6, 6), TILE_SOLID) << "Alt+F";
    run(click(0, 3, cx(6), cy(6)));
    ASSERT_TRUE(level_editor.modified);
    run(tapped_with(0, KEY_LALT, KEY_RETURN));
    EXPECT_EQ(packed_grid(), LEVEL1) << "Alt+Return";
    run(click(0, 1, cx(6), cy(6)) + tapped_with(2, KEY_LALT, KEY_w));
    EXPECT_EQ(top_line(), shown("level saved")) << "Alt+W";
    EXPECT_EQ(level_record(1), packed_grid());
}

TEST_F(Editor, MissingOrDamagedRecordsLoadAsEmptyLevels)
{
    for (int level : {3, 4, 400}) {   // 100 bytes; no record; beyond the index
        SCOPED_TRACE(level);
        enter(level);
        for (int r = 0; r < FIELD_ROWS; r++)
            for (int c = 0; c < FIELD_COLUMNS; c++)
                ASSERT_EQ(cell(c, r), TILE_EMPTY);
        EXPECT_EQ(level_editor.grid[0], TILE_BORDER);
        // Leaving a level that does not load plays level 1.
        run(press(0, KEY_ESCAPE));
        EXPECT_EQ(session.level, 1);
        leave_game(session);
    }
}

TEST_F(Editor, ADamagedArchiveNeverCrashesTheEditor)
{
    for (const std::string& bytes : {std::string("VRBX"), std::string("VRBX\0\0\0\x05garbage", 15),
                                     build_archive({4, {{0, "short"}}}), std::string()}) {
        write_file(archive_path, bytes);
        enter(1);
        run(press(0, KEY_KP_PLUS) + press(1, KEY_l) + click(2, 1, cx(0), cy(0)) +
            with(4, KEY_LALT, KEY_w) + with(6, KEY_LALT, KEY_ESCAPE));
        EXPECT_EQ(session.mode, play_handler);
        leave_game(session);
    }
}

// Every paintable code looks different from every other in the editor, on
// the field (the same cell, the same neighbours) and in the palette: the
// brick, the false brick and the brick that hides an enemy included, whose
// play pictures are alike.
TEST_F(Editor, EveryCodeHasAPictureOfItsOwnOnTheFieldAndInThePalette)
{
    enter(1);
    auto block = [this](int x, int y) {
        std::vector<uint8_t> b;
        for (int row = 0; row < 24; row++)
            for (int col = 0; col < 24; col++)
                b.push_back(pixel(x + col, y + row));
        return b;
    };
    std::vector<std::vector<uint8_t>> field, palette;
    for (int code = 0; code < PALETTE_SLOTS; code++) {
        fill_play_field(level_editor.grid, TILE_EMPTY);
        level_editor.grid[size_t(field_cell(5, 5))] = uint8_t(code);
        level_editor.field_redraws = 2;
        run("# the field drawn again\n");
        field.push_back(block(cx(5) - 12, cy(5) - 12));
        palette.push_back(block(129 + 32 * code, 451));
    }
    for (int a = 0; a < PALETTE_SLOTS; a++)
        for (int b = a + 1; b < PALETTE_SLOTS; b++) {
            EXPECT_NE(field[size_t(a)], field[size_t(b)]) << "codes " << a << " and " << b << " on the field";
            EXPECT_NE(palette[size_t(a)], palette[size_t(b)]) << "codes " << a << " and " << b << " in the palette";
        }
    // A code painted is marked at once, and the mark goes with the code.
    run(hold(0, KEY_F6) + click(2, 1, cx(5), cy(5)));
    EXPECT_EQ(block(cx(5) - 12, cy(5) - 12), field[TILE_FALSE_BRICK]);
    run(hold(0, KEY_F2) + click(2, 1, cx(5), cy(5)));
    EXPECT_EQ(block(cx(5) - 12, cy(5) - 12), field[TILE_BRICK]);
}

// T plays the field as painted, without writing it; however the play ends,
// the editor comes back with the field, the level number, `modified` and
// the undo history as they were.
TEST_F(Editor, TestPlayPlaysThePaintedFieldAndGivesItBack)
{
    const std::string archive = read_file(archive_path);
    start_frame_timer();   // its ticks wake the summary's wait
    const struct {
        const char* name;
        bool paint;          // a level painted (modified) or as loaded
        std::string play;    // from frame 0, after T
    } cases[] = {
        {"Escape", true, press(5, KEY_ESCAPE)},
        {"Q", true, press(5, KEY_q)},
        {"K gives up", true, press(5, KEY_k)},
        {"Left Shift gives up", true, hold(5, KEY_LSHIFT)},
        {"the level as loaded, Escape", false, press(5, KEY_ESCAPE)},
        // Right to the ladder (the wall stops the hero), taking the object;
        // up the escape ladder that then appears, out at the top; the
        // summary waits for Space (a modal line comes in the script's order,
        // so it stands before the later frames).
        {"the hero climbs out", true,
         key(2, "down", KEY_RIGHT) + key(80, "up", KEY_RIGHT) + key(80, "down", KEY_UP) + "modal press 32\n" +
             key(400, "up", KEY_UP)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        enter(1);
        session.level = 7;   // the number shown, not the level loaded
        if (c.paint) {
            // A field of its own: the hero on a floor, the object beside
            // him, an escape ladder up to the top row and a wall behind it.
            fill_play_field(level_editor.grid, TILE_EMPTY);
            for (int col = 0; col < FIELD_COLUMNS; col++)
                level_editor.grid[size_t(field_cell(col, 2))] = TILE_SOLID;
            level_editor.grid[size_t(field_cell(1, 1))] = TILE_HERO_START;
            level_editor.grid[size_t(field_cell(2, 1))] = TILE_OBJECT;
            level_editor.grid[size_t(field_cell(3, 0))] = TILE_ESCAPE_LADDER;
            level_editor.grid[size_t(field_cell(3, 1))] = TILE_ESCAPE_LADDER;
            level_editor.grid[size_t(field_cell(4, 1))] = TILE_SOLID;
            run(hold(0, KEY_F2) + click(2, 1, cx(10), cy(8)));   // a brick painted
            ASSERT_TRUE(level_editor.modified);
        }
        const PlayGrid painted = level_editor.grid;
        const int steps = undo_steps();
        run(press(0, KEY_t));
        ASSERT_EQ(session.mode, test_play_handler);
        EXPECT_TRUE(session.game_active);
        EXPECT_EQ(session.running.snapshot, painted) << "the painted field is played";
        run(c.play);
        EXPECT_EQ(session.mode, level_editor_mode);
        EXPECT_FALSE(session.game_active);
        EXPECT_EQ(level_editor.grid, painted);
        EXPECT_EQ(session.level, 7);
        EXPECT_EQ(level_editor.modified, c.paint);
        EXPECT_EQ(undo_steps(), steps);
        EXPECT_TRUE(display_state.pointer_shown);
        EXPECT_EQ(top_line(), shown("LEVEL 0007  L=LOAD W=WRITE ESC=EXIT 0-9 CHANGE LEVEL KP +- UP/DN LEVEL"));
        EXPECT_EQ(read_file(archive_path), archive) << "nothing written, no result stored";
        // The editor goes on from there: Ctrl+Z undoes the painted brick.
        if (c.paint) {
            run(with(0, KEY_LCTRL, KEY_z));
            EXPECT_EQ(cell(10, 8), TILE_EMPTY);
        }
    }
    stop_frame_timer();
}

TEST_F(Editor, TestPlayNeedsAFieldTheRulesCanPlay)
{
    enter(1);
    run(with(0, KEY_LCTRL, KEY_z));
    fill_play_field(level_editor.grid, TILE_EMPTY);
    run(press(0, KEY_t));
    EXPECT_EQ(session.mode, level_editor_mode);
    EXPECT_EQ(top_line(), shown("level must have exactly 1 player"));
}


// The field of a small level: the hero on a floor of stone, the object
// beside him, an escape ladder up to the top row; a wall keeps the enemy on
// the right away from him.
void paint_small_level(std::string* script, long* frame)
{
    std::vector<std::pair<int, int>> floor;
    for (int col = 0; col < FIELD_COLUMNS; col++)
        floor.push_back({cx(col), cy(2)});
    long f = *frame;
    auto put = [&](int slot_key, int c, int r) {
        *script += hold(f, slot_key) + click(f + 2, 1, cx(c), cy(r));
        f += 4;
    };
    *script += hold(f, KEY_F3) + drag(f + 2, 1, floor);   // stone
    f += 2 + long(floor.size()) + 2;
    put(KEY_F10, 1, 1);   // the hero
    put(KEY_F8, 2, 1);    // the object
    put(KEY_F7, 3, 0);    // the escape ladder
    put(KEY_F7, 3, 1);
    put(KEY_F3, 4, 1);    // the wall
    put(KEY_F9, 12, 1);   // the enemy
    *frame = f;
}

// A level whose chest is walled in by solid stone: no way out. The enemy
// and the bricks give the search more to try than a short budget allows.
void load_sealed_chest_level()
{
    const char* rows[] = {"P......................E", "........................", "########################",
                          "........................", "@@@@@@@@@@@@@@@@@@@@@@@@", "@@@@@", "@.$@", "@@@@"};
    fill_play_field(level_editor.grid, TILE_EMPTY);
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < FIELD_COLUMNS && rows[r][c]; c++)
            level_editor.grid[size_t(field_cell(c, r))] = uint8_t(strchr(TILE_CHARS, rows[r][c]) - TILE_CHARS);
    level_editor.modified = true;
    level_editor.field_redraws = 2;
}

class Winnable : public Editor {
protected:
    // Frames of the running search until it ends (at most `limit`); the
    // header as it reads at the frame `look_at`, when it comes.
    int search_frames(int limit, int look_at = -1, std::string* header = nullptr)
    {
        int frames = 0;
        while (winnable_search_running(session) && frames < limit) {
            EXPECT_EQ(run_frame(session), 0);
            if (++frames == look_at && header)
                *header = top_line();
        }
        run("# the message drawn\n");
        return frames;
    }
    // The configuration file's budget for the search, read as at start-up.
    void set_budget(int seconds)
    {
        mkdir(dir.file(USER_DIR_NAME).c_str(), 0700);
        write_file(dir.file(std::string(USER_DIR_NAME) + "/" + config_file_name),
                   "solveseconds=" + std::to_string(seconds) + "\n");
        read_config();
        ASSERT_EQ(solve_seconds, seconds);
    }
    void TearDown() override
    {
        solve_seconds = DEFAULT_SOLVE_SECONDS;
        Editor::TearDown();
    }
};

// A designer's work from an empty level to a stored way out: painting,
// leaving refused, a test-play, "winnable?", the way out shown, the write;
// the archive's movie then wins the level in vbltool verify.
TEST_F(Winnable, PaintTestAskShowAndWriteALevelWithItsWayOut)
{
    // No other movie in the archive: vbltool verify then speaks of this one.
    write_file(archive_path, build_archive({8, {{0, LEVEL1}, {2, LEVEL2}}}));
    start_frame_timer();
    enter(250);
    std::string script;
    long frame = 0;
    paint_small_level(&script, &frame);
    run(script);
    ASSERT_TRUE(level_editor.modified);
    const PlayGrid painted = level_editor.grid;
    EXPECT_EQ(validate_level(level_editor.grid, false), nullptr);

    run(press(0, KEY_ESCAPE));
    EXPECT_EQ(session.mode, level_editor_mode) << "leaving is refused";
    EXPECT_EQ(top_line(), shown("use alt-esc to leave modified level"));

    run(press(0, KEY_t) + press(30, KEY_ESCAPE));
    EXPECT_EQ(session.mode, level_editor_mode);
    EXPECT_EQ(level_editor.grid, painted);

    run(press(0, KEY_v), 0);
    ASSERT_TRUE(winnable_search_running(session));
    EXPECT_EQ(top_line(), shown("LEVEL 0250  WINNABLE? 0 STATES, 0.0 OF 60 SECS  ESC STOPS"));
    const int frames = search_frames(60 * 100);
    EXPECT_LT(frames, 60 * 100);
    const std::string answer = top_line();
    EXPECT_TRUE(std::regex_match(answer, std::regex("WINNABLE: WAY OUT IN [O1-9]+\\.[O1-9] SECS OF PLAY - V AGAIN "
                                                    "SHOWS IT")))
        << answer;
    EXPECT_EQ(level_editor.grid, painted);
    EXPECT_TRUE(level_editor.modified);
    EXPECT_EQ(session.level, 250);

    // V again: the way out played on the field until the hero climbs out.
    run(press(0, KEY_v), 0);
    ASSERT_EQ(session.mode, way_out_handler);
    EXPECT_TRUE(session.game_active);
    EXPECT_EQ(session.running.snapshot, painted);
    int shown_frames = 0;
    while (session.mode == way_out_handler && shown_frames < 3000) {
        ASSERT_EQ(run_frame(session), 0);
        shown_frames++;
    }
    run("# the message drawn\n");
    EXPECT_EQ(session.mode, level_editor_mode);
    EXPECT_EQ(top_line(), shown("THE WAY OUT - W STORES IT WITH THE LEVEL"));
    EXPECT_GE(shown_frames, 30);
    EXPECT_FALSE(session.game_active);
    EXPECT_EQ(level_editor.grid, painted);
    EXPECT_EQ(session.level, 250);
    EXPECT_TRUE(level_editor.modified);

    run(press(0, KEY_w));
    EXPECT_EQ(top_line(), shown("level saved with its way out"));
    EXPECT_FALSE(level_editor.modified);
    stop_frame_timer();
    const ProcessResult verify = run_process(VBLTOOL_BINARY, {"verify", archive_path}, {}, 60);
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    EXPECT_NE(verify.out.find("level=250 outcome=exit"), std::string::npos) << verify.out;
}

// A way out fits only the field it was found for: after an edit a write
// stores the level without one, and V searches again.
TEST_F(Winnable, AnEditAfterTheSearchForgetsTheWayOut)
{
    enter(250);
    std::string script;
    long frame = 0;
    paint_small_level(&script, &frame);
    run(script + press(frame + 1, KEY_v), 0);
    search_frames(60 * 100);
    ASSERT_FALSE(way_out_record().empty()) << top_line();
    run(hold(0, KEY_F2) + click(2, 1, cx(10), cy(8)));   // a brick painted
    EXPECT_TRUE(way_out_record().empty());
    run(press(0, KEY_w));
    EXPECT_EQ(top_line(), shown("level saved"));
    const ParsedArchive parsed = parse_archive(read_file(archive_path));
    ASSERT_GE(parsed.index.size(), size_t(movie_record(250) + 1));
    EXPECT_EQ(parsed.index[size_t(movie_record(250))].length, 0u);
    run(press(0, KEY_v), 0);
    EXPECT_TRUE(winnable_search_running(session)) << "a new search, not the old way";
    run(press(0, KEY_ESCAPE));
}

// The sealed chest: no way out within the configured budget; Escape stops a
// running search at once and does not leave the editor; a field the rules
// cannot play gets the validation rule's message.
TEST_F(Winnable, NoWayOutStoppedSearchesAndUnplayableFields)
{
    set_budget(1);
    enter(1);
    load_sealed_chest_level();
    const PlayGrid sealed = level_editor.grid;
    run(press(0, KEY_v), 0);
    const int64_t start = processor_time_ns();
    std::string header;
    search_frames(100 * 50, 3, &header);
    EXPECT_TRUE(std::regex_match(header, std::regex("LEVEL OOO1  WINNABLE\\? [1-9][O1-9]* STATES, O\\.[O1-9] OF 1 "
                                                    "SECS  ESC STOPS")))
        << header;
    // The search's budget is processor time, spent in this process.
    const double took = double(processor_time_ns() - start) / 1e9;
    EXPECT_TRUE(std::regex_match(top_line(), std::regex("NO WAY OUT FOUND IN [O1]\\.[O1-9] SECS"))) << top_line();
    EXPECT_GT(took, 0.9);
    const std::string answer = top_line();
    run("# the answer stays longer than other messages\n", MESSAGE_FRAMES + 10);
    EXPECT_EQ(top_line(), answer);
    EXPECT_EQ(level_editor.grid, sealed);
    EXPECT_TRUE(level_editor.modified);
    EXPECT_TRUE(way_out_record().empty());

    set_budget(60);
    run(press(0, KEY_v) + press(10, KEY_ESCAPE));
    EXPECT_FALSE(winnable_search_running(session));
    EXPECT_TRUE(std::regex_match(top_line(), std::regex("SEARCH STOPPED: NO WAY OUT FOUND IN O\\.[O1-9] SECS")))
        << top_line();
    run("# more frames\n", 5);
    EXPECT_EQ(session.mode, level_editor_mode) << "the Escape that stops the search stays in the editor";
    EXPECT_EQ(level_editor.grid, sealed);

    fill_play_field(level_editor.grid, TILE_EMPTY);
    run(press(0, KEY_v));
    EXPECT_FALSE(winnable_search_running(session));
    EXPECT_EQ(top_line(), shown("level must have exactly 1 player"));
}

// While the search runs the editor's screen is the editor's: the field and
// the palette as they were (only the top line changes), no sprite drawn.
TEST_F(Winnable, TheScreenStaysTheEditorsWhileTheSearchRuns)
{
    set_budget(1);
    enter(1);
    load_sealed_chest_level();
    run("# the field drawn\n");
    const std::vector<uint8_t> before = screen;
    run(press(0, KEY_v), 0);
    for (int i = 0; i < 20; i++)
        ASSERT_EQ(run_frame(session), 0);
    ASSERT_TRUE(winnable_search_running(session));
    for (int y = 40; y < 480; y++)
        for (int x = 0; x < 640; x++)
            ASSERT_EQ(screen[size_t(y * 640 + x)], before[size_t(y * 640 + x)]) << x << "," << y;
    run(press(0, KEY_ESCAPE));
}

// The per-frame slice keeps the editor at the frame rate: no frame of the
// search spends more processor time than a frame has (20 ms at fifty a
// second; a busy machine only slows the clock between them), and the search
// goes on over the frames instead of running whole in one.
TEST_F(Winnable, TheSearchKeepsTheEditorAtFiftyFramesASecond)
{
    set_budget(60);
    enter(1);
    load_sealed_chest_level();
    auto frame_cost = [] {
        const int64_t start = processor_time_ns();
        EXPECT_EQ(run_frame(session), 0);
        return double(processor_time_ns() - start) / 1e9;
    };
    double idle_longest = 0, longest = 0;
    run("# frames measured from here\n", 0);
    for (int i = 0; i < 50; i++)
        idle_longest = std::max(idle_longest, frame_cost());
    run(press(0, KEY_v), 0);
    for (int i = 0; i < 100; i++)
        longest = std::max(longest, frame_cost());
    ASSERT_TRUE(winnable_search_running(session));
    printf("the editor's longest frame: %.1f ms of processor time idle, %.1f while searching\n",
           idle_longest * 1000, longest * 1000);
    EXPECT_LT(longest, 0.02);
    run(press(0, KEY_ESCAPE));
}

} // namespace
