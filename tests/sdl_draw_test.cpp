// Pixels drawn by the SDL back-end under the dummy driver: rectangles at the
// setup's own size and at a size with margins, text placement against the
// font's own metrics, the overlays and the screenshot file.

#include "display.h"
#include "glyph_oracle.h"
#include "png_read.h"
#include "portable.h"

using vimage::font;
using vimage::overlay;

namespace {

constexpr Uint32 GREY = 0x4f4f4f;

} // namespace

TEST(SDLDraw, RectanglesAt800x600FillTheCanvasNotTheMargins)
{
    OpenDisplay(800, 600);
    ImageClear(); // a new screen surface holds whatever its memory held
    ImageRect(0, 0, 40, 25, 0xFFFFFF);
    EXPECT_EQ(Lit(), "0,50 800x500");
    EXPECT_EQ(ImageClear(), 0);
    EXPECT_EQ(Lit(), "none"); // margins included
    EXPECT_EQ(ImageRectFrac(10.5f, 2.25f, 0.3f, 0.3f, GREY), 0);
    EXPECT_EQ(Lit(), "210,95 6x6");
    EXPECT_EQ(PixelAt(210, 95), 0x959595u); // 79 -> 149 at gamma 2.2
    ImageClear();
    ImageRectFrac(1, 1, 0.04f, 1, GREY); // 0.8 pixels wide: nothing
    EXPECT_EQ(Lit(), "none");
    ImageHorizLine(2, 3, 4, GREY); // 5 pixels high, 7 below the top of row 3
    EXPECT_EQ(Lit(), "40,117 80x5");
    ImageClear();
    ImageVertLine(2, 3, 4, GREY);
    EXPECT_EQ(Lit(), "47,110 5x80");
}

TEST(SDLDraw, RectanglesAtTheSetupsOwnSize)
{
    OpenDisplay(600, 375);
    ImageClear();
    ImageRect(10, 6, 20, 1, 0x19450d);
    EXPECT_EQ(Lit(), "150,90 300x15");
    EXPECT_EQ(PixelAt(150, 90), Corrected(0x19450d));
    // Partly off the screen: the visible part only; far off: nothing, where
    // 16-bit positions would wrap around.
    ImageClear();
    ImageRect(-2, 24, 4, 3, GREY);
    EXPECT_EQ(Lit(), "0,360 30x15");
    ImageClear();
    EXPECT_EQ(ImageRect(4400, 0, 2, 2, GREY), 0); // 66000 pixels to the right
    EXPECT_EQ(ImageRectFrac(-4400.0f, 0, 2, 2, GREY), 0);
    EXPECT_EQ(ImageRect(0, 0, 1 << 28, 1, GREY), 0); // width overflows int pixels
    EXPECT_EQ(Lit(), "0,0 600x15");
    image none{};
    EXPECT_EQ(ImageDraw(&none, 0, 0.5f), -1); // a missing picture
    EXPECT_NE(ImageError(), nullptr);
}

TEST(SDLText, GlyphsSitOnTheBaselineAtTheirBearings)
{
    for (auto [size, baseline] : {std::pair{15, 12}, std::pair{20, 16}}) { // below the line's top
        SCOPED_TRACE(size);
        OpenDisplay(40 * size, 25 * size);
        const glyph_metrics h = RenderedGlyph('H', size);
        ImageClear();
        TextL(2, 3, "H", 0xFFFFFF);
        const frame f = ReadScreen();
        const SDL_Rect box = f.Bounds();
        EXPECT_EQ(
            std::vector<int>({box.x, box.y, box.w, box.h}),
            std::vector<int>({ImageX(2) + h.left, ImageY(3) + baseline - h.top, h.width, h.rows}));
        // Capitals stand inside their one-unit line.
        EXPECT_GE(box.y, ImageY(3));
        EXPECT_LE(box.y + box.h, ImageY(4));
        // Fully covered pixels take the corrected colour exactly.
        EXPECT_EQ(*std::max_element(f.pixels.begin(), f.pixels.end()), Corrected(0xFFFFFF));
        SDL_Quit();
    }
}

