// The ILBM reader and writer, against netpbm as the independent
// implementation, and on small hand-made files.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "frontend/userdir.h"
#include "picture/ilbm.h"
#include "picture/screenshot.h"
#include "support/fixtures.h"
#include "support/pictures.h"
#include "support/process.h"

namespace {

// A picture of `colours` distinct colours in a pattern that uses them all.
RgbImage test_image(int width, int height, int colours)
{
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            int c = (x * 7 + y * 13 + (x / 5) * (y % 3)) % colours;
            image.pixels.push_back({uint8_t(c * 37 % 256), uint8_t(255 - c), uint8_t(c * 11 % 256)});
        }
    return image;
}

std::string shown_rgb(Rgb c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

Rgb palette_colour(const uint8_t* palette, int index)
{
    return {palette[3 * index], palette[3 * index + 1], palette[3 * index + 2]};
}

TEST(IlbmNetpbm, PicturesWrittenByPpmtoilbmReadBack)
{
    const struct {
        int width, height, colours;
        const char* options;
    } cases[] = {
        {37, 5, 6, "-compress"},        // 3 planes, odd width
        {100, 7, 16, "-compress"},      // 4 planes, 4 pad pixels per row
        {320, 200, 256, "-compress -maxplanes 8"},   // 8 planes, a whole set picture
        {9, 3, 2, "-compress"},         // 1 plane
        {64, 4, 40, "-compress -fixplanes 8"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " with " << c.colours << " colours");
        RgbImage image = test_image(c.width, c.height, c.colours);
        write_file(dir.file("in.ppm"), ppm_bytes(image));
        ASSERT_EQ(shell("ppmtoilbm " + std::string(c.options) + " " + dir.file("in.ppm") + " > " +
                        dir.file("in.lbm") + " 2>/dev/null"),
                  0);
        Picture picture;
        ASSERT_EQ(read_picture_file(dir.file("in.lbm").c_str(), &picture), nullptr);
        ASSERT_EQ(picture.width, c.width);
        ASSERT_EQ(picture.height, c.height);
        const int stride = 8 * ilbm_rowbytes(c.width);
        int wrong = 0;
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++) {
                Rgb got = palette_colour(picture.palette.data(), picture.pixels[size_t(y * stride + x)]);
                if (!(got == image.pixels[size_t(y * c.width + x)]) && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << shown_rgb(got);
            }
        EXPECT_EQ(wrong, 0);
    }
}

void fetch_from_vector(uint8_t* row, int y, const void* source)
{
    const auto* image = static_cast<const std::pair<int, std::vector<uint8_t>>*>(source);
    memcpy(row, image->second.data() + y * image->first, size_t(image->first));
}

TEST(IlbmNetpbm, PicturesWrittenHereDecodeWithIlbmtoppm)
{
    const struct {
        int width, height;
    } sizes[] = {{320, 200}, {37, 5}, {640, 480}, {1, 1}};
    uint8_t palette[768];
    for (int i = 0; i < 256; i++) {
        palette[3 * i] = uint8_t(i);
        palette[3 * i + 1] = uint8_t(255 - i);
        palette[3 * i + 2] = uint8_t(i * 7);
    }
    TempDir dir;
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        std::pair<int, std::vector<uint8_t>> image{s.width, std::vector<uint8_t>(size_t(s.width * s.height))};
        for (int i = 0; i < s.width * s.height; i++)
            image.second[size_t(i)] = uint8_t((i / 3) * 5 + (i % 640 < 320 ? 0 : 128));
        const std::string lbm = dir.file("out.lbm");
        ASSERT_EQ(write_picture(lbm.c_str(), s.width, s.height, fetch_from_vector, &image, palette), nullptr);
        ASSERT_EQ(shell("ilbmtoppm " + lbm + " > " + dir.file("out.ppm") + " 2>/dev/null"), 0);
        RgbImage decoded = parse_ppm(read_file(dir.file("out.ppm")));
        ASSERT_EQ(decoded.width, s.width);
        ASSERT_EQ(decoded.height, s.height);
        for (int i = 0; i < s.width * s.height; i++)
            ASSERT_EQ(decoded.pixels[size_t(i)], palette_colour(palette, image.second[size_t(i)])) << "pixel " << i;
        // And our own reader gives back the same indices and palette.
        if (s.width * s.height <= PICTURE_MAX_PIXELS && s.width % 16 == 0) {
            Picture picture;
            ASSERT_EQ(read_picture_file(lbm.c_str(), &picture), nullptr);
            EXPECT_EQ(picture.pixels, image.second);
            EXPECT_EQ(0, memcmp(picture.palette.data(), palette, 768));
        }
    }
}

