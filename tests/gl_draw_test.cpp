// Pixels drawn by the OpenGL back-end under Xvfb with Mesa, read back from
// the back buffer: rectangles, the projection with its margins and pan, the
// border, text placement, textured pictures, the overlays and the screenshot.

#include "gl_display.h"
#include "glyph_oracle.h"
#include "png_read.h"
#include "png_write.h"

#include <filesystem>
#include <string>

#include <unistd.h>

using vimage::canvas;
using vimage::font;
using vimage::overlay;

namespace {

constexpr Uint32 WHITE = 0xFFFFFF;

// A scratch folder, the working folder while a test runs.
class Scratch : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("vantor-gl-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        before = std::filesystem::current_path();
    }
    void TearDown() override
    {
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }
    std::string Path(const char *name) const { return (dir / name).string(); }
    std::filesystem::path dir, before;
};

// Writes an RGB or RGBA picture of 8-bit samples, each pixel from `colour`.
template <class F>
void WritePicture(const std::string &path, int width, int height, bool alpha, F colour)
{
    png_desc d;
    d.width = width;
    d.height = height;
    d.color_type = alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    std::vector<std::vector<unsigned char>> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Uint32 c = colour(x, y); // 0xAARRGGBB
            auto &row = rows[static_cast<size_t>(y)];
            row.insert(row.end(),
                       {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                        static_cast<unsigned char>(c)});
            if (alpha) row.push_back(static_cast<unsigned char>(c >> 24));
        }
    ASSERT_TRUE(WriteBytes(path, EncodePng(d, rows)));
}

bool Near(Uint32 a, Uint32 b, int tolerance = 1)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) >
            tolerance)
            return false;
    return true;
}

} // namespace

TEST(GLDraw, RectanglesLieOnTheCanvasWithTheOddPixelAbove)
{
    OpenGLDisplay(1024, 768); // scale 25, margins 12 | 12 across, 71 | 72 down
    ImageClear();
    ImageRect(0, 0, 40, 25, WHITE);
    // In OpenGL the larger vertical margin is the one above the canvas.
    EXPECT_TRUE(SameRect(ReadFrame().LitBounds(), 12, 72, 1000, 625))
        << Str(ReadFrame().LitBounds());
    ImageClear();
    EXPECT_EQ(ReadFrame().LitBounds().w, 0); // margins included
    ImageRect(3, 3, 0, 5, WHITE);
    ImageRectFrac(3, 3, 5, 0, WHITE);
    EXPECT_EQ(ReadFrame().LitBounds().w, 0);
}

TEST(GLDraw, FractionalRectanglesAndTheMargins)
{
    OpenGLDisplay(800, 600);
    ImageClear();
    ImageRectFrac(10.5f, 2.25f, 0.3f, 0.3f, 0x261c78);
    frame f = ReadFrame();
    EXPECT_TRUE(SameRect(f.LitBounds(), 210, 95, 6, 6)) << Str(f.LitBounds());
    EXPECT_EQ(f.At(212, 97), 0x261c78u); // the colour as it stands under the hardware ramp
    // Past the canvas, into the margin above and off the window's left edge.
    ImageClear();
    ImageRect(-1, -3, 2, 3, WHITE);
    f = ReadFrame();
    EXPECT_TRUE(SameRect(f.LitBounds(), 0, 0, 20, 50)) << Str(f.LitBounds());
    ImageClear();
    ImageHorizLine(2, 3, 4, WHITE); // 7.5 to 12.5 pixels down the row: the centres
    f = ReadFrame();                // of pixels 8 to 12 (the SDL back-end truncates: 7 to 11)
    EXPECT_TRUE(SameRect(f.LitBounds(), 40, 50 + 60 + 8, 80, 5)) << Str(f.LitBounds());
}

