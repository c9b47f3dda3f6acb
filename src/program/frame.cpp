#include "program/frame.h"

#include <algorithm>

#include "core/input.h"
#include "core/keys.h"
#include "core/modal.h"
#include "program/script.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "view/view.h"
#include "gfxedit/gfxedit.h"
#include "leveledit/leveledit.h"
#include "platform/timer.h"
#include "sound/sound.h"
#include "frontend/level_title.h"
#include "frontend/modes.h"

namespace {

// A screenshot that could not be written, told where the mode shows its
// messages: the editors' message lines, a line under the main menu, the
// message corner elsewhere.
void tell_screenshot_failure(const Session& session, const char* failure)
{
    if (!screenshot_failed(failure))
        return;
    if (session.mode == gfx_editor_mode) {
        show_gfx_message(SCREENSHOT_FAILED);
    } else if (session.mode == level_editor_mode) {
        show_editor_message(SCREENSHOT_FAILED);
    } else if (session.mode == main_menu_handler) {
        show_under_menu(SCREENSHOT_FAILED);
    } else {
        show_message(SCREENSHOT_FAILED, 180);
    }
}

// Where the frame loop stands between its steps.
struct FrameLoop {
    bool waiting;      // a frame has begun and waits for its tick or the pause's end
    bool exit_held;    // this batch's Alt+X was held back for unsaved artwork
    bool trace_owed;   // the frame put up a modal screen: traced when it is taken down
    bool ending;       // the program ends once the effects still playing have ended
    bool timer_installed;   // the frame tick runs
};
FrameLoop frame_loop;

} // namespace

void start_frame_timer()
{
    if (frame_loop.timer_installed)
        return;
    frame_loop.timer_installed = true;
    start_tick_timer(FRAME_PERIOD_MS);
}

void stop_frame_timer()
{
    if (!frame_loop.timer_installed)
        return;
    frame_loop.timer_installed = false;
    stop_tick_timer();
}

void run_frame_body(Session& session)
{
    pointer_state.pointer_held = (mouse_button_down(1) ? 1u : 0u) | (mouse_button_down(3) ? 2u : 0u);
    pointer_state.pointer_clicked = (mouse_button_clicked(1) ? 1u : 0u) | (mouse_button_clicked(3) ? 2u : 0u);
    pointer_state.pointer_x = std::clamp(mouse_x(), 12, 628);
    pointer_state.pointer_y = std::clamp(mouse_y(), 12, 468);

    restore_sprite_backgrounds();
    gfx_editor_frame(session);
    level_editor_frame(session);
    game_tick(session);
    if (session.game_active && top_line_stale(session))
        format_top_line(session);
    if (session.game_active)
        refresh_status_lines();
    show_level_title(session);
    update_sprite_poses(session);
    save_sprite_backgrounds();
    draw_sprites();
    present_frame();
    if (session.mode)
        session.mode(session);
    // Today's keyboards send Print Screen for the SysReq key.
    if (key_pressed(KEY_SYSREQ) || key_pressed(KEY_PRINT))
        tell_screenshot_failure(session, take_screenshot());
}

namespace {

// The program ends, after the effects still playing have ended.
LoopStep end_of_frames()
{
    frame_loop.waiting = false;
    if (!sounds_done()) {
        frame_loop.ending = true;
        return LoopStep::WAIT_TIME;
    }
    frame_loop.ending = false;
    return LoopStep::END;
}

// A step of a modal screen instead of a frame: no frame runs, the frame
// counter stands still (it seeds the next level), and the frame that put
// the screen up is traced once it is taken down.
LoopStep step_modal(Session& session)
{
    if (modal_screen.kind == ModalKind::SOUND_WAIT) {
        // Nothing is read while a sound ends: what comes meanwhile waits in
        // the queue for the screen or frame after it.
        step_modal_screen(session, false);
    } else {
        // A batch of events a step, as the screen's keys come.
        begin_input_frame();
        const bool quit = poll_events() != 0;
        // A quit request takes the screen down as leaving it would; the
        // next frame ends the program.
        if (quit)
            quit_requested = true;
        step_modal_screen(session, quit);
    }
    if (modal_screen_open())
        return modal_screen.kind == ModalKind::SOUND_WAIT ? LoopStep::WAIT_TIME : LoopStep::WAIT_EVENT;
    if (frame_loop.trace_owed) {
        frame_loop.trace_owed = false;
        trace_frame(session.mode, session.level);
    }
    return LoopStep::FRAME;
}

} // namespace

LoopStep step_frame(Session& session)
{
    queue_due_ticks();
    if (frame_loop.ending)
        return end_of_frames();
    if (modal_screen_open())
        return step_modal(session);
    if (!frame_loop.waiting) {
        frame_counter++;
        if (key_state.tick_pending >= 1)
            key_state.tick_pending = 0;   // the tick that let the last frame run
        begin_input_frame();
        frame_loop.waiting = true;
        frame_loop.exit_held = false;
    }
    // The passes of one frame's wait take their events into one batch, so
    // key presses and releases that come while it waits (and the pause
    // toggle itself) count for this frame.
    in_frame_wait = true;
    const int quit = poll_events();
    in_frame_wait = false;
    if (quit)
        return end_of_frames();
    if (quit_requested) {
        stop_all_sounds();
        return end_of_frames();
    }
    if (alt_x_pressed() && !frame_loop.exit_held) {
        frame_loop.exit_held = artwork_holds_exit(session);
        if (!frame_loop.exit_held) {
            stop_all_sounds();
            return end_of_frames();
        }
    }
    if (key_state.pause_flag || !(fast_frames() || key_state.tick_pending >= 1))
        return LoopStep::WAIT_EVENT;
    frame_loop.waiting = false;
    run_frame_body(session);
    if (modal_screen_open())
        frame_loop.trace_owed = true;
    else
        trace_frame(session.mode, session.level);
    return LoopStep::FRAME;
}

int run_frame(Session& session)
{
    const bool fast = fast_frames();
    if (!modal_screen_open() && !frame_loop.waiting)
        sleep_between_steps(LoopStep::FRAME, fast);
    for (;;) {
        const LoopStep done = step_frame(session);
        if (done == LoopStep::END)
            return 1;
        if (done == LoopStep::FRAME && !modal_screen_open())
            return 0;
        sleep_between_steps(done, fast);
    }
}