void zero_row(uint8_t* row, int, const void*) { memset(row, 0, 640); }

// Runs step in a child process whose files cannot grow past limit bytes, so
// writing fails part way; true when step reported success to the child's exit.
template <typename Step>
bool in_small_file_limit(long limit, Step step)
{
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit r{rlim_t(limit), rlim_t(limit)};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(step() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IlbmWriter, AllZeroScreenGoldenBytes)
{
    TempDir dir;
    uint8_t palette[768] = {};
    const std::string path = dir.file("zero.lbm");
    ASSERT_EQ(write_picture(path.c_str(), 640, 480, zero_row, nullptr, palette), nullptr);
    const std::string file = read_file(path);
    ASSERT_EQ(file.size(), 8504u);
    EXPECT_EQ(file.substr(0, 4), "FORM");
    EXPECT_EQ(file.substr(4, 4), std::string("\0\0\x21\x30", 4));   // 8,496
    EXPECT_EQ(file.substr(8, 8), "ILBMBMHD");
    EXPECT_EQ(file.substr(16, 24), std::string("\0\0\0\x14\x02\x80\x01\xe0\0\0\0\0\x08\0\x01\0\0\0\0\0\x02\x80\x01\xe0", 24));
    EXPECT_EQ(file.substr(40, 8), std::string("CMAP\0\0\x03\0", 8));
    EXPECT_EQ(file.substr(816, 8), std::string("BODY\0\0\x1e\0", 8));   // 7,680
    std::string body;
    for (int i = 0; i < 480 * 8; i++)
        body += "\xb1";
    for (size_t i = 0; i < body.size(); i++)
        ASSERT_EQ(file.substr(824 + 2 * i, 2), std::string("\xb1\0", 2)) << i;
}

TEST(IlbmWriter, ByteRun1Examples)
{
    const struct {
        std::vector<uint8_t> in;
        std::vector<uint8_t> packed;
    } cases[] = {
        {std::vector<uint8_t>(40, 0), {0xd9, 0x00}},
        {{1, 2, 3}, {0x02, 0x01, 0x02, 0x03}},
        {{5, 5, 7}, {0xff, 0x05, 0x00, 0x07}},
        {{4, 6, 6, 8}, {0x03, 0x04, 0x06, 0x06, 0x08}},
        {{9, 9}, {0x01, 0x09, 0x09}},                  // a run of two at the row's end joins the literal
        {{1, 3, 3, 3, 2}, {0x00, 0x01, 0xfe, 0x03, 0x00, 0x02}},
    };
    for (const auto& c : cases) {
        uint8_t out[256];
        int n = pack_byterun1(c.in.data(), int(c.in.size()), out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.packed);
    }
}

TEST(IlbmWriter, FailuresReportAndLeaveNoFile)
{
    TempDir dir;
    uint8_t palette[768] = {};
    EXPECT_STREQ(write_picture(dir.file("no/such/dir/x.lbm").c_str(), 640, 480, zero_row, nullptr, palette),
                 strerror(ENOENT));
    // A file that cannot grow past 2000 bytes: the write fails part way,
    // reports it and removes what it wrote.
    EXPECT_TRUE(in_small_file_limit(2000, [&] {
        const char* problem = write_picture(dir.file("cut.lbm").c_str(), 640, 480, zero_row, nullptr, palette);
        return problem && access(dir.file("cut.lbm").c_str(), F_OK) != 0;
    }));
}

TEST(Screenshot, NextFreeNumberIsTaken)
{
    TempDir dir;
    WorkingDirectory cwd(dir.path);
    write_file("cap000.lbm", "x");
    write_file("cap002.lbm", "x");
    char name[32];
    next_screenshot_name(name, sizeof name);
    EXPECT_STREQ(name, "cap001.lbm");
}

// Pictures read from bytes in memory, as the file reader hands them on.
class IlbmReader : public ::testing::Test {
protected:
    TempDir dir;
    Picture picture;
    const char* read(const std::string& bytes)
    {
        return read_picture_bytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, &picture);
    }
};

