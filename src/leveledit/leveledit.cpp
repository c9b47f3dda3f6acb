#include "leveledit/leveledit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/modal.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/modes.h"
#include "view/view.h"
#include "level/archive.h"
#include "level/stored.h"
#include "picture/artwork.h"
#include "sound/sound.h"
#include "leveledit/marks.h"
#include "leveledit/validate.h"
#include "leveledit/winnable.h"

LevelEditor level_editor;
int (*level_editor_write_records)(const RecordWrite* writes, int count) = write_records;

namespace {

constexpr int PALETTE_LEFT = 128, PALETTE_TOP = 450, PALETTE_STEP = 32;
// The top line (the header or a message), the strip of the top status line.
constexpr int TOP_LINE_X = 32, TOP_LINE_Y = 24;
constexpr int PALETTE_LABEL_X = 30, PALETTE_LABEL_Y = 457;


void copy_field_out(std::array<uint8_t, FIELD_CELLS>& field)
{
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            field[size_t(r * FIELD_COLUMNS + c)] = level_editor.grid[size_t(field_cell(c, r))];
}

void clear_undo()
{
    level_editor.undo.first = 0;
    level_editor.undo.count = 0;
    level_editor.undo.stroke_open = false;
}

void push_undo_step()
{
    if (level_editor.undo.count == UNDO_DEPTH) {
        level_editor.undo.first = (level_editor.undo.first + 1) % UNDO_DEPTH;
        level_editor.undo.count--;
    }
    UndoStep& step = level_editor.undo.steps[size_t((level_editor.undo.first + level_editor.undo.count) % UNDO_DEPTH)];
    copy_field_out(step.field);
    step.modified = level_editor.modified;
    level_editor.undo.count++;
}

void undo_last_step()
{
    level_editor.undo.stroke_open = false;
    if (level_editor.undo.count == 0) {
        show_editor_message("nothing to undo");
        return;
    }
    level_editor.undo.count--;
    const UndoStep& step = level_editor.undo.steps[size_t((level_editor.undo.first + level_editor.undo.count) % UNDO_DEPTH)];
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            level_editor.grid[size_t(field_cell(c, r))] = step.field[size_t(r * FIELD_COLUMNS + c)];
    level_editor.modified = step.modified;
    level_editor.field_redraws = 2;
}

// After a write the stored steps count as modified exactly when they differ
// from the level now in the archive.
void rebase_undo_on_written_field()
{
    std::array<uint8_t, FIELD_CELLS> written;
    copy_field_out(written);
    for (int i = 0; i < level_editor.undo.count; i++) {
        UndoStep& step = level_editor.undo.steps[size_t((level_editor.undo.first + i) % UNDO_DEPTH)];
        step.modified = step.field != written;
    }
}

void end_digit_entry() { level_editor.digit_entry = false; }

// The cell's editor mark over the picture the game drew for it.
void mark_grid_cell(int cell)
{
    draw_editor_mark(cell_x(cell), cell_y(cell), level_editor.grid[size_t(cell)]);
}

// The whole field as the game draws it, then the editor's marks.
void draw_edited_field()
{
    draw_play_field(level_editor.grid);
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            mark_grid_cell(field_cell(c, r));
}

void draw_slot_outline(int slot, int colour)
{
    draw_square_outline(PALETTE_LEFT + PALETTE_STEP * slot, PALETTE_TOP, 25, colour);
    request_full_update();
}

void choose_tile(int slot)
{
    if (slot == level_editor.current_tile)
        return;
    draw_slot_outline(level_editor.current_tile, COLOUR_BLACK);
    level_editor.current_tile = slot;
    draw_slot_outline(slot, COLOUR_WHITE);
}

// The session's level in the editor's grid, or an empty field when its
// record is missing or damaged. Every load starts a new undo history.
void load_edited_level(const Session& session)
{
    if (!unpack_level(session.level, level_editor.grid)) {
        fill_play_field(level_editor.grid, TILE_EMPTY);
        // A level not yet written starts empty; an archive that cannot be
        // read at all (gone, damaged) is said so.
        uint8_t probe[1];
        if (read_record(level_record(1), probe, sizeof probe) < 0) {
            log_message("Level %d cannot be read: %s cannot be read\n", session.level, archive_path);
            show_editor_message("the archive cannot be read: the field starts empty");
        }
    }
    level_editor.modified = false;
    level_editor.field_redraws = 2;
    clear_undo();
}

void set_level(Session& session, int level)
{
    if (level == session.level)
        return;
    session.level = level;
    level_editor.header_countdown = 1;
}

void paint(int x, int y)
{
    const int code = (level_editor.press_buttons & 1) ? level_editor.current_tile : TILE_EMPTY;
    const int cell = field_cell((x - FIELD_X) / SQUARE_SIZE, (y - FIELD_Y) / SQUARE_SIZE);
    if (level_editor.grid[size_t(cell)] == code)
        return;
    if (!level_editor.undo.stroke_open) {
        push_undo_step();
        level_editor.undo.stroke_open = true;
    }
    level_editor.grid[size_t(cell)] = uint8_t(code);
    // A cell's picture depends on its upper and left neighbours' shadows.
    for (int neighbour : {cell, cell + 1, cell + GRID_COLUMNS, cell + GRID_COLUMNS + 1}) {
        redraw_grid_cell(level_editor.grid, neighbour);
        mark_grid_cell(neighbour);
    }
    level_editor.modified = true;
}

void write_level(Session& session)
{
    end_digit_entry();
    if (const char* message = validate_level(level_editor.grid, key_down(KEY_RALT))) {
        show_editor_message(message);
        return;
    }
    const int n = session.level;
    if (n == 0) {
        show_editor_message("cannot write level 0");
        return;
    }
    if (!pressed_with_alt(KEY_w)) {
        // An unreadable archive does not stop the write.
        if (record_holds(level_record(n), 1)) {
            show_editor_message("use alt-w to overwrite existing level");
            return;
        }
    }
    LevelRecord record;
    pack_record(level_editor.grid, record.data());
    // The level and its stored best play go into the archive in one rewrite:
    // both change or neither. The old best play belongs to the old level and
    // ends; a way out the search found for this very field takes its place.
    const std::vector<uint8_t> way_out = way_out_record();
    const RecordWrite writes[2] = {
        {level_record(n), record.data(), LEVEL_RECORD_SIZE},
        {movie_record(n), way_out.empty() ? nullptr : way_out.data(), int(way_out.size())}};
    const int result = level_editor_write_records(writes, 2);
    if (result == ARCHIVE_NOT_SYNCED) {
        // In the archive, but a crash now may still bring back the old level.
        char text[EDITOR_LINE_COLUMNS + 1];
        snprintf(text, sizeof text, "level saved, not yet safe on disk: %s", archive_failure_reason(result));
        show_editor_message(text);
        level_editor.modified = false;
        rebase_undo_on_written_field();
        return;
    }
    if (result != ARCHIVE_OK) {
        char text[EDITOR_LINE_COLUMNS + 1];
        snprintf(text, sizeof text, "could not write level, archive unchanged: %s", archive_failure_reason(result));
        show_editor_message(text);
        return;
    }
    show_editor_message(way_out.empty() ? "level saved" : "level saved with its way out");
    level_editor.modified = false;
    rebase_undo_on_written_field();
}

void leave_level_editor(Session& session)
{
    end_digit_entry();
    if (session.level == 0)
        session.level = 1;
    // Play starts from the archive's version; unsaved edits (left with Alt)
    // are dropped.
    bool readable = unpack_level(session.level, session.grid);
    if (!readable) {
        session.level = 1;
        readable = unpack_level(session.level, session.grid);
        if (!readable)
            fill_play_field(session.grid, TILE_EMPTY);   // no level 1 either
    }
    restore_sprite_backgrounds();
    clear_screen();
    session.mode = play_handler;
    start_play(session, session.grid);
    if (!readable) {
        log_message("Level %d cannot be read from %s\n", session.level, archive_path);
        show_message("NO LEVEL 0001", 180);
        pass_notice("NO LEVEL 0001");
    }
}

void type_digit(Session& session, int d)
{
    if (d == 0 && !level_editor.digit_entry)
        return;
    int number = level_editor.digit_entry ? session.level * 10 + d : d;
    level_editor.digit_entry = true;
    if (number > MAX_LEVEL) {
        number = 1;
        end_digit_entry();
    }
    session.level = number;
    level_editor.header_countdown = 1;
}

int pressed_digit()
{
    for (int d = 0; d <= 9; d++)
        if (key_pressed(KEY_KP0 + d) || key_pressed(KEY_0 + d))
            return d;
    return -1;
}

} // namespace

