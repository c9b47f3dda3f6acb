// The end of a level: the summary with the store of a better play, the next
// level, a restart and leaving the game.
#include <cstdarg>
#include <cstdio>

#include "core/flags.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/modal.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "game/game.h"
#include "level/archive.h"
#include "view/view.h"

namespace {

const char* status_word(int status)
{
    return status == 1 ? "YES\n" : (status == -1 ? "N/A\n" : " NO\n");
}

void print_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void print_line(const char* format, ...)
{
    char text[96];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    print_centred(text);
}

// A play that could not be stored is said so on the summary, in one line
// with the reason (the log has the details).
void report_store(int result)
{
    if (result == ARCHIVE_OK)
        return;
    char text[96];
    snprintf(text, sizeof text, result == ARCHIVE_NOT_SYNCED ? "RESULT MAY BE LOST: %s" : "RESULT NOT STORED: %s",
             archive_failure_reason(result));
    print_centred(text);
    pass_notice(text);
}

void show_summary_line(int y, const char* text)
{
    text_y = y;
    print_centred(text);
    update_whole_screen();
}

void show_summary(Session& session)
{
    const GameState& g = session.running.game;
    const BestPlay& best = session.best;
    clear_screen();
    text_y = 130;
    print_centred("YOU PASSED THE LEVEL!");
    print_line("HIDDEN MONSTER - %s", status_word(g.hidden_status));
    print_line("FLASHING FIRST - %s", status_word(g.flash_status));
    print_centred("-----------");
    print_line("TIME BONUS     %03d00", g.time_bonus);
    if (!(g.penalty_flags & PENALTY_TRAPPED))
        print_centred("NO TRAPPING    20000\n");
    else if (!(g.penalty_flags & PENALTY_CRUSHED))
        print_centred("NO KILLING     10000\n");
    print_centred("-----------");
    print_line("YOUR SCORE     %05d", g.score);
    print_line("BEST SCORE     %05d", best.score);
    print_centred("-----------");
    print_line("YOUR TIME %04d.%02d SECS.", g.seconds, g.play_ticks % 60);
    print_line("BEST TIME %04d.%02d SECS.", best.seconds, best.ticks % 60);
    if (play_is_better(g, best.score, best.ticks)) {
        print_centred("");
        if (g.score == best.score)
            print_line("SCORE TIED WITH A BETTER TIME ON LEVEL %04d!", session.level);
        else
            print_line("YOU JUST GOT THE HIGH SCORE FOR LEVEL %04d!!!", session.level);
        report_store(save_movie_record(session));
    }
    text_y = 444;
    print_centred("PRESS SPACE FOR NEXT LEVEL");
    update_whole_screen();
}

// The summary's keys, a batch at a time: Space or Escape goes on, F12
// stores the play, Print Screen takes a capture, Alt+X ends the program
// after the summary (a quit request likewise).
bool summary_step(Session& session, ModalScreen&, bool quit)
{
    bool over = quit;
    if (!over && key_pressed(KEY_F12)) {
        // Stores this play even if it is not better; a failure stays on
        // the screen until the player goes on.
        const int result = save_movie_record(session);
        if (result == ARCHIVE_OK) {
            over = true;
        } else {
            text_y = 380;
            report_store(result);
            update_whole_screen();
        }
    }
    if (!over && (key_pressed(KEY_SPACE) || key_pressed(KEY_ESCAPE)))
        over = true;
    // A capture of the summary, as Print Screen gives one during play.
    if (!over && (key_pressed(KEY_SYSREQ) || key_pressed(KEY_PRINT)) && screenshot_failed(take_screenshot()))
        show_summary_line(412, SCREENSHOT_FAILED);
    if (!over && alt_x_pressed()) {
        quit_requested = true;
        over = true;
    }
    if (over)
        clear_screen();
    return over;
}

// The level the step of the ended level goes to (step_level: the next one,
// or level 1, or the built-in level), started and drawn.
void next_level(Session& session, int how)
{
    step_level(session, LevelStep(how));
    start_running_level(session, session.grid);
    show_level(session);
}

} // namespace

void finish_level(Session& session, int show, LevelStep how)
{
    release_game_sprites(session);
    if (show) {
        show_summary(session);
        open_modal_screen(ModalKind::SUMMARY, summary_step, next_level, how);
        return;
    }
    next_level(session, how);
}
