// Drawing without a window: a frame buffer in memory for the tools' pictures.
#include <array>

#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "view/view.h"

namespace {
// The frame buffer drawn into when no window gives one, and whether the
// display has been set up for drawing.
struct HeadlessScreen {
    std::array<uint8_t, SCREEN_WIDTH * SCREEN_HEIGHT> pixels;
    bool prepared;
};
HeadlessScreen headless;
} // namespace

void prepare_headless()
{
    if (headless.prepared)
        return;
    if (!display_state.pixels)
        attach_frame_buffer(headless.pixels.data(), SCREEN_WIDTH);
    alloc_display_buffers();
    build_variant_table();
    clear_sprite_slots();
    clear_dirty_list();
    headless.prepared = true;
}