TEST_F(IlbmReader, FourPlanesGivePixelsBelow16)
{
    std::vector<uint8_t> pixels(16 * 2);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = uint8_t(i % 16);
    ASSERT_EQ(read(iff_form("ILBM", iff_chunk("BMHD", bmhd(16, 2, 4)) + iff_chunk("CMAP", std::string(48, '\1')) +
                                        iff_chunk("BODY", literal_body(pixels, 16, 2, 4)))),
              nullptr);
    EXPECT_EQ(0, memcmp(picture.pixels.data(), pixels.data(), pixels.size()));
}

TEST_F(IlbmReader, OddWidthKeepsThePadPixelsOfTheFile)
{
    // 100 pixels: rows padded to a 16-bit word, 14 bytes or 112 pixels; the
    // file's pad bits are set and come through.
    std::string body;
    for (int y = 0; y < 2; y++) {
        body += char(13);
        body += std::string(12, '\0');
        body += char(0x0f);   // pixels 96..99 clear, pad pixels 100..103 set
        body += char(0x01);   // pad pixel 111 set
    }
    ASSERT_EQ(read(iff_form("ILBM", iff_chunk("BMHD", bmhd(100, 2, 1)) + iff_chunk("CMAP", "\1\1\1\2\2\2") +
                                        iff_chunk("BODY", body))),
              nullptr);
    EXPECT_EQ(picture.rowbytes, 14);
    EXPECT_EQ(picture.pixels[99], 0);
    EXPECT_EQ(picture.pixels[100], 1);
    EXPECT_EQ(picture.pixels[103], 1);
    EXPECT_EQ(picture.pixels[111], 1);
    EXPECT_EQ(picture.pixels[112], 0);   // row 1 starts at 112
    EXPECT_EQ(picture.pixels[112 + 100], 1);
}

// The colours a short CMAP does not give are black, never those of the
// picture read before.
TEST_F(IlbmReader, ShortCmapGivesOnlyItsColours)
{
    picture.palette.fill(0x55);
    std::string cmap(48, '\x11');
    std::vector<uint8_t> pixels(8, 1);
    ASSERT_EQ(read(iff_form("ILBM", iff_chunk("BMHD", bmhd(8, 1, 1)) + iff_chunk("CMAP", cmap) +
                                        iff_chunk("BODY", literal_body(pixels, 8, 1, 1)))),
              nullptr);
    EXPECT_EQ(picture.palette[47], 0x11);
    EXPECT_EQ(picture.palette[48], 0);
}

TEST_F(IlbmReader, ChunkOrderAndSkippedChunks)
{
    std::vector<uint8_t> pixels = {3, 1, 2, 0, 3, 3, 1, 2};
    const std::string cmap = std::string(12, '\x22');
    const std::string head = iff_chunk("BMHD", bmhd(8, 1, 2));
    const std::string body = iff_chunk("BODY", literal_body(pixels, 8, 1, 2));
    const std::string odd = iff_chunk("ANNO", "odd");   // 3 bytes and a pad byte
    const std::string orders[] = {
        head + iff_chunk("CMAP", cmap) + body,
        iff_chunk("CMAP", cmap) + head + body,
        odd + head + iff_chunk("CAMG", "\0\0\0\0") + odd + iff_chunk("CMAP", cmap) + body + odd,
    };
    for (const std::string& chunks : orders) {
        ASSERT_EQ(read(iff_form("ILBM", chunks)), nullptr);
        EXPECT_EQ(0, memcmp(picture.pixels.data(), pixels.data(), pixels.size()));
        EXPECT_EQ(picture.palette[11], 0x22);
    }
    // A BODY before any BMHD has no size: the file is refused.
    EXPECT_STREQ(read(iff_form("ILBM", body + head + iff_chunk("CMAP", cmap))), MESSAGE_PICTURE_INCOMPLETE);
}

