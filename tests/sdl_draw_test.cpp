// The SDL back-end under the dummy driver: rectangles, text against
// FreeType's own metrics, the overlays and the screenshot file.

#include "display.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fstream>
#include <functional>
#include <iterator>

using vimage::overlay;

namespace {

constexpr Uint32 GREY = 0x4f4f4f, WHITE = 0xFFFFFF;

// A glyph as FreeType renders it at 15 pixels a unit: bearings, size, advance.
std::vector<int> RenderedGlyph(unsigned long code)
{
    FT_Library lib;
    FT_Face face;
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, "vantor.ttf", 0, &face), 0);
    EXPECT_EQ(FT_Set_Char_Size(face, 0, 15 * 320 / 6, 0, 0), 0);
    EXPECT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
    const FT_GlyphSlot g = face->glyph;
    const std::vector<int> m{g->bitmap_left, g->bitmap_top, static_cast<int>(g->bitmap.width),
                             static_cast<int>(g->bitmap.rows),
                             static_cast<int>((g->advance.x + 32) >> 6)};
    FT_Done_FreeType(lib);
    return m;
}

} // namespace

TEST(SDLDraw, RectanglesFillTheCanvasNotTheMarginsAndClip)
{
    Open(BACKEND_SDL, 800, 600);
    // Clipped to the screen (also where 16-bit positions would wrap), truncated to pixels.
    const std::pair<std::function<void()>, const char *> cases[] = {
        {[] { ImageRect(0, 0, 40, 25, WHITE); }, "0,50 800x500"},
        {[] { ImageRectFrac(10.5f, 2.25f, 0.3f, 0.3f, GREY); }, "210,95 6x6"},
        {[] { ImageRectFrac(1, 1, 0.04f, 1, GREY); }, "none"}, // 0.8 pixels wide
        {[] { ImageHorizLine(2, 3, 4, GREY); }, "40,117 80x5"},
        {[] { ImageVertLine(2, 3, 4, GREY); }, "47,110 5x80"},
        {[] { ImageRect(-2, 27, 4, 3, GREY); }, "0,590 40x10"},
        {[] { ImageRect(3300, 0, 2, 2, GREY), ImageRectFrac(-3300.0f, 0, 2, 2, GREY); }, "none"},
        {[] { ImageRect(0, 0, 1 << 28, 1, GREY); }, "0,50 800x20"}, // width overflows int pixels
    };
    for (const auto &[draw, lit] : cases) {
        EXPECT_EQ(ImageClear(), 0);
        draw();
        EXPECT_EQ(Frame().Lit(), lit) << lit;
    }
    EXPECT_EQ(Frame().At(0, 50), 0x959595u); // 79 -> 149 at gamma 2.2
}

// Glyphs at FreeType's bearings and advances; bytes without one draw nothing
// and measure three quarters of a unit, rounded down.
TEST(SDLText, GlyphsWidthsAlignmentAndBytesWithoutGlyphs)
{
    Open(); // 15 pixels a unit
    const std::vector<int> h = RenderedGlyph('H');
    TextL(2, 3, "H", 0x808080);
    const frame f = Frame();
    EXPECT_EQ(f.Bounds(), std::vector({30 + h[0], 45 + 12 - h[1], h[2], h[3]}));
    EXPECT_EQ(*std::max_element(f.pixels.begin(), f.pixels.end()), 0xBABABAu);
    // "HH", a blank, an arrow for the underscore.
    auto units = [](int pixels) { return static_cast<float>(pixels) / 15.0f; };
    EXPECT_EQ(std::vector({TextWidth("HH"), TextWidth(" "), TextWidth("_"), TextWidth("\x01\xff")}),
              std::vector({units(2 * h[4]), units(RenderedGlyph(' ')[4]),
                           units(RenderedGlyph(0x2190)[4]), units(2 * 11)}));
    ImageClear();
    TextL(2, 3, "\x7f\x80\xff\n", WHITE);
    EXPECT_EQ(Frame().Lit(), "none");
    TextL(2, 3, "\x01H", WHITE);
    EXPECT_EQ(Frame().Bounds()[0], 30 + 11 + h[0]);
    // Right and centre alignment, to within the glyphs' side bearings.
    ImageClear();
    TextR(39, 1, "Right", WHITE);
    TextC(20, 5, "Centred text", WHITE);
    const std::vector<int> right = Frame().Bounds(0, 15, 600, 30);
    EXPECT_NEAR(right[0] + right[2], 585 - 1, 1);
    const std::vector<int> centre = Frame().Bounds(0, 75, 600, 90);
    EXPECT_NEAR(centre[0] + centre[2] / 2.0, 300, 2.0);
}

