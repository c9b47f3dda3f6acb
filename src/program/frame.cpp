#include "program/frame.h"

#include <SDL/SDL.h>
#include <algorithm>

#include "core/input.h"
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

namespace {
bool timer_installed;
}

void start_frame_timer()
{
    if (timer_installed)
        return;
    timer_installed = true;
    start_tick_timer(FRAME_PERIOD_MS);
}

void stop_frame_timer()
{
    if (!timer_installed)
        return;
    timer_installed = false;
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
    if (key_pressed(SDLK_SYSREQ) || key_pressed(SDLK_PRINT))
        take_screenshot();
}

int run_frame(Session& session)
{
    frame_counter++;
    if (key_state.tick_pending >= 1)
        key_state.tick_pending = 0;   // the tick that let the last frame run
    begin_input_frame();
    const bool fast = fast_frames();
    pause_before_frame(fast);
    in_frame_wait = true;
    bool exit_held = false;   // this batch's Alt+X was held back for unsaved artwork
    for (;;) {
        if (poll_events()) {
            in_frame_wait = false;
            return 1;
        }
        if (quit_requested) {
            in_frame_wait = false;
            stop_all_sounds();
            return 1;
        }
        if (alt_x_pressed() && !exit_held) {
            exit_held = artwork_holds_exit(session);
            if (!exit_held) {
                in_frame_wait = false;
                stop_all_sounds();
                return 1;
            }
        }
        if (!key_state.pause_flag && (fast || key_state.tick_pending >= 1))
            break;
        // Sleep until the next event (at the latest the next timer tick)
        // instead of spinning; the event stays queued for poll_events.
        wait_for_event();
    }
    in_frame_wait = false;
    run_frame_body(session);
    trace_frame(session.mode, session.level);
    return 0;
}