void init_level_editor()
{
    level_editor.current_tile = TILE_BRICK;
    level_editor.message_pending = false;
    level_editor.message_frames = MESSAGE_FRAMES;
    level_editor.header_countdown = 0;
    level_editor.modified = false;
    level_editor.digit_entry = false;
    level_editor.field_redraws = 0;
    clear_undo();
    forget_way_out();
}

EditorHitResult level_editor_hit(int x, int y)
{
    if (x >= FIELD_X && x < FIELD_X + SQUARE_SIZE * FIELD_COLUMNS && y >= FIELD_Y &&
        y < FIELD_Y + SQUARE_SIZE * FIELD_ROWS)
        return {HIT_FIELD, -1};
    if (y >= PALETTE_TOP && y < PALETTE_TOP + SQUARE_SIZE && x >= PALETTE_LEFT &&
        (x - PALETTE_LEFT) / PALETTE_STEP < PALETTE_SLOTS && (x - PALETTE_LEFT) % PALETTE_STEP < SQUARE_SIZE)
        return {HIT_PALETTE, (x - PALETTE_LEFT) / PALETTE_STEP};
    return {HIT_NONE, -1};
}

void show_editor_message(const char* text, int frames)
{
    const int length = int(strnlen(text, EDITOR_LINE_COLUMNS));
    const int left = (EDITOR_LINE_COLUMNS - length) / 2;
    char* line = level_editor.message_line.data();
    memset(line, ' ', EDITOR_LINE_COLUMNS);
    memcpy(line + left, text, size_t(length));
    line[EDITOR_LINE_COLUMNS] = 0;
    level_editor.message_pending = true;
    level_editor.message_frames = frames;
}