TEST(SDLText, WidthsAlignmentAndBytesWithoutGlyphs)
{
    OpenDisplay();
    const glyph_metrics h = RenderedGlyph('H', 15);
    auto units = [](int pixels) { return static_cast<float>(pixels) / 15; };
    EXPECT_FLOAT_EQ(TextWidth("HH"), units(2 * h.advance));
    EXPECT_FLOAT_EQ(TextWidth(" "), units(RenderedGlyph(' ', 15).advance));    // blank, no failure
    EXPECT_FLOAT_EQ(TextWidth("_"), units(RenderedGlyph(0x2190, 15).advance)); // an arrow
    EXPECT_FLOAT_EQ(TextWidth(""), 0.0f);
    // Bytes without a glyph measure three quarters of a unit, rounded down,
    // draw nothing and advance the pen.
    EXPECT_FLOAT_EQ(TextWidth("\x01\xff"), units(2 * 11));
    ImageClear();
    TextL(2, 3, "\x7f\x80\xff\n", 0xFFFFFF);
    EXPECT_EQ(Lit(), "none");
    TextL(2, 3, "\x01H", 0xFFFFFF);
    EXPECT_EQ(ReadScreen().Bounds().x, ImageX(2) + 11 + h.left);

    ImageClear();
    TextR(39, 1, "Right", 0xFFFFFF);
    const SDL_Rect right = ReadScreen().Bounds();
    EXPECT_LE(right.x + right.w, ImageX(39));
    EXPECT_GE(right.x + right.w, ImageX(39) - 2);
    ImageClear();
    TextC(20, 5, "Centred text", 0xFFFFFF);
    const SDL_Rect centre = ReadScreen().Bounds();
    EXPECT_NEAR(centre.x + centre.w / 2.0, ImageX(20), 2.0);
}

TEST(SDLText, GlyphsRememberTheirColour)
{
    OpenDisplay();
    const vimage::sdl_char &a = vimage::sdl_glyphs.chars['A' - 32];
    ImageClear();
    TextL(1, 1, "A", 0xFFFFFF);
    const std::string white = Lit();
    EXPECT_EQ(a.col, 0xFFFFFFu);
    ImageClear();
    TextL(1, 1, "A", 0x808080);
    EXPECT_EQ(a.col, Corrected(0x808080));
    EXPECT_EQ(Lit(), white); // the coverage survives repainting
}

TEST(Overlays, HelpScreenBackdropIsPlainDarkGrey)
{
    OpenDisplay(800, 600);
    overlay.show_help = 1;
    ImageClear();
    ImageUpdate();
    // From canvas point (2.5, 2.5), 35 x 20 units, not gamma-corrected.
    EXPECT_EQ(PixelAt(50, 100), 0x202020u);
    EXPECT_EQ(PixelAt(749, 499), 0x202020u);
    EXPECT_EQ(PixelAt(49, 100), 0u);
    EXPECT_EQ(PixelAt(750, 499), 0u);
    EXPECT_EQ(PixelAt(50, 500), 0u);
    const frame f = ReadScreen(); // the title and the key names are bright green
    EXPECT_TRUE(std::any_of(f.pixels.begin(), f.pixels.end(),
                            [](Uint32 p) { return (p >> 8 & 0xff) > 0xC0 && p >> 16 < 0x40; }));
}

TEST(Overlays, FrameRateWholeAndStatusLineForOneSecondThenOnce)
{
    OpenDisplay();
    overlay.show_fps = 1;
    overlay.fps = 1234;
    overlay.fps_start = SDL_GetTicks(); // the second has just begun
    ImageStatus("Hello");
    ImageClear();
    ImageRect(10, 23, 20, 1, 0x19450d); // an item's bar on the status line's row
    ImageUpdate();
    ExpectStatusOnBand(ReadScreen(), Corrected(0x19450d));
    const SDL_Rect fps = ReadScreen().Bounds(0, 15, 600, 30);
    EXPECT_NEAR(fps.w, TextWidth("1234 fps") * 15, 3.0);
    EXPECT_LE(fps.x + fps.w, ImageX(39));
    EXPECT_NE(Lit(0, 345, 600, 360), "none");
    overlay.status_time = SDL_GetTicks() - 1000;
    ImageClear();
    ImageUpdate(); // shown once more, then emptied
    EXPECT_NE(Lit(0, 345, 600, 360), "none");
    EXPECT_EQ(overlay.status[0], '\0');
    ImageClear();
    ImageUpdate();
    EXPECT_EQ(Lit(0, 345, 600, 360), "none");
}

