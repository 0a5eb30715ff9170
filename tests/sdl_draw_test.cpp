// The SDL back-end under the dummy driver: rectangles, text, overlays, the screenshot file.

#include "display.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <functional>

using vimage::overlay;

namespace {

constexpr Uint32 GREY = 0x4f4f4f;

// A glyph as FreeType renders it at 15 pixels a unit: left bearing, advance.
std::vector<int> RenderedGlyph(unsigned long code)
{
    FT_Library lib;
    FT_Face face;
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, "vantor.ttf", 0, &face), 0);
    EXPECT_EQ(FT_Set_Char_Size(face, 0, 15 * 320 / 6, 0, 0), 0);
    EXPECT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
    const FT_GlyphSlot g = face->glyph;
    const std::vector<int> m{g->bitmap_left, static_cast<int>((g->advance.x + 32) >> 6)};
    FT_Done_FreeType(lib);
    return m;
}

} // namespace

TEST(SDLDraw, RectanglesFillTheCanvasNotTheMarginsAndClipText)
{
    Open(BACKEND_SDL, 800, 600);
    // Clipped to the screen (also where 16-bit positions would wrap), truncated to pixels.
    const std::pair<std::function<void()>, std::vector<int>> cases[] = {
        {[] { ImageRect(0, 0, 40, 25, WHITE); }, {0, 50, 800, 500}},
        {[] { ImageRectFrac(10.5f, 2.25f, 0.3f, 0.3f, GREY); }, {210, 95, 6, 6}},
        {[] { ImageHorizLine(2, 3, 4, GREY); }, {40, 117, 80, 5}},
        {[] { ImageVertLine(2, 3, 4, GREY); }, {47, 110, 5, 80}},
        {[] { ImageRect(-2, 27, 4, 3, GREY); }, {0, 590, 40, 10}},
        {[] { ImageRect(3300, 0, 2, 2, GREY), ImageRectFrac(-3300.0f, 0, 2, 2, GREY); },
         {0, 0, 0, 0}},
        {[] { ImageRect(0, 0, 1 << 28, 1, GREY); }, {0, 50, 800, 20}}, // width overflows int pixels
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ImageClear(), 0);
        c.first();
        EXPECT_EQ(Frame().Bounds(), c.second) << "row " << &c - cases;
    }
    // Advances as FreeType's; bytes without a glyph draw nothing and advance 3/4 of a unit.
    Open(); // 15 pixels a unit
    const std::vector<int> h = RenderedGlyph('H');
    // "HH", a blank, an arrow for the underscore.
    auto units = [](int pixels) { return static_cast<float>(pixels) / 15.0f; };
    EXPECT_EQ(std::vector({TextWidth("HH"), TextWidth(" "), TextWidth("_"), TextWidth("\x01\xff")}),
              std::vector({units(2 * h[1]), units(RenderedGlyph(' ')[1]),
                           units(RenderedGlyph(0x2190)[1]), units(2 * 11)}));
    ImageClear();
    TextL(2, 3, "\x7f\x80\xff\n", WHITE);
    EXPECT_EQ(Frame().Bounds()[2], 0);
    TextL(2, 3, "\x01H", WHITE);
    EXPECT_EQ(Frame().Bounds()[0], 30 + 11 + h[0]);
}

// The help text, the frame rate right-aligned on row 1, the status for a second and a frame.
TEST(Overlays, HelpFrameRateStatusLineErrorRecordAndScreenshot)
{
    Open(BACKEND_SDL, 800, 600);
    // The second of the frame count has just begun.
    overlay = {.show_help = 1, .show_fps = 1, .fps = 1234, .fps_start = SDL_GetTicks()};
    ImageStatus("Hello");
    ImageUpdate();
    const frame f = Frame();
    for (auto [y0, y1] : {std::pair{510, 530}, {100, 500}}) // the status and the help text
        EXPECT_GT(f.Bounds(0, y0, 800, y1)[2], 0);
    EXPECT_NEAR(f.Bounds(0, 70, 800, 90)[2], TextWidth("1234 fps") * 20, 3.0);
    overlay.show_help = overlay.show_fps = 0;
    overlay.status_time = SDL_GetTicks() - 1000;
    for (bool shown : {true, false}) {
        ImageClear();
        ImageUpdate();
        EXPECT_EQ(Frame().Bounds(0, 510, 800, 530)[2] > 0, shown);
    }
    // Long messages are cut; the error record keeps the last error.
    const std::string long_text(200, 'x');
    ImageStatus("%s", long_text.c_str());
    EXPECT_EQ(overlay.status.data(), long_text.substr(0, 127));
    // One too wide for the canvas takes the row above too, broken at a space.
    ImageStatus("Display test failed: cannot start vantor-display-test.exe: the file is in use by "
                "another program");
    ImageClear();
    ImageUpdate();
    const frame two = Frame();
    for (int y : {490, 510}) EXPECT_GT(two.Bounds(0, y, 800, y + 20)[2], 0) << y; // rows 22, 23
    EXPECT_LT(two.Bounds(0, 490, 800, 510)[2], 780); // whole words: no line fills the canvas
    SDL_SetError("first");
    EXPECT_EQ(vimage::SetError("%s", SDL_GetError()), -1);
    SDL_SetError("second"); // SDL's text changes, the record does not
    EXPECT_STREQ(ImageError(), "first");
    // The canvas without margins; each replaces the last, a failure none.
    const scratch_dir scratch;
    ImageRect(0, 0, 40, 1, 0xFF0000);  // top row of units
    ImageRect(0, 24, 40, 1, 0x0000FF); // bottom row
    ASSERT_EQ(vimage::SaveScreenshot(), 0);
    ImageRect(0, 12, 40, 1, WHITE);
    const frame drawn = Frame();
    ImageStatus("Not in the file"); // drawn after the screenshot
    overlay.save_screenshot = 1;
    ImageUpdate();
    EXPECT_STREQ(overlay.status.data(), "Screenshot saved.");
    const frame png = ReadPng("screenshot.png");
    EXPECT_TRUE(png.pixels ==
                std::vector(drawn.pixels.begin() + 50 * 800, drawn.pixels.end() - 50 * 800));
    // On a full disk: the old file kept, no temporary one left.
    if (on_windows) return; // Windows has no file-size limit to fill the disk with
    ImageRect(0, 0, 40, 25, WHITE);
    overlay.save_screenshot = 1;
    WithDiskFull(ImageUpdate);
    EXPECT_STREQ(overlay.status.data(), "Screenshot failed.");
    EXPECT_STREQ(ImageError(), "Could not write image");
    EXPECT_EQ(ReadPng("screenshot.png").pixels, png.pixels);
    EXPECT_EQ(Entries("."), std::set<std::string>{"screenshot.png"}); // no temporary file
}
