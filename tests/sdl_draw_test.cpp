// Pixels drawn by the SDL back-end under the dummy driver: rectangles at the
// setup's own size and at a size with margins, text placement against the
// font's own metrics, the overlays and the screenshot file.

#include "display.h"
#include "glyph_oracle.h"
#include "png_read.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using vimage::canvas;
using vimage::font;
using vimage::overlay;

namespace {

constexpr Uint32 GREY = 0x4f4f4f;

bool SameRect(SDL_Rect r, int x, int y, int w, int h)
{
    return r.x == x && r.y == y && r.w == w && r.h == h;
}

std::string Str(SDL_Rect r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
           std::to_string(r.h);
}

} // namespace

TEST(SDLDraw, RectanglesAt800x600FillTheCanvasNotTheMargins)
{
    OpenDisplay(800, 600);
    ImageClear(); // a new screen surface holds whatever its memory held
    ImageRect(0, 0, 40, 25, 0xFFFFFF);
    EXPECT_TRUE(SameRect(LitBounds(), 0, 50, 800, 500)) << Str(LitBounds());
    EXPECT_EQ(ImageClear(), 0);
    EXPECT_EQ(LitBounds().w, 0); // margins included

    EXPECT_EQ(ImageRectFrac(10.5f, 2.25f, 0.3f, 0.3f, GREY), 0);
    EXPECT_TRUE(SameRect(LitBounds(), 210, 95, 6, 6)) << Str(LitBounds());
    EXPECT_EQ(PixelAt(210, 95), Corrected(GREY));
    EXPECT_EQ(Corrected(GREY), 0x959595u); // 79 -> 149 at gamma 2.2

    ImageClear();
    ImageRectFrac(1, 1, 0.04f, 1, GREY); // 0.8 pixels wide: nothing
    EXPECT_EQ(LitBounds().w, 0);
    ImageHorizLine(2, 3, 4, GREY); // 5 pixels high, 7 below the top of row 3
    EXPECT_TRUE(SameRect(LitBounds(), 40, 50 + 60 + 7, 80, 5)) << Str(LitBounds());
    ImageClear();
    ImageVertLine(2, 3, 4, GREY);
    EXPECT_TRUE(SameRect(LitBounds(), 40 + 7, 50 + 60, 5, 80)) << Str(LitBounds());
}

TEST(SDLDraw, RectanglesAtTheSetupsOwnSize)
{
    OpenDisplay(600, 375);
    ImageClear();
    ImageRect(10, 6, 20, 1, 0x19450d);
    EXPECT_TRUE(SameRect(LitBounds(), 150, 90, 300, 15)) << Str(LitBounds());
    EXPECT_EQ(PixelAt(150, 90), Corrected(0x19450d));
    // Partly off the screen: the visible part only.
    ImageClear();
    ImageRect(-2, 24, 4, 3, GREY);
    EXPECT_TRUE(SameRect(LitBounds(), 0, 360, 30, 15)) << Str(LitBounds());
    // Far off the screen: nothing, where 16-bit positions would wrap around.
    ImageClear();
    EXPECT_EQ(ImageRect(4400, 0, 2, 2, GREY), 0); // 66000 pixels to the right
    EXPECT_EQ(ImageRectFrac(-4400.0f, 0, 2, 2, GREY), 0);
    EXPECT_EQ(ImageRect(0, 0, 1 << 28, 1, GREY), 0); // width overflows int pixels
    EXPECT_TRUE(SameRect(LitBounds(), 0, 0, 600, 15)) << Str(LitBounds());
}

TEST(SDLDraw, AMissingPictureDrawsNothingAndFails)
{
    OpenDisplay();
    ImageClear();
    image none{};
    EXPECT_EQ(ImageDraw(&none, 0, 0.5f), -1);
    EXPECT_NE(ImageError(), nullptr);
    EXPECT_EQ(LitBounds().w, 0);
}

