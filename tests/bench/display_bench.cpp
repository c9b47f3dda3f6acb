// Drawing costs: the whole play field, and one game frame of 16 sprites
// (restore, save, draw), into a frame buffer in memory.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/settings.h"
#include "display/screen.h"
#include "game/replay.h"
#include "display/tiles.h"
#include "level/grid.h"
#include "level/movie.h"
#include "picture/gfxset.h"

namespace {

// The grid these tests load their levels into.
PlayGrid level_grid;

std::vector<uint8_t> screen(640 * 480);
std::vector<uint8_t> pixels[4];

void set_up()
{
    attach_frame_buffer(screen.data(), 640);
    alloc_display_buffers();
    for (int s = 0; s < 4; s++) {
        pixels[s].assign(GFX_SET_PIXELS, 0);
        for (int i = 0; i < GFX_SET_PIXELS; i++)
            pixels[s][size_t(i)] = uint8_t((i * 7 + s) % 5 == 0 ? 0 : 1 + i % 200);
        gfx_sets[s].pixels = pixels[s].data();
        for (int i = 0; i < 256; i++)
            gfx_sets[s].remap[i] = uint8_t(i);
    }
    build_tile_cache();
    build_variant_table();
    unpack_record(BUILTIN_LEVEL.data(), level_grid);
}

void BM_DrawPlayField(benchmark::State& state)
{
    set_up();
    for (auto _ : state) {
        draw_play_field(level_grid);
        benchmark::DoNotOptimize(screen.data());
    }
}
BENCHMARK(BM_DrawPlayField);

void BM_SixteenSpriteFrame(benchmark::State& state)
{
    set_up();
    clear_sprite_slots();
    for (int i = 0; i < SPRITE_COUNT; i++)
        sprite_slots[size_t(i)] = {SPRITE_ACTIVE, 40 + 30 * i, 100 + 10 * i, 96 + i};
    int step = 0;
    for (auto _ : state) {
        restore_sprite_backgrounds();
        for (int i = 0; i < SPRITE_COUNT; i++)
            sprite_slots[size_t(i)].x = 40 + 30 * i + (step & 15) * 2;
        save_sprite_backgrounds();
        draw_sprites();
        clear_dirty_list();
        step++;
        benchmark::DoNotOptimize(screen.data());
    }
}
BENCHMARK(BM_SixteenSpriteFrame);

// One whole replay of level 0's movie (4,392 ticks) through the rules,
// headless, as `vbltool replay - 0` runs it.
void BM_ReplayLevel0(benchmark::State& state)
{
    set_up();
    for (auto _ : state) {
        ReplayResult result{};
        replay_movie(level_grid, BUILTIN_MOVIE.data(), int(BUILTIN_MOVIE.size()), &result);
        if (result.score != 43450)
            state.SkipWithError("the replay did not reach its recorded score");
    }
}
BENCHMARK(BM_ReplayLevel0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
