#include "display/tiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/flags.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "level/grid.h"
#include "picture/gfxset.h"
#include "picture/artwork.h"

bool alloc_display_buffers()
{
    if (!save_under_store)
        save_under_store = static_cast<uint8_t*>(calloc(SAVE_UNDER_BLOCKS, CELL_BYTES));
    if (!tile_cache)
        tile_cache = static_cast<uint8_t*>(calloc(TILE_CACHE_CELLS, CELL_BYTES));
    return save_under_store && tile_cache;
}

void free_display_buffers()
{
    free(save_under_store);
    save_under_store = nullptr;
    free(tile_cache);
    tile_cache = nullptr;
}

void build_cell(int set, int square, int cell)
{
    uint8_t* out = tile_cache + cell * CELL_BYTES;
    const GfxSet& gfx = gfx_sets[set];
    if (!gfx.pixels) {
        memset(out, 0, CELL_BYTES);
        return;
    }
    const uint8_t* in = gfx.pixels + square_offset(square);
    for (int row = 0; row < CELL_SIZE; row++, in += GFX_SET_WIDTH)
        for (int col = 0; col < CELL_SIZE; col++)
            *out++ = in[col] ? gfx.remap[in[col]] : 0;
}

void build_tile_cache()
{
    if (!tile_cache)
        return;
    for (int c = 0; c < TILE_CACHE_CELLS; c++)
        build_cell(c / SET_SQUARES, c % SET_SQUARES, c);
}

void draw_cell(int x, int y, int cell)
{
    lock_screen();
    const uint8_t* in = tile_cache + cell * CELL_BYTES;
    for (int row = 0; row < CELL_SIZE; row++, in += CELL_SIZE) {
        uint8_t* out = screen_row(y + row) + x;
        for (int col = 0; col < CELL_SIZE; col++)
            if (in[col])
                out[col] = in[col];
    }
}

void clear_cell(int x, int y)
{
    lock_screen();
    for (int row = 0; row < CELL_SIZE; row++)
        memset(screen_row(y + row) + x, 0, CELL_SIZE);
}

void save_under(int x, int y, int slot)
{
    lock_screen();
    uint8_t* out = save_under_store + slot * CELL_BYTES;
    for (int row = 0; row < CELL_SIZE; row++, out += CELL_SIZE)
        memcpy(out, screen_row(y + row) + x, CELL_SIZE);
}

void restore_under(int x, int y, int slot)
{
    lock_screen();
    const uint8_t* in = save_under_store + slot * CELL_BYTES;
    for (int row = 0; row < CELL_SIZE; row++, in += CELL_SIZE)
        memcpy(screen_row(y + row) + x, in, CELL_SIZE);
}

void put_block(int x, int y, const uint8_t* image)
{
    lock_screen();
    for (int row = 0; row < CELL_SIZE; row++, image += CELL_SIZE)
        memcpy(screen_row(y + row) + x, image, CELL_SIZE);
}

void fill_square(int x, int y, int n, int colour)
{
    lock_screen();
    for (int row = 0; row < n; row++)
        memset(screen_row(y + row) + x, colour, size_t(n));
}

void fill_small_square(int x, int y, int colour) { fill_square(x, y, 8, colour); }

namespace {

uint8_t outline_colour(int colour)
{
    if (colour == COLOUR_BLACK)
        return uint8_t(screen_palette.nearest_black);
    if (colour == COLOUR_WHITE)
        return uint8_t(screen_palette.nearest_white);
    return uint8_t(colour);
}

} // namespace

void draw_rect_outline(int x, int y, int w, int h, int colour)
{
    lock_screen();
    uint8_t c = outline_colour(colour);
    memset(screen_row(y) + x, c, size_t(w) + 1);
    for (int row = y + 1; row < y + h; row++) {
        screen_row(row)[x] = c;
        screen_row(row)[x + w] = c;
    }
    memset(screen_row(y + h) + x, c, size_t(w) + 1);
}

void draw_square_outline(int x, int y, int n, int colour) { draw_rect_outline(x, y, n, n, colour); }

void swap_black_white(int x, int y)
{
    lock_screen();
    uint8_t black = uint8_t(screen_palette.nearest_black);
    uint8_t white = uint8_t(screen_palette.nearest_white);
    for (int row = 0; row < 11; row++) {
        uint8_t* p = screen_row(y + row) + x;
        for (int col = 0; col < 11; col++) {
            if (p[col] == white)
                p[col] = black;
            else if (p[col] == black)
                p[col] = white;
        }
    }
}