TEST_F(IlbmReader, RefusedFiles)
{
    std::vector<uint8_t> pixels(8, 0);
    const struct {
        const char* why;
        std::string file;
    } cases[] = {
        {"a PBM form", iff_form("PBM ", iff_chunk("BMHD", bmhd(8, 1, 8)))},
        {"not IFF", "hello, world"},
        {"empty", ""},
        {"width above 1024", iff_form("ILBM", iff_chunk("BMHD", bmhd(1025, 1, 1)))},
        {"nine planes", iff_form("ILBM", iff_chunk("BMHD", bmhd(8, 1, 9)))},
        {"more than 64000 pixels", iff_form("ILBM", iff_chunk("BMHD", bmhd(320, 201, 1)) +
                                                        iff_chunk("BODY", std::string(201 * 41, '\0')))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_STREQ(read(c.file), MESSAGE_NOT_IFF);
    }
    EXPECT_STREQ(read_picture_file(dir.file("missing.lbm").c_str(), &picture), MESSAGE_CANNOT_OPEN_PICTURE);
    // An endless input never holds the file reader: a device is refused
    // unread, and a folder has no bytes.
    EXPECT_STREQ(read_picture_file("/dev/zero", &picture), MESSAGE_CANNOT_OPEN_PICTURE);
    const std::string large = dir.file("large.lbm");
    write_file(large, std::string(size_t(PICTURE_MAX_FILE_BYTES) + 1, 'F'));
    EXPECT_STREQ(read_picture_file(large.c_str(), &picture), MESSAGE_PICTURE_TOO_LARGE);
    EXPECT_STREQ(read_picture_file(dir.path.c_str(), &picture), MESSAGE_NOT_IFF);
}

// A damaged file is refused with its reason, never read as a picture made
// of what happens to be in the buffers.
TEST_F(IlbmReader, DamagedFilesAreRefusedWithTheirReason)
{
    const std::string head = iff_chunk("BMHD", bmhd(8, 2, 2));
    const std::string cmap = iff_chunk("CMAP", std::string(12, '\x22'));
    const std::string body = iff_chunk("BODY", literal_body(std::vector<uint8_t>(16, 2), 8, 2, 2));
    const std::string whole = iff_form("ILBM", head + cmap + body);
    const std::string unknown_compression = iff_chunk("BMHD", bmhd(8, 2, 2, 2));
    const struct {
        const char* why;
        std::string file;
        const char* message;
    } cases[] = {
        {"the header of the form only", whole.substr(0, 12), MESSAGE_PICTURE_INCOMPLETE},
        {"no colours", iff_form("ILBM", head + body), MESSAGE_PICTURE_INCOMPLETE},
        {"no pixels", iff_form("ILBM", head + cmap), MESSAGE_PICTURE_INCOMPLETE},
        {"cut in the header", whole.substr(0, 12 + 8 + 10), MESSAGE_PICTURE_CUT_SHORT},
        {"cut in the colours", iff_form("ILBM", head) + cmap.substr(0, 12), MESSAGE_PICTURE_CUT_SHORT},
        {"the second row gone", whole.substr(0, whole.size() - 6), MESSAGE_PICTURE_CUT_SHORT},
        {"cut behind the header", whole.substr(0, 12 + 28), MESSAGE_PICTURE_INCOMPLETE},
        {"an unknown compression", iff_form("ILBM", unknown_compression + cmap + body), MESSAGE_PICTURE_COMPRESSION},
        {"colours beyond the limit",
         iff_form("ILBM", head + iff_chunk("CMAP", std::string(size_t(PICTURE_MAX_FILE_BYTES), '\1')) + body),
         MESSAGE_PICTURE_TOO_LARGE},
        // Size words that disagree with the file.
        {"a FORM longer than the file", whole.substr(0, 4) + std::string("\0\1\0\0", 4) + whole.substr(8),
         MESSAGE_PICTURE_SIZES},
        {"a FORM shorter than the file", iff_form("ILBM", head + cmap) + body, MESSAGE_PICTURE_SIZES},
        {"a BODY longer than the file", iff_form("ILBM", head + cmap + "BODY" + std::string("\x7f\xff\xff\xff", 4) +
                                                             body.substr(8)),
         MESSAGE_PICTURE_SIZES},
        {"a chunk running past the file", iff_form("ILBM", head + cmap + body + "ANNO" + std::string("\0\0\1\0", 4)),
         MESSAGE_PICTURE_SIZES},
        // A body whose length does not fit its header.
        {"a body of more rows", iff_form("ILBM", head + cmap + iff_chunk("BODY", body.substr(8) + body.substr(8))),
         MESSAGE_PICTURE_BODY_SIZE},
        {"a header of 1 plane over 2 planes' body",
         iff_form("ILBM", iff_chunk("BMHD", bmhd(8, 2, 1)) + cmap + body), MESSAGE_PICTURE_BODY_SIZE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_STREQ(read(c.file), c.message);
    }
    ASSERT_EQ(read(whole), nullptr);
    EXPECT_EQ(picture.pixels[0], 2);
    EXPECT_EQ(picture.palette[0], 0x22);
    // A consistent picture of 1 plane stays a picture.
    const std::vector<uint8_t> ones = {1, 0, 1, 1, 0, 0, 1, 0};
    ASSERT_EQ(read(iff_form("ILBM", iff_chunk("BMHD", bmhd(8, 1, 1)) + cmap +
                                        iff_chunk("BODY", literal_body(ones, 8, 1, 1)))),
              nullptr);
    ASSERT_EQ(picture.pixels.size(), 16u);   // a row padded to a whole word
    EXPECT_EQ(std::vector<uint8_t>(picture.pixels.begin(), picture.pixels.begin() + 8), ones);
}

// Copies of the shipped background set that the reader once took whole:
// each is refused with its reason, and nothing of it is kept.
TEST(IlbmDamagedArtwork, SizeWordsAndPlanesThatDisagreeAreRefused)
{
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"body_hugelen.lbm", MESSAGE_PICTURE_SIZES},   // BODY length 0x7fffffff
        {"form_hugelen.lbm", MESSAGE_PICTURE_SIZES},   // FORM length 0xffffffff
        {"planes1.lbm", MESSAGE_PICTURE_BODY_SIZE},    // 1 plane over a body of 8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Picture picture;
        EXPECT_STREQ(read_picture_file((VORBIX_SOURCE_DIR "/tests/picture/damaged/" + std::string(c.file)).c_str(),
                                       &picture),
                     c.message);
        EXPECT_TRUE(picture.pixels.empty());
        EXPECT_EQ(picture.width, 0);
    }
}