TEST(SDLText, GlyphsSitOnTheBaselineAtTheirBearings)
{
    for (int size : {15, 20}) {
        SCOPED_TRACE(size);
        OpenDisplay(40 * size, 25 * size);
        const glyph_metrics h = RenderedGlyph('H', size);
        ImageClear();
        TextL(2, 3, "H", 0xFFFFFF);
        const int baseline = ImageY(3) + font.font_offset;
        EXPECT_TRUE(SameRect(LitBounds(), ImageX(2) + h.left, baseline - h.top, h.width, h.rows))
            << Str(LitBounds());
        // The line's middle holds the middle of the face's box, so capitals
        // stand inside their one-unit line.
        EXPECT_GE(LitBounds().y, ImageY(3));
        EXPECT_LE(LitBounds().y + LitBounds().h, ImageY(4));
        // Fully covered pixels take the corrected colour exactly.
        const SDL_Rect box = LitBounds();
        Uint32 brightest = 0;
        for (int y = box.y; y < box.y + box.h; ++y)
            for (int x = box.x; x < box.x + box.w; ++x)
                brightest = std::max(brightest, PixelAt(x, y));
        EXPECT_EQ(brightest, Corrected(0xFFFFFF));
        SDL_Quit();
    }
}

TEST(SDLText, WidthsComeFromTheAdvances)
{
    OpenDisplay();
    const glyph_metrics h = RenderedGlyph('H', 15);
    const glyph_metrics space = RenderedGlyph(' ', 15);
    const glyph_metrics arrow = RenderedGlyph(0x2190, 15);
    EXPECT_FLOAT_EQ(TextWidth("HH"), static_cast<float>(2 * h.advance) / 15);
    EXPECT_FLOAT_EQ(TextWidth(" "),
                    static_cast<float>(space.advance) / 15); // a blank glyph is no failure
    EXPECT_FLOAT_EQ(TextWidth("_"),
                    static_cast<float>(arrow.advance) / 15); // drawn as the leftwards arrow
    EXPECT_FLOAT_EQ(TextWidth(""), 0.0f);
    // Bytes without a glyph measure three quarters of a unit, rounded down.
    EXPECT_FLOAT_EQ(TextWidth("\x01\xff"), 2 * 11 / 15.0f);
}

TEST(SDLText, AlignmentAndBytesWithoutGlyphs)
{
    OpenDisplay();
    ImageClear();
    TextR(39, 1, "Right", 0xFFFFFF);
    const SDL_Rect right = LitBounds();
    EXPECT_LE(right.x + right.w, ImageX(39));
    EXPECT_GE(right.x + right.w, ImageX(39) - 2);

    ImageClear();
    TextC(20, 5, "Centred text", 0xFFFFFF);
    const SDL_Rect centre = LitBounds();
    EXPECT_NEAR(centre.x + centre.w / 2.0, ImageX(20), 2.0);

    // Bytes outside 32..126 draw nothing but advance the pen.
    ImageClear();
    TextL(2, 3, "\x7f\x80\xff\n", 0xFFFFFF);
    EXPECT_EQ(LitBounds().w, 0);
    TextL(2, 3, "\x01H", 0xFFFFFF);
    const glyph_metrics h = RenderedGlyph('H', 15);
    EXPECT_EQ(LitBounds().x, ImageX(2) + 11 + h.left);
}

TEST(SDLText, GlyphsRememberTheirColour)
{
    OpenDisplay();
    const vimage::sdl_char &a = font.font_chars['A' - 32];
    EXPECT_EQ(a.col, 0u);
    TextL(1, 1, "A", 0x808080);
    EXPECT_EQ(a.col, Corrected(0x808080));
    TextL(1, 1, "A", 0xFFFFFF);
    EXPECT_EQ(a.col, 0xFFFFFFu);
    // The coverage survives repainting.
    ImageClear();
    TextL(1, 1, "A", 0xFFFFFF);
    const SDL_Rect white = LitBounds();
    ImageClear();
    TextL(1, 1, "A", 0x808080);
    EXPECT_TRUE(SameRect(LitBounds(), white.x, white.y, white.w, white.h));
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
    // The title and the key names are bright green.
    const SDL_Rect title = LitBounds(0, 50 + 60, 800, 50 + 80);
    EXPECT_NE(title.w, 0);
}

TEST(Overlays, FrameRateIsShownWhole)
{
    OpenDisplay();
    overlay.show_fps = 1;
    overlay.fps = 1234;
    overlay.fps_start = SDL_GetTicks(); // the second has just begun
    ImageClear();
    ImageUpdate();
    const SDL_Rect text = LitBounds(0, 15, 600, 30);
    EXPECT_NEAR(text.w, TextWidth("1234 fps") * 15, 3.0);
    EXPECT_LE(text.x + text.w, ImageX(39));
}

