// The generated data: pictures, icon, sounds and levels, as the build made
// them into the build directory's data/.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/screen.h"
#include "picture/gfxset.h"
#include "picture/ilbm.h"
#include "support/pictures.h"
#include "support/process.h"
#include "picture/artwork.h"

namespace {

const std::string DATA = VORBIX_BUILD_DIR "/data/";
const char* const ARTWORK[4] = {"redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm"};

TEST(ShippedData, PicturesDecodeWithNetpbmAt320By200)
{
    TempDir dir;
    for (const char* name : ARTWORK) {
        SCOPED_TRACE(name);
        ASSERT_EQ(shell("ilbmtoppm " + DATA + name + " > " + dir.file("out.ppm") + " 2>/dev/null"), 0);
        RgbImage image = parse_ppm(read_file(dir.file("out.ppm")));
        EXPECT_EQ(image.width, 320);
        EXPECT_EQ(image.height, 200);
    }
}

// The desktop icons decode at their sizes, and the one at the window icon's
// size shows exactly the window icon.
TEST(ShippedData, DesktopIconsDecodeAndMatchTheWindowIcon)
{
    TempDir dir;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::string png = VORBIX_BUILD_DIR "/icons/vorbix-" + std::to_string(size) + ".png";
        ASSERT_EQ(shell("pngtopnm " + png + " > " + dir.file("icon.ppm") + " 2>/dev/null"), 0);
        RgbImage image = parse_ppm(read_file(dir.file("icon.ppm")));
        EXPECT_EQ(image.width, size);
        EXPECT_EQ(image.height, size);
    }
    ASSERT_EQ(shell("bmptopnm " + DATA + "vrbx.bmp > " + dir.file("window.ppm") + " 2>/dev/null"), 0);
    ASSERT_EQ(shell("pngtopnm " VORBIX_BUILD_DIR "/icons/vorbix-32.png > " + dir.file("icon.ppm") + " 2>/dev/null"),
              0);
    EXPECT_EQ(read_file(dir.file("icon.ppm")), read_file(dir.file("window.ppm")));
}

class LoadedSets : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_gfx_sets();
        reset_shared_palette();
        for (int s = 0; s < 4; s++) {
            Picture picture;
            ASSERT_EQ(read_picture_file((DATA + ARTWORK[s]).c_str(), &picture), nullptr);
            ASSERT_EQ(picture.pixels.size(), size_t(GFX_SET_PIXELS));
            gfx_sets[size_t(s)].pixels = static_cast<uint8_t*>(malloc(GFX_SET_PIXELS));
            memcpy(gfx_sets[size_t(s)].pixels, picture.pixels.data(), GFX_SET_PIXELS);
            gfx_sets[size_t(s)].palette = picture.palette;
            merge_set_palette(gfx_sets[size_t(s)]);
        }
    }
    void TearDown() override { free_gfx_sets(); }
    int ink(int set, int square) const
    {
        int n = 0;
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                n += gfx_sets[size_t(set)].pixels[square_offset(square) + y * SET_PICTURE_WIDTH + x] != 0;
        return n;
    }
};

TEST_F(LoadedSets, MergedPaletteFitsWithoutOverflow)
{
    // Below 255 used entries: no colour was forced into the shared last entry.
    EXPECT_LT(shared_palette.count, 255);
}

TEST_F(LoadedSets, EverySquareWithAPurposeIsDrawn)
{
    for (int v = 0; v < 4; v++) {
        EXPECT_EQ(ink(0, 12 * v), 576) << "the plain background must cover its square, variant " << v;
        for (int code = 1; code <= 11; code++)
            EXPECT_GT(ink(0, code + 12 * v), 0) << "tile " << code << " variant " << v;
        for (int code : {1, 2, 5, 10})
            EXPECT_EQ(ink(0, code + 12 * v), 576) << "tile " << code << " covers its square";
    }
    for (int square : {49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 63, 64, 65, 66, 67, 72, 73, 74, 75, 76, 77,
                       78, 79, 80, 84, 85, 86, 87, 89, 90})
        EXPECT_GT(ink(0, square), 0) << "square " << square;
    EXPECT_EQ(ink(0, 62), 0);     // rest frame: the object or the brick shows through
    EXPECT_EQ(ink(0, 68), 576);   // the open hole covers the brick it replaces
    for (int g = 0; g < 54; g++) {
        int n = 0;
        for (int y = 0; y < 12; y++)
            for (int x = 0; x < 8; x++)
                n += gfx_sets[0].pixels[square_offset(GLYPH_SQUARE) + (GLYPH_HEIGHT * (g / GLYPHS_PER_ROW) + y) * SET_PICTURE_WIDTH + GLYPH_WIDTH * (g % GLYPHS_PER_ROW) + x] != 0;
        if (g == 48)
            EXPECT_EQ(n, 0) << "the space";
        else
            EXPECT_GT(n, 0) << "glyph " << g;
    }
    for (int set = 1; set < 4; set++)
        for (int pose = 0; pose < 96; pose++)
            EXPECT_GT(ink(set, pose), 20) << "set " << set << " pose " << pose;
}