TEST_F(IlbmReader, UserDirectoryComesBeforeTheDataDirectories)
{
    WorkingDirectory cwd(dir.path);
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(mkdir("home", 0755), 0);
    ASSERT_EQ(mkdir("home/.zuzezodov", 0700), 0);
    snprintf(home_directory, sizeof home_directory, "%s/home", dir.path.c_str());
    auto file = [](int colour) {
        return iff_form("ILBM", iff_chunk("BMHD", bmhd(8, 1, 8)) + iff_chunk("CMAP", std::string(768, '\3')) +
                                    iff_chunk("BODY", literal_body(std::vector<uint8_t>(8, uint8_t(colour)), 8, 1, 8)));
    };
    write_file("data/set.lbm", file(7));
    ASSERT_EQ(read_picture("set.lbm", &picture), nullptr);
    EXPECT_EQ(picture.pixels[0], 7);
    write_file("home/.zuzezodov/set.lbm", file(9));
    ASSERT_EQ(read_picture("set.lbm", &picture), nullptr);
    EXPECT_EQ(picture.pixels[0], 9);
    EXPECT_STREQ(read_picture("other.lbm", &picture), MESSAGE_CANNOT_OPEN_PICTURE);
}

} // namespace

#include "frontend/config.h"
#include "picture/gfxset.h"