TEST(Overlays, StatusLineShowsForOneSecondThenOnce)
{
    OpenDisplay();
    ImageStatus("Hello");
    ImageClear();
    ImageUpdate();
    EXPECT_NE(LitBounds(0, 23 * 15, 600, 24 * 15).w, 0);
    overlay.status_time = SDL_GetTicks() - 1000;
    ImageClear();
    ImageUpdate(); // shown once more, then emptied
    EXPECT_NE(LitBounds(0, 23 * 15, 600, 24 * 15).w, 0);
    EXPECT_EQ(overlay.status[0], '\0');
    ImageClear();
    ImageUpdate();
    EXPECT_EQ(LitBounds(0, 23 * 15, 600, 24 * 15).w, 0);
}

TEST(FrameCounter, CountsWholeSecondsAndCatchesUpAfterAPause)
{
    vimage::overlay_state o;
    o.fps_start = 1000;
    for (Uint32 t = 1000; t < 2000; t += 10) {
        vimage::RollFrameCounter(o, t);
        ++o.frames_this_sec;
    }
    EXPECT_EQ(o.fps, 0); // the first second shows 0
    vimage::RollFrameCounter(o, 2000);
    EXPECT_EQ(o.fps, 100);
    EXPECT_EQ(o.fps_start, 2000u);
    ++o.frames_this_sec;
    // After five seconds without frames: the interrupted second's count, then
    // one second closed per frame, each with a rate of 1.
    vimage::RollFrameCounter(o, 7500);
    EXPECT_EQ(o.fps, 1);
    EXPECT_EQ(o.fps_start, 3000u);
    ++o.frames_this_sec;
    vimage::RollFrameCounter(o, 7510);
    EXPECT_EQ(o.fps, 1);
    EXPECT_EQ(o.fps_start, 4000u);
    // Tick counts wrap around after 49 days.
    o.fps_start = 0xFFFFFF00u;
    vimage::RollFrameCounter(o, 0x100);
    EXPECT_EQ(o.fps_start, 0xFFFFFF00u);
    vimage::RollFrameCounter(o, 0x2E8);
    EXPECT_EQ(o.fps_start, 0xFFFFFF00u + 1000);
}

// Screenshots, written in a scratch folder.
namespace {

class Screenshot : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir =
            std::filesystem::temp_directory_path() / ("vantor-shot-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        before = std::filesystem::current_path();
    }
    void TearDown() override
    {
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir, before;
};

} // namespace

TEST_F(Screenshot, HoldsTheCanvasTopRowFirstWithoutMargins)
{
    OpenDisplay(800, 600);
    std::filesystem::current_path(dir);
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
    const Uint8 *top = &png.rgb[0];
    const Uint8 *bottom = &png.rgb[(499 * 800 + 799) * 3];
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(bottom[0], 0);
    EXPECT_EQ(bottom[2], 255);
    // Every pixel is the screen's, but for the status line drawn after it.
    for (int y = 0; y < 23 * 20; y += 7)
        for (int x = 0; x < 800; x += 13) {
            const Uint8 *p = &png.rgb[static_cast<size_t>((y * 800 + x) * 3)];
            ASSERT_EQ(Uint32{p[0]} << 16 | Uint32{p[1]} << 8 | p[2], PixelAt(x, y + 50));
        }
}

TEST_F(Screenshot, TheSetupsWindowGivesTheWholeWindow)
{
    OpenDisplay(600, 375);
    std::filesystem::current_path(dir);
    ASSERT_EQ(vimage::SaveScreenshot(), 0);
    ImageRect(0, 0, 1, 1, 0xFFFFFF);
    ASSERT_EQ(vimage::SaveScreenshot(), 0); // the second replaces the first
    const decoded_png png = ReadPng("screenshot.png");
    EXPECT_EQ(png.width, 600);
    EXPECT_EQ(png.height, 375);
    EXPECT_EQ(png.rgb[0], 255);
}

TEST_F(Screenshot, AFileThatCannotBeCreatedIsReported)
{
    OpenDisplay();
    std::filesystem::current_path(dir);
    std::filesystem::create_directory("screenshot.png"); // not writable as a file, even by root
    overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(overlay.status.data(), "Screenshot failed.");
    EXPECT_STREQ(ImageError(), "Could not create screenshot file");
}