TEST(GLDraw, PanMovesThePictureAndClearBorderFollowsIt)
{
    OpenGLDisplay(800, 600);
    ImageClear();
    ASSERT_EQ(ImagePan(64, 0), 0); // one unit right
    ImageRect(0, 0, 1, 1, WHITE);
    EXPECT_TRUE(SameRect(ReadFrame().LitBounds(), 20, 50, 20, 20)) << Str(ReadFrame().LitBounds());
    ImageClear();
    ImagePan(0, 64); // one unit up
    ImageRect(0, 0, 1, 1, WHITE);
    EXPECT_TRUE(SameRect(ReadFrame().LitBounds(), 0, 30, 20, 20)) << Str(ReadFrame().LitBounds());
    ImageClear();
    ImagePan(-1, 0); // a 64th to the left is a whole pixel at this scale
    ImageRect(1, 0, 1, 1, WHITE);
    EXPECT_TRUE(SameRect(ReadFrame().LitBounds(), 19, 50, 20, 20)) << Str(ReadFrame().LitBounds());

    // The border: everything but the canvas black, the uncovered unit included.
    ImagePan(64, 0);
    ImageRect(-5, -5, 50, 35, WHITE);
    ASSERT_EQ(ImageClearBorder(), 0);
    const frame f = ReadFrame();
    EXPECT_TRUE(SameRect(f.LitBounds(), 20, 50, 780, 500)) << Str(f.LitBounds());
    EXPECT_EQ(f.At(20, 50), WHITE);
}

TEST(GLText, GlyphsSitOnTheBaselineAtTheirBearings)
{
    OpenGLDisplay(600, 375);
    const glyph_metrics h = RenderedGlyph('H', 15);
    ImageClear();
    TextL(2, 3, "H", WHITE);
    const int baseline = 3 * 15 + font.font_offset;
    const SDL_Rect lit = ReadFrame().LitBounds();
    EXPECT_TRUE(SameRect(lit, 30 + h.left, baseline - h.top, h.width, h.rows)) << Str(lit);
}

