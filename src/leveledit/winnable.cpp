#include "leveledit/winnable.h"

#include <cstdio>
#include <cstring>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "level/archive.h"
#include "level/grid.h"
#include "level/movie.h"
#include "leveledit/leveledit.h"
#include "leveledit/validate.h"
#include "solver/solver.h"
#include "sound/sound.h"
#include "view/view.h"

namespace {

// The search's movies carry this name, as those of vbltool solve do.
constexpr char WAY_OUT_NAME[] = "VORBIX";
// A demonstration whose movie has run out without the hero climbing out
// ends after one more second.
constexpr int RUN_OUT_FRAMES = 50;


// Seconds as the messages give them: tenths below a minute.
void format_seconds(char* out, size_t size, double seconds)
{
    if (seconds < 60)
        snprintf(out, size, "%.1f", seconds);
    else
        snprintf(out, size, "%.0f", seconds);
}

void draw_progress_line(Session& session)
{
    const SolveResult& r = solve_result(*level_editor.winnable.search);
    char seconds[16];
    format_seconds(seconds, sizeof seconds, r.seconds);
    char line[128];
    // After the first way out the search goes on for a better one.
    const char* question = r.status == SOLVE_FOUND ? "YES! BETTER WAY?" : "WINNABLE?";
    const long long states = r.expanded;
    int length = snprintf(line, sizeof line, "LEVEL %04d  %s %lld STATES, %s OF %d SECS  ESC STOPS", session.level,
                          question, states, seconds, solve_seconds);
    // A long budget leaves out the level number rather than ESC STOPS.
    if (length > EDITOR_LINE_COLUMNS)
        snprintf(line, sizeof line, "%s %lld STATES, %s OF %d SECS  ESC STOPS", question, states, seconds,
                 solve_seconds);
    draw_editor_top_line(line);
}

// The search's answer on the message line, the editor's mode again.
void end_search(Session& session, bool stopped)
{
    const SolveResult& r = solve_result(*level_editor.winnable.search);
    char seconds[16];
    char text[EDITOR_LINE_COLUMNS + 1];
    if (r.status == SOLVE_FOUND) {
        level_editor.winnable.way_record = movie_record_of(r.inputs, r.score, 0, WAY_OUT_NAME);
        level_editor.winnable.way_found = !level_editor.winnable.way_record.empty();
        level_editor.winnable.way_field = level_editor.grid;
        format_seconds(seconds, sizeof seconds, r.ticks / 60.0);
        if (level_editor.winnable.way_found)
            snprintf(text, sizeof text, "WINNABLE: WAY OUT IN %s SECS OF PLAY - V AGAIN SHOWS IT", seconds);
        else
            snprintf(text, sizeof text, "WINNABLE IN %s SECS, BUT THE WAY IS TOO LONG FOR A MOVIE", seconds);
    } else if (r.status == SOLVE_REFUSED) {
        snprintf(text, sizeof text, "%s", r.problem.c_str());
    } else {
        format_seconds(seconds, sizeof seconds, r.seconds);
        snprintf(text, sizeof text, stopped ? "SEARCH STOPPED: NO WAY OUT FOUND IN %s SECS"
                                            : "NO WAY OUT FOUND IN %s SECS",
                 seconds);
    }
    // The log keeps the search's figures for the designer.
    const long long states = r.expanded;
    if (r.status == SOLVE_FOUND)
        log_message("Level %d in the editor: winnable, a way out of %d ticks scoring %d (%lld states, %.1f seconds)\n",
                    session.level, r.ticks, r.score, states, r.seconds);
    else if (r.status == SOLVE_NOT_FOUND)
        log_message("Level %d in the editor: %s (%lld states, %.1f seconds)\n", session.level,
                    stopped ? "search stopped, no way out found" : "no way out found", states, r.seconds);
    level_editor.winnable.search.reset();
    show_editor_message(text, ANSWER_FRAMES);
    // The header as it is without a message; the message goes over it.
    draw_editor_header(session);
    session.mode = level_editor_mode;
}

void start_search(Session& session)
{
    forget_way_out();
    // The game's rules count on what a written level holds (one hero); what
    // Right Alt may write, the search searches.
    if (const char* message = validate_level(level_editor.grid, true)) {
        show_editor_message(message);
        return;
    }
    SolveOptions options;
    options.budget_seconds = solve_seconds;
    // The search runs the rules on level states of its own: the editor's
    // grid, screen and sounds stay as they are.
    level_editor.winnable.search = solve_begin(level_editor.grid, options);
    session.mode = winnable_search_handler;
    draw_progress_line(session);
}

// V again after a success: the way out played on the field by the game's
// rules and view, from the start the search took. It runs on a level state
// of its own: the editor's grid and level stay as they are.
void start_demonstration(Session& session)
{
    level_editor.winnable.run_out_frames = 0;
    restore_sprite_backgrounds();
    clear_screen();
    session.mode = way_out_handler;
    session.game_active = true;
    const std::vector<uint8_t>& record = level_editor.winnable.way_record;
    start_running_level_seeded(session, level_editor.grid, record[MOVIE_SEED_OFFSET]);
    session.recording = false;
    // The movie buffer as a demonstration of a stored movie has it.
    memcpy(session.movie.bytes.data(), record.data(), record.size());
    session.movie.length = int32_t(record.size());
    session.movie.cursor = MOVIE_HEADER_SIZE;
    session.movie.recording_stopped = false;
    session.best.score = movie_score(record.data());
    session.best.ticks = movie_ticks(record.data(), int(record.size()));
    session.best.seconds = session.best.ticks / 60;
    memcpy(session.best.name, record.data() + 4, 16);
    session.best.name[16] = 0;
    mark_top_line_stale(session);
    show_level(session);
    // Below the field: what ends it, where a demonstration names Space.
    text_y = 444;
    print_centred("                          ");
    text_y = 444;
    print_centred("THE WAY OUT - ESC ENDS IT");
    update_whole_screen();
}

void end_demonstration(Session& session, const char* message)
{
    leave_game(session);
    show_editor_screen(session);
    show_editor_message(message);
}

} // namespace