void draw_editor_top_line(const char* text)
{
    char line[EDITOR_LINE_COLUMNS + 1];
    snprintf(line, sizeof line, "%s", text);
    const size_t length = strlen(line);
    memset(line + length, ' ', EDITOR_LINE_COLUMNS - length);
    line[EDITOR_LINE_COLUMNS] = 0;
    draw_text(line, TOP_LINE_X, TOP_LINE_Y, screen_palette.nearest_white);
    top_status.changed = true;
}

void draw_editor_header(const Session& session)
{
    char line[EDITOR_LINE_COLUMNS + 1];
    snprintf(line, sizeof line, "LEVEL %04d  L=LOAD W=WRITE ESC=EXIT 0-9 CHANGE LEVEL KP +- UP/DN LEVEL",
             session.level);
    draw_editor_top_line(line);
    draw_text("F1 - F12 ->", PALETTE_LABEL_X, PALETTE_LABEL_Y, screen_palette.nearest_white);
}

void fill_play_field(PlayGrid& grid, int code)
{
    grid.fill(TILE_BORDER);
    for (int r = 0; r < FIELD_ROWS; r++)
        for (int c = 0; c < FIELD_COLUMNS; c++)
            grid[size_t(field_cell(c, r))] = uint8_t(code);
}

int undo_steps() { return level_editor.undo.count; }

void show_editor_screen(Session& session)
{
    clear_screen();
    draw_edited_field();
    draw_editor_header(session);
    for (int slot = 0; slot < PALETTE_SLOTS; slot++) {
        const int x = PALETTE_LEFT + 1 + PALETTE_STEP * slot;
        draw_cell(x, PALETTE_TOP + 1, tile_square(slot, 0));
        draw_editor_mark(x, PALETTE_TOP + 1, slot);
    }
    draw_slot_outline(level_editor.current_tile, COLOUR_WHITE);
    update_whole_screen();
    level_editor.stale_function_keys = 0;
    for (int i = 0; i < PALETTE_SLOTS; i++)
        if (key_down(KEY_F1 + i))
            level_editor.stale_function_keys |= 1u << i;
    session.mode = level_editor_mode;
    show_pointer(true);
    level_editor.header_countdown = 0;
    level_editor.field_redraws = 2;
}