TEST(GLText, OtherBytesAndRunsMeasureWhatTheyDraw)
{
    OpenGLDisplay(600, 375);
    const float a = static_cast<float>(font.font_width['A' - 32]) / 15;
    const float failed = static_cast<float>((3 * 15) >> 2) / 15;
    ImageClear();
    TextL(2, 5,
          "A\x01\xff"
          "B",
          WHITE);
    const frame mixed = ReadFrame();
    ImageClear();
    TextL(2, 5, "A", WHITE);
    TextL(2 + a + 2 * failed + 0.5f / 15, 5, "B", WHITE); // half a pixel: no float rounding
    EXPECT_TRUE(mixed == ReadFrame());
    EXPECT_FLOAT_EQ(TextWidth("A\x01\xff"
                              "B"),
                    a + 2 * failed + static_cast<float>(font.font_width['B' - 32]) / 15);
    // A byte alone draws nothing and leaves the matrix as it was.
    ImageClear();
    TextL(2, 5, "\x7f\x80", WHITE);
    EXPECT_EQ(ReadFrame().LitBounds().w, 0);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(GLText, CentredTextStartsWhereTheSDLBackEndStartsIt)
{
    OpenGLDisplay(600, 375);
    // Half its width is 4.7333 units, so the start is 229 pixels in float
    // arithmetic that gives 228.99999: the pen starts on 228, as in SDL, and
    // every glyph after it on whole pixels.
    const char *text = "Vantor Haulage Setup";
    const glyph_metrics v = RenderedGlyph('V', 15);
    ImageClear();
    TextC(20, 2, text, WHITE);
    const SDL_Rect lit = ReadFrame().LitBounds();
    EXPECT_EQ(lit.x, ImageX(20 - 0.5f * TextWidth(text)) + v.left) << Str(lit);
    const glyph_metrics last = RenderedGlyph('p', 15);
    int pen = ImageX(20 - 0.5f * TextWidth(text));
    for (const char *c = text; c[1]; ++c) pen += font.font_width[static_cast<size_t>(*c - 32)];
    EXPECT_EQ(lit.x + lit.w, pen + last.left + last.width) << Str(lit);
}

TEST_F(Scratch, PicturesAreTexturesOfTheirPlace)
{
    OpenGLDisplay(600, 375); // 15 pixels a unit
    std::filesystem::current_path(dir);
    // Two units by one at 64 pixels a unit: blue above red in the first unit,
    // green in the second; reduced exactly to 30 x 15 pixels.
    WritePicture("two.png", 128, 64, false, [](int x, int y) -> Uint32 {
        return x >= 64 ? 0x00FF00 : y < 32 ? 0x0000FF : 0xFF0000;
    });
    image pic{};
    ASSERT_EQ(ImageLoad(&pic, "two.png", 2, 1, 0), 0) << ImageError();
    EXPECT_FLOAT_EQ(pic.tex.texwidth, 30.0f / 32);
    EXPECT_FLOAT_EQ(pic.tex.texheight, 15.0f / 16);
    ImageClear();
    ASSERT_EQ(ImageDraw(&pic, 4, 2), 0);
    frame f = ReadFrame();
    EXPECT_TRUE(SameRect(f.LitBounds(), 60, 30, 30, 15)) << Str(f.LitBounds());
    EXPECT_EQ(f.At(60, 30), 0x0000FFu); // the picture's top row on top
    EXPECT_EQ(f.At(74, 44), 0xFF0000u);
    EXPECT_EQ(f.At(89, 30), 0x00FF00u);

    GLint min_filter = 0, mag_filter = 0;
    glBindTexture(GL_TEXTURE_2D, pic.tex.name);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag_filter);
    EXPECT_EQ(min_filter, GL_NEAREST);
    EXPECT_EQ(mag_filter, GL_NEAREST);
    ImageFree(&pic);
    EXPECT_FALSE(glIsTexture(pic.tex.name));

    // Too few pixels for its place: enlarged, so magnified linearly.
    WritePicture("small.png", 20, 10, false, [](int, int) -> Uint32 { return 0x808080; });
    ASSERT_EQ(ImageLoad(&pic, "small.png", 2, 1, 0), 0);
    glBindTexture(GL_TEXTURE_2D, pic.tex.name);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag_filter);
    EXPECT_EQ(min_filter, GL_NEAREST);
    EXPECT_EQ(mag_filter, GL_LINEAR);

    // Its own size: mipmapped, and with no place on the canvas it covers none.
    WritePicture("own.png", 120, 60, false, [](int, int) -> Uint32 { return WHITE; });
    image own{};
    ASSERT_EQ(ImageLoad(&own, "own.png", 0, 0, 0), 0);
    EXPECT_FLOAT_EQ(own.tex.texwidth, 0.9375f);
    EXPECT_FLOAT_EQ(own.tex.texheight, 0.9375f);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    EXPECT_EQ(min_filter, GL_LINEAR_MIPMAP_LINEAR);
    ImageClear();
    ImageDraw(&own, 1, 1);
    EXPECT_EQ(ReadFrame().LitBounds().w, 0);
}

TEST_F(Scratch, AlphaBlendsOverWhatIsDrawnAndFailuresLeaveTheRecord)
{
    OpenGLDisplay(600, 375);
    std::filesystem::current_path(dir);
    // White at alpha 128 (0x80), one unit.
    WritePicture("half.png", 64, 64, true, [](int, int) -> Uint32 { return 0x80FFFFFF; });
    image blended{}, opaque{};
    ASSERT_EQ(ImageLoad(&blended, "half.png", 1, 1, 1), 0);
    ASSERT_EQ(ImageLoad(&opaque, "half.png", 1, 1, 0), 0);
    ImageClear();
    ImageRect(0, 0, 4, 1, 0xFF0000);
    ImageDraw(&blended, 0, 0);
    ImageDraw(&opaque, 2, 0);
    const frame f = ReadFrame();
    EXPECT_TRUE(Near(f.At(7, 7), 0xFF8080)) << std::hex << f.At(7, 7);
    EXPECT_EQ(f.At(37, 7), WHITE);
    EXPECT_EQ(f.At(52, 7), 0xFF0000u); // the red between them
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    image kept{};
    kept.tex.name = 1234;
    kept.tex.width = 7;
    EXPECT_EQ(ImageLoad(&kept, "missing.png", 1, 1, 0), -1);
    EXPECT_EQ(kept.tex.name, 1234u);
    EXPECT_EQ(kept.tex.width, 7);
    image none{};
    EXPECT_EQ(ImageDraw(&none, 0, 0), -1);
    EXPECT_STREQ(ImageError(), "No picture loaded");
}