namespace {

TEST(GfxSet, SaveWritesTheUserCopyWholeAndLoadFindsIt)
{
    TempUserDir home;
    strcpy(artwork_names[1], "hero.lbm");
    clear_gfx_sets();
    std::vector<uint8_t> pixels(GFX_SET_PIXELS);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = uint8_t(i * 13);
    gfx_sets[1].pixels = static_cast<uint8_t*>(malloc(GFX_SET_PIXELS));
    memcpy(gfx_sets[1].pixels, pixels.data(), pixels.size());
    gfx_sets[1].palette[5] = 99;
    ASSERT_EQ(save_gfx_set(1), nullptr);
    EXPECT_EQ(access(home.user_file("hero.lbm.new").c_str(), F_OK), -1);
    memset(gfx_sets[1].pixels, 0, GFX_SET_PIXELS);
    gfx_sets[1].palette[5] = 0;
    uint8_t* before = gfx_sets[1].pixels;
    ASSERT_EQ(load_gfx_set(1), nullptr);
    EXPECT_EQ(gfx_sets[1].pixels, before);   // loading again reuses the buffer
    EXPECT_EQ(0, memcmp(gfx_sets[1].pixels, pixels.data(), pixels.size()));
    EXPECT_EQ(gfx_sets[1].palette[5], 99);

    // A save that cannot be completed leaves the old picture as it was.
    const std::string old = read_file(home.user_file("hero.lbm"));
    EXPECT_TRUE(in_small_file_limit(3000, [] { return save_gfx_set(1) != nullptr; }));
    EXPECT_EQ(read_file(home.user_file("hero.lbm")), old);
    EXPECT_EQ(access(home.user_file("hero.lbm.new").c_str(), F_OK), -1);

    strcpy(artwork_names[2], "missing.lbm");
    EXPECT_STREQ(load_gfx_set(2), "missing.lbm:Cannot open picture file.\n");
    free_gfx_sets();
}

// A saved set keeps the permission bits of the file it replaces (one that
// others may read stays readable), a new one is readable by others too.
TEST(GfxSet, SaveKeepsTheModeOfTheReplacedFile)
{
    TempUserDir home;
    const mode_t old_mask = umask(022);
    strcpy(artwork_names[1], "hero.lbm");
    clear_gfx_sets();
    gfx_sets[1].pixels = static_cast<uint8_t*>(calloc(GFX_SET_PIXELS, 1));
    ASSERT_EQ(save_gfx_set(1), nullptr);
    struct stat info;
    ASSERT_EQ(stat(home.user_file("hero.lbm").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    for (mode_t mode : {mode_t(0644), mode_t(0600), mode_t(0664)}) {
        ASSERT_EQ(chmod(home.user_file("hero.lbm").c_str(), mode), 0);
        ASSERT_EQ(save_gfx_set(1), nullptr);
        ASSERT_EQ(stat(home.user_file("hero.lbm").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode);
    }
    // A picture that is not a set's size is refused, the set unchanged.
    gfx_sets[1].pixels[7] = 77;
    write_file(home.user_file("hero.lbm"),
               iff_form("ILBM", iff_chunk("BMHD", bmhd(16, 16, 8)) + iff_chunk("CMAP", std::string(768, '\7')) +
                                    iff_chunk("BODY", literal_body(std::vector<uint8_t>(256, 5), 16, 16, 8))));
    EXPECT_STREQ(load_gfx_set(1), "hero.lbm:Picture is 16 x 16, a graphics set is 320 x 200.\n");
    EXPECT_EQ(gfx_sets[1].pixels[7], 77);
    umask(old_mask);
    free_gfx_sets();
}

TEST(GfxSet, SaveThroughASymbolicLinkReplacesItsTarget)
{
    TempDir dir;
    snprintf(home_directory, sizeof home_directory, "%s", dir.path.c_str());
    ASSERT_EQ(mkdir(dir.file(".zuzezodov").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(dir.file("art").c_str(), 0700), 0);
    write_file(dir.file("art/mine.lbm"), "old");
    // A relative link to a link: both are kept, the file at the end changes.
    ASSERT_EQ(symlink("../art/mine.lbm", dir.file("art/link.lbm").c_str()), 0);
    ASSERT_EQ(symlink("../art/link.lbm", dir.file(".zuzezodov/hero.lbm").c_str()), 0);
    strcpy(artwork_names[1], "hero.lbm");
    clear_gfx_sets();
    gfx_sets[1].pixels = static_cast<uint8_t*>(calloc(GFX_SET_PIXELS, 1));
    gfx_sets[1].pixels[321] = 44;
    EXPECT_EQ(save_gfx_set(1), nullptr);
    struct stat info;
    ASSERT_EQ(lstat(dir.file(".zuzezodov/hero.lbm").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(lstat(dir.file("art/link.lbm").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    Picture picture;
    ASSERT_EQ(read_picture_file(dir.file("art/mine.lbm").c_str(), &picture), nullptr);
    EXPECT_EQ(picture.pixels[321], 44);
    EXPECT_EQ(access(dir.file("art/mine.lbm.new").c_str(), F_OK), -1);

    // A link that leads round in a circle is refused and nothing is written.
    unlink(dir.file("art/mine.lbm").c_str());
    ASSERT_EQ(symlink("link.lbm", dir.file("art/mine.lbm").c_str()), 0);
    EXPECT_STREQ(save_gfx_set(1), "hero.lbm:Cannot follow the link.\n");
    free_gfx_sets();
}

} // namespace