namespace {

// T: the field as painted is played by the game's rules, nothing written;
// the editor's grid and level stay as they are.
void start_test_play(Session& session)
{
    end_digit_entry();
    level_editor.undo.stroke_open = false;
    // The game's rules count on what a written level holds (one hero); what
    // Right Alt may write, test-play plays.
    if (const char* message = validate_level(level_editor.grid, true)) {
        show_editor_message(message);
        return;
    }
    restore_sprite_backgrounds();
    clear_screen();
    session.mode = test_play_handler;
    start_play(session, level_editor.grid);
    // The level's stored best belongs to the stored level, not to a painted one.
    if (level_editor.modified) {
        session.best.score = session.best.ticks = session.best.seconds = 0;
        mark_top_line_stale(session);
    }
}

// The end of a won test-play: the play's score and time, as the level
// summary shows them, and nothing stored.
void show_test_play_summary(const Session& session)
{
    const GameState& g = session.running.game;
    clear_screen();
    char line[EDITOR_LINE_COLUMNS + 1];
    text_y = 160;
    print_centred("YOU PASSED THE LEVEL!");
    print_centred("-----------");
    snprintf(line, sizeof line, "YOUR SCORE     %05d", g.score);
    print_centred(line);
    snprintf(line, sizeof line, "YOUR TIME %04d.%02d SECS.", g.seconds, g.play_ticks % 60);
    print_centred(line);
    print_centred("-----------");
    print_centred("A TEST PLAY: NOTHING IS STORED");
    text_y = 444;
    print_centred("PRESS SPACE FOR THE EDITOR");
    update_whole_screen();
}

bool test_play_summary_step(Session&, ModalScreen&, bool quit)
{
    if (quit)
        return true;   // the frame loop ends the program
    if (key_pressed(KEY_SPACE) || key_pressed(KEY_ESCAPE) || key_pressed(KEY_RETURN))
        return true;
    if (alt_x_pressed()) {
        quit_requested = true;
        return true;
    }
    return false;
}

// Back from test-play: the editor as it was, with the field as painted.
void back_to_editor(Session& session, int) { show_editor_screen(session); }

// won: the hero climbed out, the summary is shown first.
void end_test_play(Session& session, int won)
{
    leave_game(session);
    if (won) {
        show_test_play_summary(session);
        open_modal_screen(ModalKind::TEST_PLAY_SUMMARY, test_play_summary_step, back_to_editor, 0);
        return;
    }
    back_to_editor(session, 0);
}

} // namespace

void enter_level_editor(Session& session)
{
    if (session.level == 0)
        session.level = 1;
    restore_sprite_backgrounds();
    load_edited_level(session);
    show_editor_screen(session);
}

void test_play_handler(Session& session)
{
    const GameState& g = session.running.game;
    if (key_pressed(KEY_ESCAPE) || key_pressed(KEY_q) || key_pressed(KEY_k) || key_pressed(KEY_LSHIFT)) {
        end_test_play(session, false);
    } else if (g.exit_count != 0) {
        stop_all_sounds();
        play_sound(SOUND_VICTORY);
        wait_sounds_then(session, end_test_play, 1);
    } else if (g.death_count != 0) {
        // Caught: the level starts again, as in play.
        stop_all_sounds();
        play_sound(SOUND_DEATH);
        wait_sounds_then(session, [](Session& s, int) { restart_level(s); }, 0);
    }
}

void level_editor_frame(const Session& session)
{
    if (session.mode != level_editor_mode)
        return;
    LevelEditor& ed = level_editor;
    if (ed.message_pending) {
        draw_text(ed.message_line.data(), TOP_LINE_X, TOP_LINE_Y, screen_palette.nearest_white);
        top_status.changed = true;
        ed.message_pending = false;
        ed.header_countdown = ed.message_frames;
    }
    if (ed.header_countdown != 0 && --ed.header_countdown == 0)
        draw_editor_header(session);
    if (pressed_with_alt(KEY_f)) {
        end_digit_entry();
        level_editor.undo.stroke_open = false;
        PlayGrid filled;
        fill_play_field(filled, ed.current_tile);
        if (filled != level_editor.grid) {   // a fill is undone like a stroke
            push_undo_step();
            level_editor.grid = filled;
        }
        ed.field_redraws = 2;
    }
    if (pressed_with_ctrl(KEY_z))
        undo_last_step();
    if (ed.field_redraws != 0) {
        ed.field_redraws--;
        draw_edited_field();
        update_whole_screen();
    }
    const PointerState& p = pointer_state;
    const EditorHitResult hit = level_editor_hit(p.pointer_x, p.pointer_y);
    if (p.pointer_clicked != 0) {
        end_digit_entry();
        level_editor.undo.stroke_open = false;   // every press starts a new stroke
        ed.press_x = p.pointer_x;
        ed.press_y = p.pointer_y;
        ed.press_buttons = p.pointer_clicked;
        ed.press_region = hit.region;
        if (hit.region == HIT_PALETTE)
            choose_tile(hit.slot);
    }
    if (p.pointer_held != 0) {
        end_digit_entry();
        if (ed.press_region == HIT_FIELD && hit.region == HIT_FIELD)
            paint(p.pointer_x, p.pointer_y);
    } else {
        level_editor.undo.stroke_open = false;
    }
    for (int i = 0; i < PALETTE_SLOTS; i++) {
        if (!key_down(KEY_F1 + i)) {
            level_editor.stale_function_keys &= ~(1u << i);
        } else if (!(level_editor.stale_function_keys & (1u << i))) {
            end_digit_entry();
            choose_tile(i);
        }
    }
}

