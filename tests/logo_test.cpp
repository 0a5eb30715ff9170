// The logo on the main page under the dummy driver, in the build folder where
// logo.png is staged: 8 x 4 units at the top left, at (0, 0.5), reduced
// exactly to 120 x 60 pixels; and the page without it when it is missing.

#include "display.h"
#include "setup.h"

#include <vector>

namespace {

// Pixels of the logo's place on the setup's screen (scale 15): x 0..119,
// y from ImageY(0.5) = 7.
constexpr int LOGO_X = 0, LOGO_Y = 7, LOGO_W = 120, LOGO_H = 60;

// The overlap of screen pixel i and source pixel j of a unit at 15 pixels a
// unit, in 1/15 of a source pixel (a screen pixel covers 64 of them).
int Overlap(int i, int j)
{
    const int lo = std::max(64 * i, 15 * j), hi = std::min(64 * (i + 1), 15 * (j + 1));
    return std::max(0, hi - lo);
}

} // namespace

TEST(Logo, MainPageShowsTheLogoReducedExactly)
{
    OpenDisplay(600, 375, 22);
    ASSERT_EQ(ImageLoad(&logo, "logo.png", 8, 4, 0), 0) << ImageError();
    logo_loaded = true;
    DrawMainMenu();

    // The file at its own size, top row first, and its exact area average.
    int w = 0, h = 0;
    vimage::pixels_ptr full(
        vimage::LoadPNG("logo.png", 0, 0, 0, 0, 1, 1, &w, &h, nullptr, nullptr));
    ASSERT_TRUE(full);
    ASSERT_EQ(w, 512);
    ASSERT_EQ(h, 256);
    int lit = 0;
    for (int y = 0; y < LOGO_H; ++y)
        for (int x = 0; x < LOGO_W; ++x) {
            Uint32 expected = 0;
            for (int c = 0; c < 3; ++c) {
                long long sum = 0; // in 1/4096 of a screen pixel
                for (int sy = 64 * (y / 15); sy < 64 * (y / 15 + 1); ++sy)
                    for (int sx = 64 * (x / 15); sx < 64 * (x / 15 + 1); ++sx)
                        sum += static_cast<long long>(full.get()[(sy * 512 + sx) * 3 + c]) *
                               Overlap(x % 15, sx % 64) * Overlap(y % 15, sy % 64);
                expected = expected << 8 | static_cast<Uint32>((2 * sum + 4096) / 8192);
            }
            ASSERT_EQ(PixelAt(LOGO_X + x, LOGO_Y + y), expected) << x << "," << y;
            lit += expected != 0;
        }
    // Something is drawn, and nothing of it outside its place.
    EXPECT_GT(lit, LOGO_W * LOGO_H / 4);
    const SDL_Rect bounds = LitBounds(0, 0, 140, 80);
    EXPECT_GE(bounds.x, LOGO_X);
    EXPECT_GE(bounds.y, LOGO_Y);
    EXPECT_LE(bounds.x + bounds.w, LOGO_X + LOGO_W);
    EXPECT_LE(bounds.y + bounds.h, LOGO_Y + LOGO_H);
}

TEST(Logo, PagesDrawWithoutAMissingLogo)
{
    OpenDisplay(600, 375, 22);
    logo = image{};
    logo_loaded = ImageLoad(&logo, "no-such-logo.png", 8, 4, 0) == 0;
    EXPECT_FALSE(logo_loaded);
    EXPECT_EQ(logo.surfp, nullptr);
    DrawMainMenu();
    EXPECT_EQ(LitBounds(0, 0, 140, 80).w, 0);
    // The rest of the page is there: the title in its colour.
    EXPECT_GT(LitBounds(150, 25, 450, 50).w, 100);
}
