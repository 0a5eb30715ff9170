// Pixels drawn by the OpenGL back-end under Xvfb with Mesa, read back from
// the back buffer: rectangles and the projection with its margins and pan,
// text placement, textured pictures, the gamma sample, the status line and the
// screenshot.

#include "gl_display.h"
#include "glyph_oracle.h"
#include "png_read.h"
#include "png_write.h"

using vimage::font;

namespace {

constexpr Uint32 WHITE = 0xFFFFFF;

// Writes an RGBA picture, each pixel 0xAARRGGBB from `colour`.
template <class F>
void WritePicture(const char *path, int width, int height, F colour)
{
    png_desc d;
    d.width = width;
    d.height = height;
    d.color_type = PNG_COLOR_TYPE_RGBA;
    std::vector<std::vector<unsigned char>> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int shift : {16, 8, 0, 24})
                rows[static_cast<size_t>(y)].push_back(
                    static_cast<unsigned char>(colour(x, y) >> shift));
    ASSERT_TRUE(WriteBytes(path, EncodePng(d, rows)));
}

GLint Filter(const image &pic, GLenum which)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, pic.tex.name);
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}

} // namespace

TEST(GLDraw, RectanglesMarginsAndPan)
{
    OpenGLDisplay(1024, 768); // scale 25; margins 12 | 12 across, 71 | 72 down
    ImageClear();
    ImageRect(0, 0, 40, 25, WHITE);
    EXPECT_EQ(ReadFrame().Lit(), "12,72 1000x625"); // the odd pixel above the canvas
    ImageClear();
    ImageRect(3, 3, 0, 5, WHITE);
    EXPECT_EQ(ReadFrame().Lit(), "none");
    // 274.75 to 282.25 pixels across: the pixels whose centres lie inside
    // (the SDL back-end truncates to 274 and 7 pixels).
    ImageRectFrac(10.51f, 2.24f, 0.3f, 0.32f, 0x261c78);
    EXPECT_EQ(ReadFrame().Lit(), "275,128 7x8");
    EXPECT_EQ(ReadFrame().At(277, 130), 0x261c78u); // unchanged under the gamma ramp
    ImageClear();
    ImageRect(-1, -3, 2, 3, WHITE); // into the margins, off the window's left edge
    EXPECT_EQ(ReadFrame().Lit(), "0,0 37x72");
    ImageClear();
    ASSERT_EQ(ImagePan(64, -64), 0); // one unit right and one down
    ImageRect(0, 0, 1, 1, WHITE);
    EXPECT_EQ(ReadFrame().Lit(), "37,97 25x25");
    ImagePan(-1, 0); // a 64th of a unit left is a whole pixel
    ImageClear();
    ImageRect(0, 0, 1, 1, WHITE);
    EXPECT_EQ(ReadFrame().Lit(), "11,72 25x25");
    // The border: all but the canvas black, the units the pan uncovers too.
    ImagePan(64, 0);
    ImageRect(-5, -5, 50, 35, WHITE);
    ASSERT_EQ(ImageClearBorder(), 0);
    EXPECT_EQ(ReadFrame().Lit(), "37,72 987x625");
}