TEST(FrameCounter, CountsWholeSecondsAndCatchesUpAfterAPause)
{
    vimage::overlay_state o;
    o.fps_start = 1000;
    for (Uint32 t = 1000; t < 2000; t += 10, ++o.frames_this_sec) vimage::RollFrameCounter(o, t);
    EXPECT_EQ(o.fps, 0); // the first second shows 0
    vimage::RollFrameCounter(o, 2000);
    EXPECT_EQ(o.fps, 100);
    ++o.frames_this_sec;
    // After a pause: the interrupted second's count, then one second closed
    // per frame, each with a rate of 1.
    vimage::RollFrameCounter(o, 7500);
    EXPECT_EQ(o.fps, 1);
    EXPECT_EQ(o.fps_start, 3000u);
    ++o.frames_this_sec;
    vimage::RollFrameCounter(o, 7510);
    EXPECT_EQ(o.fps_start, 4000u);
    // Tick counts wrap around after 49 days.
    o.fps_start = 0xFFFFFF00u;
    vimage::RollFrameCounter(o, 0x100);
    EXPECT_EQ(o.fps_start, 0xFFFFFF00u);
    vimage::RollFrameCounter(o, 0x2E8);
    EXPECT_EQ(o.fps_start, 0xFFFFFF00u + 1000);
}

// Screenshots, written in a scratch folder.
TEST(Screenshot, HoldsTheCanvasTopRowFirstWithoutMargins)
{
    OpenDisplay(800, 600);
    const scratch_dir scratch;
    ImageClear();
    ImageRect(0, 0, 40, 1, 0xFF0000);  // top row of units
    ImageRect(0, 24, 40, 1, 0x0000FF); // bottom row
    overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(overlay.status.data(), "Screenshot saved.");
    EXPECT_EQ(overlay.save_screenshot, 0);
    const decoded_png png = ReadPng("screenshot.png");
    ASSERT_EQ(png.width, 800);
    ASSERT_EQ(png.height, 500);
    EXPECT_NEAR(png.gamma, 1 / 2.2, 1e-5);
    // Every pixel is the screen's, but for the status line drawn after it.
    for (int y = 0; y < 23 * 20; y += 7)
        for (int x = 0; x < 800; x += 13) ASSERT_EQ(png.At(x, y), PixelAt(x, y + 50));
    EXPECT_EQ(png.At(0, 0), 0xFF0000u);
    EXPECT_EQ(png.At(799, 499), 0x0000FFu);
}

TEST(Screenshot, TheSetupsWindowReplacedWholeOrKeptOnFailure)
{
    OpenDisplay(600, 375);
    const scratch_dir scratch;
    ASSERT_EQ(vimage::SaveScreenshot(), 0);
    ImageRect(0, 0, 1, 1, 0xFFFFFF);
    ASSERT_EQ(vimage::SaveScreenshot(), 0); // the second replaces the first
    auto kept = [] {
        const decoded_png png = ReadPng("screenshot.png");
        return png.width == 600 && png.height == 375 && png.At(0, 0) == Corrected(0xFFFFFF);
    };
    EXPECT_TRUE(kept());
    // A failure leaves that screenshot and no temporary file: the temporary
    // file's name taken by a folder (in the way even of root), a full disk.
    ImageClear();
    for (const bool full : {false, true}) {
        if (full && !no_file_growth::supported) continue;
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
        EXPECT_TRUE(kept());
        EXPECT_EQ(std::filesystem::remove("screenshot.png.new"), !full);
    }
}
