// Drawing without a window: a frame buffer in memory for the tools' pictures.
#include <array>

#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "view/view.h"

namespace {
std::array<uint8_t, SCREEN_WIDTH * SCREEN_HEIGHT> headless_screen;
bool prepared;
} // namespace

void prepare_headless()
{
    if (prepared)
        return;
    if (!display_state.pixels)
        attach_frame_buffer(headless_screen.data(), SCREEN_WIDTH);
    alloc_display_buffers();
    build_variant_table();
    clear_sprite_slots();
    clear_dirty_list();
    prepared = true;
}
