// Leaving the graphics editor: the game draws with the edited tiles and font,
// and a saved set is what the next start of the program draws with. The real
// program, driven by scripts, headless; screenshots compared pixel by pixel.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/pictures.h"
#include "support/process.h"

namespace {

const Rgb WHITE{255, 255, 255};

struct GameRun {
    TempDir dir;
    GameRun()
    {
        mkdir(dir.file("home").c_str(), 0700);
        symlink(VORBIX_BUILD_DIR "/data", dir.file("data").c_str());
    }
    // Runs the game on this folder's HOME; the screenshot the script takes.
    RgbImage play(const std::string& script)
    {
        write_file(dir.file("script"), script);
        unlink(dir.file("cap000.lbm").c_str());
        ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"},
                                      {"HOME=" + dir.file("home"), "USER=tester", "VORBIX_FAST=1",
                                       "VORBIX_SCRIPT=" + dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                                      60, dir.path);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        if (shell("ilbmtoppm " + dir.file("cap000.lbm") + " > " + dir.file("cap.ppm") + " 2>/dev/null") != 0)
            return {};
        return parse_ppm(read_file(dir.file("cap.ppm")));
    }
};

// The built-in level as the demonstration shows it: '#' are bricks, '%' the
// brick that hides an enemy, drawn as a brick.
std::vector<std::string> level0_rows()
{
    std::vector<std::string> rows;
    const std::string text = run_process(VBLTOOL_BINARY, {"show", "-", "0"}).out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string row = text.substr(at, end - at);
        if (!row.empty() && row[0] != ';')
            rows.push_back(row);
        at = end + 1;
    }
    return rows;
}

bool in_brick(const std::vector<std::string>& rows, int x, int y)
{
    if (x < 32 || x >= 608 || y < 60 || y >= 420)
        return false;
    const char code = rows[size_t((y - 60) / 24)][size_t((x - 32) / 24)];
    return code == '#' || code == '%';
}

bool box_all(const RgbImage& image, int x0, int y0, int w, int h, Rgb colour)
{
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            if (!(image.pixels[size_t(y * 640 + x)] == colour))
                return false;
    return true;
}

bool box_same(const RgbImage& a, const RgbImage& b, int x0, int y0, int w, int h)
{
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            if (!(a.pixels[size_t(y * 640 + x)] == b.pixels[size_t(y * 640 + x)]))
                return false;
    return true;
}

std::string at(int frame, const std::string& event) { return std::to_string(frame) + " " + event + "\n"; }

TEST(GfxEditorLeaving, TheGameDrawsTheEditedTilesAndFontAndTheNextStartTheSavedOnes)
{
    // Edited: bg becomes colour 1 (white in every shipped set) with a right
    // click on its swatch; the four brick variants (cells 1, 13, 25, 37) and
    // the font cell of A, B, C, J, K, L (69) are cleared to it with panel
    // cell 7; Shift+S; Escape; a screenshot two frames into the demonstration.
    std::string edited = at(5, "press 283") + at(7, "mouse down 3 414 262") + at(8, "mouse up 3 414 262");
    const int cells[] = {1, 13, 25, 37, 69};
    for (int i = 0; i < 5; i++) {
        const int f = 10 + 4 * i, x = 76 + 25 * (cells[i] % 12), y = 44 + 25 * (cells[i] / 12);
        const std::string xy = std::to_string(x) + " " + std::to_string(y);
        edited += at(f, "mouse down 1 " + xy) + at(f + 1, "mouse up 1 " + xy);
        edited += at(f + 2, "mouse down 1 607 71") + at(f + 3, "mouse up 1 607 71");
    }
    edited += at(32, "down 304") + at(33, "press 115") + at(34, "up 304");
    const std::string tail = at(40, "press 27") + at(42, "press 316") + at(45, "down 308") + at(45, "press 120");
    edited += tail;
    const std::string plain = at(5, "press 283") + tail;

    GameRun a, b;
    const RgbImage shown = a.play(edited);
    const RgbImage before = b.play(plain);
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(before.width, 640);
    const std::vector<std::string> rows = level0_rows();
    ASSERT_EQ(rows.size(), 15u);

    int bricks = 0;
    for (int r = 0; r < 15; r++)
        for (int c = 0; c < 24; c++)
            if (in_brick(rows, 32 + 24 * c, 60 + 24 * r)) {
                bricks++;
                EXPECT_TRUE(box_all(shown, 32 + 24 * c, 60 + 24 * r, 24, 24, WHITE)) << "brick " << c << "," << r;
                EXPECT_FALSE(box_all(before, 32 + 24 * c, 60 + 24 * r, 24, 24, WHITE));
            }
    EXPECT_GT(bricks, 50);
    // Outside the bricks and the two text lines nothing differs.
    for (int y = 0; y < 480; y++) {
        if ((y >= 24 && y < 36) || (y >= 444 && y < 456))
            continue;
        for (int x = 0; x < 640; x++) {
            if (!in_brick(rows, x, y)) {
                ASSERT_EQ(shown.pixels[size_t(y * 640 + x)], before.pixels[size_t(y * 640 + x)]) << x << "," << y;
            }
        }
    }
    // "PRESS SPACE FOR MENU" from x 240: the A (x 304) is a solid box now, the
    // P (x 240) and E (x 256) are as they were.
    EXPECT_TRUE(box_all(shown, 304, 444, 8, 12, WHITE));
    EXPECT_FALSE(box_all(before, 304, 444, 8, 12, WHITE));
    EXPECT_TRUE(box_same(shown, before, 240, 444, 24, 12));

    // The next start with the same HOME loads the saved background set.
    const RgbImage next = a.play(at(2, "press 316") + at(5, "down 308") + at(5, "press 120"));
    ASSERT_EQ(next.width, 640);
    for (int r = 0; r < 15; r++)
        for (int c = 0; c < 24; c++) {
            if (in_brick(rows, 32 + 24 * c, 60 + 24 * r)) {
                EXPECT_TRUE(box_all(next, 32 + 24 * c, 60 + 24 * r, 24, 24, WHITE)) << "brick " << c << "," << r;
            }
        }
    EXPECT_TRUE(box_all(next, 304, 444, 8, 12, WHITE));
    struct stat info;
    EXPECT_EQ(stat(a.dir.file("home/.zuzezodov/redbrick.lbm").c_str(), &info), 0);
}

} // namespace

namespace {

TEST(GfxEditorLeaving, F2OpensTheEditorFromTheDemonstrationTheMenuAndPlay)
{
    GameRun run;
    const std::string script = at(5, "press 283") + at(10, "press 27") + at(15, "press 32") + at(20, "press 283") +
                               at(25, "press 27") + at(30, "press 27") + at(35, "press 283") + at(40, "press 27") +
                               at(45, "down 308") + at(45, "press 120");
    write_file(run.dir.file("script"), script);
    ProcessResult r = run_process(VORBIX_BINARY, {"-w", "-q"},
                                  {"HOME=" + run.dir.file("home"), "VORBIX_FAST=1",
                                   "VORBIX_SCRIPT=" + run.dir.file("script"), "SDL_VIDEODRIVER=dummy"},
                                  60, run.dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("frame 6: gfxedit level 0\nframe 11: demo level 0\nframe 16: menu level 0\n"
                         "frame 21: gfxedit level 0\nframe 26: demo level 0\nframe 31: play level 0\n"
                         "frame 36: gfxedit level 0\nframe 41: demo level 0\n"),
              std::string::npos)
        << r.err;
}

} // namespace