TEST(GLText, GlyphsAtTheirBearingsAndOtherBytesAsMeasured)
{
    OpenGLDisplay(600, 375);
    const glyph_metrics h = RenderedGlyph('H', 15);
    ImageClear();
    TextL(2, 3, "H", WHITE);
    const SDL_Rect box = ReadFrame().Bounds();
    EXPECT_EQ(
        std::vector<int>({box.x, box.y, box.w, box.h}),
        std::vector<int>({30 + h.left, 45 + 12 - h.top, h.width, h.rows})); // baseline 12 down
    // Bytes outside 32..126 draw nothing and move the pen by what they measure.
    const int a = font.font_width['A' - 32], failed = (3 * 15) >> 2;
    ImageClear();
    TextL(2, 5,
          "A\x01\xff"
          "B",
          WHITE);
    const frame mixed = ReadFrame();
    ImageClear();
    TextL(2, 5, "A", WHITE);
    TextL(static_cast<float>(30 + a + 2 * failed) / 15 + 0.01f, 5, "B", WHITE);
    EXPECT_TRUE(mixed == ReadFrame());
    EXPECT_FLOAT_EQ(TextWidth("A\x01\xff"
                              "B"),
                    static_cast<float>(a + 2 * failed + font.font_width['B' - 32]) / 15);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(GLDraw, PicturesAreTexturesOfTheirPlace)
{
    OpenGLDisplay(600, 375); // 15 pixels a unit
    const scratch_dir scratch;
    // Two units by one at 64 pixels a unit: blue above red in the first
    // unit, white at alpha 0x80 in the second; reduced exactly to 30 x 15.
    WritePicture("two.png", 128, 64, [](int x, int y) -> Uint32 {
        return x >= 64 ? 0x80FFFFFF : y < 32 ? 0xFF0000FF : 0xFFFF0000;
    });
    image opaque{}, blended{};
    ASSERT_EQ(ImageLoad(&opaque, "two.png", 2, 1, 0), 0) << ImageError();
    ASSERT_EQ(ImageLoad(&blended, "two.png", 2, 1, 1), 0) << ImageError();
    EXPECT_FLOAT_EQ(opaque.tex.texwidth, 30.0f / 32);
    EXPECT_FLOAT_EQ(opaque.tex.texheight, 15.0f / 16);
    EXPECT_EQ(Filter(opaque, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    ImageClear();
    ImageRect(0, 4, 40, 1, 0x00FF00);
    ImageDraw(&opaque, 4, 2);
    ImageDraw(&blended, 4, 4);
    const frame f = ReadFrame();
    EXPECT_EQ(f.Lit(), "0,30 600x45");
    EXPECT_EQ(f.At(60, 30), 0x0000FFu); // the picture's top row on top
    EXPECT_EQ(f.At(74, 44), 0xFF0000u);
    EXPECT_EQ(f.At(89, 30), WHITE);           // no alpha: opaque
    EXPECT_EQ(f.At(90, 30), 0u);              // its right edge
    EXPECT_NEAR(f.At(89, 60) >> 16, 0x80, 1); // alpha: white over green
    EXPECT_EQ(f.At(89, 60) >> 8 & 0xff, 0xFFu);
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_2D));
    ImageFree(&opaque);
    EXPECT_FALSE(glIsTexture(opaque.tex.name));
    // Fewer pixels than its place: magnified linearly. Its own size:
    // mipmapped, and without a place it covers nothing.
    WritePicture("small.png", 20, 10, [](int, int) -> Uint32 { return 0xFF808080; });
    image small{}, own{};
    ASSERT_EQ(ImageLoad(&small, "small.png", 2, 1, 0), 0);
    EXPECT_EQ(Filter(small, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(Filter(small, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    ASSERT_EQ(ImageLoad(&own, "two.png", 0, 0, 0), 0);
    EXPECT_EQ(Filter(own, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    ImageClear();
    ImageDraw(&own, 1, 1);
    EXPECT_EQ(ReadFrame().Lit(), "none");
    image none{};
    EXPECT_EQ(ImageDraw(&none, 0, 0), -1);
}

TEST(GLOverlays, GammaSampleStipplesHalfThePixelsStatusLineOnItsBand)
{
    OpenGLDisplay(600, 375);
    ImageClear();
    vimage::DrawGammaSample();
    const frame f = ReadFrame();
    EXPECT_EQ(f.At(300, 9 * 15), 0x808080u);  // solid half grey
    EXPECT_EQ(f.At(300, 15 * 15), 0x000080u); // solid half blue
    // Row 10 in white: every other window row (counted from the bottom, as
    // the stipple is), a checkerboard, every other column.
    for (int y = 10 * 15; y < 11 * 15; ++y)
        for (int x = 0; x < 600; ++x) {
            const int row = 374 - y;
            const bool lit = x < 13 * 15   ? row % 2 == 0
                             : x < 27 * 15 ? (x + row) % 2 == 1
                                           : x % 2 == 1;
            ASSERT_EQ(f.At(x, y), lit ? WHITE : 0u) << x << "," << y;
        }
    EXPECT_EQ(f.At(0, 12 * 15), 0xFF0000u); // row 12 in red; window row 194 lit
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
    // The status line, on its band over an item's bar.
    ImageClear();
    ImageRect(10, 23, 20, 1, 0x19450d);
    ImageStatus("Hello");
    vimage::DrawOverlays();
    ExpectStatusOnBand(ReadFrame(), 0x19450d);
}

TEST(GLOverlays, ScreenshotReadsTheBackBufferTopRowFirst)
{
    OpenGLDisplay(1024, 768);
    const scratch_dir scratch;
    ImageClear();
    ImageRect(0, 0, 40, 1, 0xFF0000);  // top row of units
    ImageRect(0, 24, 40, 1, 0x0000FF); // bottom row
    ImageRect(-1, 0, 1, 25, WHITE);    // the left margin, not in the file
    const frame drawn = ReadFrame();
    vimage::overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(vimage::overlay.status.data(), "Screenshot saved.");
    const decoded_png png = ReadPng("screenshot.png");
    ASSERT_EQ(png.width, 1000);
    ASSERT_EQ(png.height, 625);
    EXPECT_NEAR(png.gamma, 1.0, 1e-5); // the gamma ramp: a linear frame buffer
    for (int y = 0; y < 625; y += 3)
        for (int x = 0; x < 1000; x += 7)
            ASSERT_EQ(png.At(x, y), drawn.At(x + 12, y + 72)) << x << "," << y;
    EXPECT_EQ(png.At(0, 0), 0xFF0000u);
}