void draw_play_field(const PlayGrid& grid)
{
    // Bricks and the like cover their whole square: no background, no shadow.
    auto covers_square = [](int t) {
        return t == TILE_BRICK || t == TILE_SOLID || t == TILE_FALSE_BRICK || t == TILE_HIDDEN_ENEMY;
    };
    for (int pass = 0; pass < 2; pass++) {
        for (int r = 0; r < FIELD_ROWS; r++) {
            for (int c = 0; c < FIELD_COLUMNS; c++) {
                int i = field_cell(c, r);
                int t = grid[i];
                int v = cell_variant[i];
                int x = FIELD_X + CELL_SIZE * c, y = FIELD_Y + CELL_SIZE * r;
                if (pass == 0) {
                    if (covers_square(t))
                        continue;
                    draw_cell(x, y, tile_square(TILE_EMPTY, v));
                    if (int s = shadow_bits(grid, i))
                        draw_cell(x, y, SHADOW_BASE + s);
                } else if (t != 0) {
                    draw_cell(x, y, tile_square(t, v));
                }
            }
        }
    }
    for (int c = 0; c < FIELD_COLUMNS; c++) {
        draw_cell(FIELD_X + CELL_SIZE * c, FRAME_TOP_Y, FRAME_TOP);
        draw_cell(FIELD_X + CELL_SIZE * c, FRAME_BOTTOM_Y, FRAME_BOTTOM);
    }
    for (int r = 0; r < FIELD_ROWS; r++) {
        draw_cell(FRAME_LEFT_X, FIELD_Y + CELL_SIZE * r, FRAME_LEFT);
        draw_cell(FRAME_RIGHT_X, FIELD_Y + CELL_SIZE * r, FRAME_RIGHT);
    }
    draw_cell(FRAME_LEFT_X, FRAME_TOP_Y, FRAME_TOP_LEFT);
    draw_cell(FRAME_RIGHT_X, FRAME_TOP_Y, FRAME_TOP_RIGHT);
    draw_cell(FRAME_RIGHT_X, FRAME_BOTTOM_Y, FRAME_BOTTOM_RIGHT);
    draw_cell(FRAME_LEFT_X, FRAME_BOTTOM_Y, FRAME_BOTTOM_LEFT);
}

void clear_sprite_slots()
{
    for (SpriteSlot& slot : sprite_slots)
        slot.flags = 0;
}

int alloc_sprite()
{
    // A released slot stays taken until its old image has been restored.
    for (int i = 0; i < SPRITE_COUNT; i++) {
        SpriteSlot& slot = sprite_slots[i];
        if (!(slot.flags & (SPRITE_ACTIVE | SPRITE_DRAWN))) {
            slot = SpriteSlot{SPRITE_ACTIVE, 0, 0, 0};
            return i;
        }
    }
    return -1;
}

void release_sprite(int slot)
{
    if (slot >= 0 && slot < SPRITE_COUNT)
        sprite_slots[size_t(slot)].flags &= ~SPRITE_ACTIVE;
}

void restore_sprite_backgrounds()
{
    for (int i = 0; i < SPRITE_COUNT; i++) {
        SpriteSlot& slot = sprite_slots[i];
        if (slot.flags & SPRITE_DRAWN) {
            restore_under(slot.x, slot.y, i);
            add_dirty_cell(slot.x, slot.y);
            slot.flags &= ~SPRITE_DRAWN;
        }
    }
}

void save_sprite_backgrounds()
{
    for (int i = 0; i < SPRITE_COUNT; i++) {
        SpriteSlot& slot = sprite_slots[i];
        if (slot.flags & SPRITE_ACTIVE) {
            save_under(slot.x, slot.y, i);
            slot.flags |= SPRITE_DRAWN;
        }
    }
}

void draw_sprites()
{
    // Highest slot first, so lower slot numbers end up on top.
    for (int i = SPRITE_COUNT - 1; i >= 0; i--) {
        const SpriteSlot& slot = sprite_slots[i];
        if (slot.flags & SPRITE_ACTIVE) {
            add_dirty_cell(slot.x, slot.y);
            draw_cell(slot.x, slot.y, slot.cell);
        }
    }
}
