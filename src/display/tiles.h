// 24 by 24 images: the tile cache in screen colours, the sprite slots with
// their saved backgrounds, and the block primitives.
#pragma once
#include <array>
#include <cstdint>

#include "display/display.h"
#include "level/grid.h"

constexpr int CELL_SIZE = 24;
constexpr int CELL_BYTES = CELL_SIZE * CELL_SIZE;
constexpr int TILE_CACHE_CELLS = 384;         // 4 sets x 96 squares
constexpr int SAVE_UNDER_BLOCKS = 128;        // room allocated; 16 are used
constexpr int32_t SPRITE_ACTIVE = 0x80;
constexpr int32_t SPRITE_DRAWN = 0x01;

// Allocates the tile cache and the save-under store; false when out of memory.
bool alloc_display_buffers();
void free_display_buffers();

void build_cell(int set, int square, int cell);
void build_tile_cache();

void draw_cell(int x, int y, int cell);
void clear_cell(int x, int y);
void save_under(int x, int y, int slot);
void restore_under(int x, int y, int slot);

void put_block(int x, int y, const uint8_t* image);
void fill_square(int x, int y, int n, int colour);
void fill_small_square(int x, int y, int colour);
// Colours COLOUR_BLACK and COLOUR_WHITE mean the palette's nearest black
// and white; the outline covers (n + 1) by (n + 1) pixels.
void draw_square_outline(int x, int y, int n, int colour);
void draw_rect_outline(int x, int y, int w, int h, int colour);
void swap_black_white(int x, int y);

// The whole play field of a grid and its frame.
void draw_play_field(const PlayGrid& grid);

void clear_sprite_slots();
int alloc_sprite();
// Frees a slot from alloc_sprite (-1: none); its image goes with the next
// restore_sprite_backgrounds.
void release_sprite(int slot);
void restore_sprite_backgrounds();
void save_sprite_backgrounds();
void draw_sprites();
