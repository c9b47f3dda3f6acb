#include "display/tiles.h"

#include <cstdlib>
#include <cstring>

#include "display/screen.h"
#include "picture/gfxset.h"

uint8_t* tile_cache;
uint8_t* save_under_store;
std::array<SpriteSlot, SPRITE_COUNT> sprite_slots;

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
    const uint8_t* in = gfx.pixels + (square / 12) * CELL_SIZE * GFX_SET_WIDTH
                        + (square % 12) * CELL_SIZE;
    for (int row = 0; row < CELL_SIZE; row++, in += GFX_SET_WIDTH)
        for (int col = 0; col < CELL_SIZE; col++)
            *out++ = in[col] ? gfx.remap[in[col]] : 0;
}

void build_tile_cache()
{
    if (!tile_cache)
        return;
    for (int c = 0; c < TILE_CACHE_CELLS; c++)
        build_cell(c / 96, c % 96, c);
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