TEST(GLOverlays, GammaSampleStipplesHalfThePixels)
{
    OpenGLDisplay(600, 375);
    ImageClear();
    vimage::DrawGammaSample();
    const frame f = ReadFrame();
    EXPECT_EQ(f.At(300, 9 * 15 + 7), 0x808080u);  // solid half grey
    EXPECT_EQ(f.At(300, 15 * 15 + 7), 0x000080u); // solid half blue
    // Row 10 in white: every other window row (counted from the bottom, as
    // the stipple is), a checkerboard, every other column.
    for (int y = 10 * 15; y < 11 * 15; ++y) {
        const int row = 375 - 1 - y;
        for (int x = 0; x < 600; ++x) {
            const bool lit = x < 13 * 15   ? row % 2 == 0
                             : x < 27 * 15 ? (x + row) % 2 == 1
                                           : x % 2 == 1;
            ASSERT_EQ(f.At(x, y), lit ? WHITE : 0u) << x << "," << y;
        }
    }
    EXPECT_EQ(f.At(0, 12 * 15), 0xFF0000u); // row 12 in red; window row 194 is lit
    EXPECT_EQ(f.At(0, 12 * 15 + 1), 0u);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
}

TEST(GLOverlays, HelpBackdropDarkensThePicture)
{
    OpenGLDisplay(600, 375);
    ImageRect(0, 0, 40, 25, WHITE);
    overlay.show_help = 1;
    vimage::DrawOverlaysGL();
    const frame f = ReadFrame();
    EXPECT_TRUE(Near(f.At(100, 14 * 15 + 7), 0x404040)) << std::hex << f.At(100, 14 * 15 + 7);
    EXPECT_EQ(f.At(20, 14 * 15 + 7), WHITE); // left of 2.5 units
    EXPECT_EQ(f.At(100, 30), WHITE);         // above 2.5 units
}

TEST_F(Scratch, ScreenshotReadsTheBackBufferTopRowFirst)
{
    OpenGLDisplay(1024, 768);
    std::filesystem::current_path(dir);
    ImageClear();
    ImageRect(0, 0, 40, 1, 0xFF0000);  // top row of units
    ImageRect(0, 24, 40, 1, 0x0000FF); // bottom row
    ImageRect(-1, 0, 1, 25, WHITE);    // the left margin, not in the file
    const frame drawn = ReadFrame();
    overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(overlay.status.data(), "Screenshot saved.");
    const decoded_png png = ReadPng("screenshot.png");
    ASSERT_EQ(png.width, 1000);
    ASSERT_EQ(png.height, 625);
    EXPECT_NEAR(png.gamma, 1.0, 1e-5); // the hardware ramp: a linear frame buffer
    for (int y = 0; y < 625; y += 3)
        for (int x = 0; x < 1000; x += 7) {
            const png_byte *p = &png.rgb[static_cast<size_t>((y * 1000 + x) * 3)];
            ASSERT_EQ(Uint32{p[0]} << 16 | Uint32{p[1]} << 8 | p[2], drawn.At(x + 12, y + 72))
                << x << "," << y;
        }
    EXPECT_EQ(png.rgb[0], 255);
    EXPECT_EQ(png.rgb[png.rgb.size() - 1], 255);
}

TEST_F(Scratch, ScreenshotUnderSoftwareGammaRecordsTheMeanGamma)
{
    OpenGLDisplay(800, 600, 4, 22);
    std::filesystem::current_path(dir);
    ImageClear();
    ImageRect(0, 0, 40, 25, 0x808080);
    ASSERT_EQ(vimage::SaveScreenshot(), 0);
    const decoded_png png = ReadPng("screenshot.png");
    ASSERT_EQ(png.width, 800);
    ASSERT_EQ(png.height, 500);
    EXPECT_NEAR(png.gamma, 1 / 2.2, 1e-5);
    EXPECT_EQ(png.rgb[0], 186); // 128 corrected for 2.2
}