namespace {

// The arrows, Page Up and Down and the digits choose the level number.
void level_number_keys(Session& session)
{
    if (key_pressed(KEY_LEFT)) {
        end_digit_entry();
        if (session.level > 1)
            set_level(session, session.level - 1);
    } else if (key_pressed(KEY_RIGHT)) {
        end_digit_entry();
        if (session.level < MAX_LEVEL)
            set_level(session, session.level + 1);
    } else if (key_pressed(KEY_UP)) {
        end_digit_entry();
        if (session.level < MAX_LEVEL - 9)
            set_level(session, session.level + 10);
    } else if (key_pressed(KEY_DOWN)) {
        end_digit_entry();
        if (session.level > 10)
            set_level(session, session.level - 10);
    }
    if (key_pressed(KEY_PAGEUP)) {
        end_digit_entry();
        if (session.level < MAX_LEVEL - 99)
            set_level(session, session.level + 100);
    }
    if (key_pressed(KEY_PAGEDOWN)) {
        end_digit_entry();
        if (session.level > 100)
            set_level(session, session.level - 100);
    }
    if (const int d = pressed_digit(); d >= 0 && !level_editor.modified)
        type_digit(session, d);
}

// Plus and minus step to a level and load it; L or Enter loads the chosen one.
void load_keys(Session& session)
{
    const LevelEditor& ed = level_editor;
    if (key_pressed(KEY_KP_PLUS) || key_pressed(KEY_EQUALS)) {
        if (ed.modified) {
            show_editor_message("Save or load before changing levels");
        } else if (session.level < MAX_LEVEL) {
            set_level(session, session.level + 1);
            load_edited_level(session);
        }
    } else if (key_pressed(KEY_KP_MINUS) || key_pressed(KEY_MINUS)) {
        if (ed.modified) {
            show_editor_message("Save or load before changing levels");
        } else {
            end_digit_entry();
            if (session.level > 1) {
                set_level(session, session.level - 1);
                load_edited_level(session);
            }
        }
    } else if (key_pressed(KEY_l) || key_pressed(KEY_KP_ENTER) || key_pressed(KEY_RETURN)) {
        end_digit_entry();
        if (session.level == 0)
            session.level = 1;
        const bool alt = pressed_with_alt(KEY_l) || pressed_with_alt(KEY_KP_ENTER) || pressed_with_alt(KEY_RETURN);
        if (ed.modified && !alt) {
            show_editor_message("use alt-l to load over modified level");
        } else {
            load_edited_level(session);
            draw_editor_header(session);
        }
    }
}

} // namespace

void level_editor_mode(Session& session)
{
    if (key_pressed(KEY_ESCAPE) || key_pressed(KEY_SPACE)) {
        // Leaving plays the stored level: painting not yet written is lost,
        // so it takes Alt, as loading over it does.
        const bool alt = pressed_with_alt(KEY_ESCAPE) || pressed_with_alt(KEY_SPACE);
        if (level_editor.modified && !alt) {
            end_digit_entry();
            show_editor_message("use alt-esc to leave modified level");
            return;
        }
        leave_level_editor(session);
        return;
    }
    level_number_keys(session);
    load_keys(session);
    if (key_pressed(KEY_w)) {
        write_level(session);
    } else if (key_pressed(KEY_t)) {
        start_test_play(session);
    } else if (key_pressed(KEY_v)) {
        end_digit_entry();
        level_editor.undo.stroke_open = false;
        winnable_key(session);
    }
}