void winnable_key(Session& session)
{
    if (!way_out_record().empty())
        start_demonstration(session);
    else
        start_search(session);
}

void winnable_search_handler(Session& session)
{
    if (key_pressed(KEY_ESCAPE)) {
        end_search(session, true);
        return;
    }
    const bool done = solve_slice(*level_editor.winnable.search, SEARCH_SLICE_SECONDS);
    if (done) {
        end_search(session, false);
        return;
    }
    draw_progress_line(session);
}

void way_out_handler(Session& session)
{
    const GameState& g = session.running.game;
    if (key_pressed(KEY_ESCAPE) || key_pressed(KEY_q) || key_pressed(KEY_k) || key_pressed(KEY_LSHIFT)) {
        end_demonstration(session, "W STORES THE WAY OUT WITH THE LEVEL");
    } else if (g.exit_count != 0) {
        stop_all_sounds();
        play_sound(SOUND_VICTORY);
        wait_sounds_then(session, [](Session& s, int) { end_demonstration(s, "THE WAY OUT - W STORES IT WITH THE LEVEL"); }, 0);
    } else if (g.death_count != 0 ||
               (session.movie.cursor + 1 >= session.movie.length && ++level_editor.winnable.run_out_frames > RUN_OUT_FRAMES)) {
        // The rules did not take the hero out as in the search: said so,
        // and the way is not stored.
        level_editor.winnable.way_found = false;
        level_editor.winnable.way_record.clear();
        end_demonstration(session, "THE WAY OUT DID NOT PLAY AS FOUND");
    }
}

std::vector<uint8_t> way_out_record()
{
    if (!level_editor.winnable.way_found || level_editor.winnable.way_field != level_editor.grid)
        return {};
    return level_editor.winnable.way_record;
}

void forget_way_out()
{
    level_editor.winnable.search.reset();
    level_editor.winnable.way_found = false;
    level_editor.winnable.way_record.clear();
}

bool winnable_search_running(const Session& session) { return session.mode == winnable_search_handler; }