TEST(Overlays, HelpBackdropFrameRateAndStatusLine)
{
    Open(BACKEND_SDL, 800, 600);
    overlay.show_help = overlay.show_fps = 1;
    overlay.fps = 1234;
    overlay.fps_start = SDL_GetTicks(); // the second has just begun
    ImageStatus("Hello");
    ImageRect(10, 23, 20, 1, 0x19450d); // an item's bar on the status line's row
    ImageUpdate();
    const frame f = Frame();
    // The status in green on black half a unit beyond it either side, the bar beyond.
    const Uint32 bar = vimage::ImageGammaRGB(0x19450d);
    const int half = static_cast<int>((TextWidth("Hello") / 2 + 0.5f) * 20);
    for (int y = 510; y < 530; ++y)
        EXPECT_EQ(std::vector({f.At(398 - half, y), f.At(402 - half, y), f.At(397 + half, y),
                               f.At(401 + half, y)}),
                  std::vector({bar, 0u, 0u, bar}))
            << y;
    auto green_in = [&](int y0, int y1) {
        return std::count(f.pixels.begin() + y0 * 800, f.pixels.begin() + y1 * 800, 0x00FF00);
    };
    EXPECT_GT(green_in(510, 530), 0);
    // The help backdrop: units (2.5, 2.5) to (37.5, 22.5), dark grey not gamma-corrected.
    const std::tuple<int, int, Uint32> backdrop[] = {
        {50, 100, 0x202020}, {749, 499, 0x202020}, {49, 100, 0}, {750, 499, 0}, {50, 500, 0}};
    for (auto [x, y, colour] : backdrop) EXPECT_EQ(f.At(x, y), colour) << x << "," << y;
    EXPECT_GT(green_in(100, 500), 0);
    const std::vector<int> fps = f.Bounds(0, 70, 800, 90); // right-aligned on row 1
    EXPECT_NEAR(fps[2], TextWidth("1234 fps") * 20, 3.0);
    EXPECT_LE(fps[0] + fps[2], ImageX(39));
    // The status line stays for a second, then for one more frame.
    overlay.show_help = overlay.show_fps = 0;
    overlay.status_time = SDL_GetTicks() - 1000;
    for (bool shown : {true, false}) {
        ImageClear();
        ImageUpdate();
        EXPECT_EQ(Frame().Lit(0, 510, 800, 530) != "none", shown);
    }
}

// A second closes when it is over, also across the tick counter's wrap-around.
TEST(FrameCounter, ClosesASecondWhenItIsOver)
{
    // Start, frames, now; then the rate shown (-1: as it was), the next start and count.
    const std::tuple<Uint32, int, Uint32, int, Uint32, int> seconds[] = {
        {1000, 99, 1999, -1, 1000, 99},
        {1000, 100, 2000, 100, 2000, 0},
        {2000, 1, 7500, 1, 3000, 0},
        {0xFFFFFF00, 5, 0x2E7, -1, 0xFFFFFF00, 5},
        {0xFFFFFF00, 5, 0x2E8, 5, 0xFFFFFF00 + 1000, 0}};
    for (auto [start, frames, now, fps, next, count] : seconds) {
        vimage::overlay_state o;
        o.fps = -1, o.fps_start = start, o.frames_this_sec = frames;
        vimage::RollFrameCounter(o, now);
        EXPECT_EQ(std::tuple(o.fps, o.fps_start, o.frames_this_sec), std::tuple(fps, next, count))
            << now;
    }
}

// The canvas without margins, gAMA 1/2.2; each replaces the last, a failure none.
TEST(Screenshot, HoldsTheCanvasOrReportsAFailure)
{
    Open(BACKEND_SDL, 800, 600);
    const scratch_dir scratch;
    ImageRect(0, 0, 40, 1, 0xFF0000);  // top row of units
    ImageRect(0, 24, 40, 1, 0x0000FF); // bottom row
    ASSERT_EQ(vimage::SaveScreenshot(), 0);
    ImageRect(0, 12, 40, 1, WHITE);
    const frame f = Frame();
    ImageStatus("Not in the file"); // drawn after the screenshot
    overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(overlay.status.data(), "Screenshot saved.");
    const frame png = ReadPng("screenshot.png");
    EXPECT_TRUE(png.pixels == std::vector(f.pixels.begin() + 50 * 800, f.pixels.end() - 50 * 800));
    std::ifstream in("screenshot.png", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(bytes.find(std::string("gAMA\0\0\xb1\x8f", 8)), std::string::npos); // 45455
    // The temporary file's name taken by a folder (even for root), a full disk.
    ImageClear();
    for (const bool full : {false, no_file_growth::supported}) {
        SCOPED_TRACE(full ? "full disk" : "folder in the way");
        if (!full) std::filesystem::create_directory("screenshot.png.new");
        {
            const no_file_growth limit(full);
            overlay.save_screenshot = 1;
            ImageUpdate();
        }
        EXPECT_STREQ(overlay.status.data(), "Screenshot failed.");
        EXPECT_STREQ(ImageError(),
                     full ? "Could not write image" : "Could not create screenshot file");
        EXPECT_EQ(ReadPng("screenshot.png").pixels, png.pixels); // kept
        EXPECT_EQ(std::filesystem::remove("screenshot.png.new"), !full);
    }
}