TEST_F(LoadedSets, TheHiddenEnemyDiffersFromTheMainEnemy)
{
    int differing = 0;
    for (int i = 0; i < GFX_SET_PIXELS; i++) {
        const uint8_t* a = &gfx_sets[2].palette[3 * gfx_sets[2].pixels[i]];
        const uint8_t* b = &gfx_sets[3].palette[3 * gfx_sets[3].pixels[i]];
        differing += memcmp(a, b, 3) != 0;
    }
    EXPECT_GT(differing, 5000);
}

TEST(ShippedData, SoundsAndIconLoadWithSdl)
{
    for (const char* name : {"fall.wav", "dig.wav", "pop.wav", "victory.wav", "death.wav"}) {
        SDL_AudioSpec wav;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromFile((DATA + name).c_str(), "rb"), 1, &wav, &buffer, &length), nullptr)
            << name << ": " << SDL_GetError();
        EXPECT_GT(length, 500u) << name;
        SDL_FreeWAV(buffer);
    }
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromFile((DATA + "vrbx.bmp").c_str(), "rb"), 1);
    ASSERT_NE(icon, nullptr) << SDL_GetError();
    EXPECT_EQ(icon->w, 32);
    SDL_FreeSurface(icon);
}

TEST(ShippedData, EveryShippedLevelPassesTheRules)
{
    for (const char* archive : {"levels.vbl", "masters.vbl"}) {
        ProcessResult r = run_process(VBLTOOL_BINARY, {"check", DATA + archive});
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("level 30: ok"), std::string::npos) << r.out;
    }
}

TEST(ShippedData, EveryShippedLevelHasAMasterMovieThatReplaysToItsScore)
{
    ProcessResult verify = run_process(VBLTOOL_BINARY, {"verify", DATA + "masters.vbl"}, {}, 60);
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    ProcessResult list = run_process(VBLTOOL_BINARY, {"list", DATA + "masters.vbl"});
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(list.out.find("no movie"), std::string::npos) << list.out;
    ProcessResult levels = run_process(VBLTOOL_BINARY, {"list", DATA + "levels.vbl"});
    size_t lines = 0;
    for (char c : levels.out)
        lines += c == '\n';
    size_t exits = 0;
    for (size_t at = verify.out.find("outcome=exit"); at != std::string::npos; at = verify.out.find("outcome=exit", at + 1))
        exits++;
    EXPECT_EQ(exits, lines) << "a master for every level of levels.vbl";
    EXPECT_EQ(levels.out.find(" movie "), std::string::npos) << "levels.vbl keeps the levels alone";
}

TEST(ShippedData, RegeneratingGivesIdenticalBytes)
{
    TempDir dir;
    ASSERT_EQ(run_process(VORBIX_BUILD_DIR "/make_artwork",
                          {VORBIX_SOURCE_DIR "/data/art/font.txt", dir.path, dir.path, "16", "48", "256"})
                  .status,
              0);
    ASSERT_EQ(run_process(VORBIX_BUILD_DIR "/make_sounds", {dir.path}).status, 0);
    for (const char* name : {"redbrick.lbm", "regularguy.lbm", "badguy.lbm", "spiral.lbm", "vrbx.bmp", "fall.wav",
                             "dig.wav", "pop.wav", "victory.wav", "death.wav"})
        EXPECT_EQ(read_file(dir.file(name)), read_file(DATA + name)) << name;
    for (const char* name : {"vorbix-16.png", "vorbix-48.png", "vorbix-256.png"})
        EXPECT_EQ(read_file(dir.file(name)), read_file(std::string(VORBIX_BUILD_DIR "/icons/") + name)) << name;
}

} // namespace
