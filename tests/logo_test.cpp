// The logo on the main page (logo.png is staged in the build folder): 8 x 4
// units at (0, 0.5), reduced exactly to 120 x 60 pixels from y 7; and the
// page without it when it is missing.

#include "display.h"
#include "setup.h"

TEST(Logo, MainPageShowsTheLogoReducedExactly)
{
    OpenDisplay(600, 375, 22);
    ASSERT_EQ(ImageLoad(&logo, "logo.png", 8, 4, 0), 0) << ImageError();
    logo_loaded = true;
    DrawMainMenu();
    // The file at its own size, top row first.
    int w = 0, h = 0;
    vimage::pixels_ptr full(
        vimage::LoadPNG("logo.png", 0, 0, 0, 0, 1, 1, &w, &h, nullptr, nullptr));
    ASSERT_TRUE(full);
    ASSERT_EQ(w, 512);
    ASSERT_EQ(h, 256);
    // Screen pixel i of a unit covers source pixels [64 i / 15, 64 (i + 1) / 15).
    auto overlap = [](int i, int j) {
        return std::max(0, std::min(64 * (i + 1), 15 * (j + 1)) - std::max(64 * i, 15 * j));
    };
    int lit = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            Uint32 expected = 0;
            for (int c = 0; c < 3; ++c) {
                long long sum = 0; // in 1/4096 of a screen pixel
                for (int sy = 64 * (y / 15); sy < 64 * (y / 15 + 1); ++sy)
                    for (int sx = 64 * (x / 15); sx < 64 * (x / 15 + 1); ++sx)
                        sum += static_cast<long long>(full.get()[(sy * 512 + sx) * 3 + c]) *
                               overlap(x % 15, sx % 64) * overlap(y % 15, sy % 64);
                expected = expected << 8 | static_cast<Uint32>((2 * sum + 4096) / 8192);
            }
            ASSERT_EQ(PixelAt(x, 7 + y), expected) << x << "," << y;
            lit += expected != 0;
        }
    EXPECT_GT(lit, 120 * 60 / 4);
    const SDL_Rect bounds = ReadScreen().Bounds(0, 0, 140, 80); // nothing outside its place
    EXPECT_GE(bounds.y, 7);
    EXPECT_LE(bounds.x + bounds.w, 120);
    EXPECT_LE(bounds.y + bounds.h, 67);
}

TEST(Logo, PagesDrawWithoutAMissingLogo)
{
    OpenDisplay(600, 375, 22);
    logo = image{};
    logo_loaded = ImageLoad(&logo, "no-such-logo.png", 8, 4, 0) == 0;
    EXPECT_FALSE(logo_loaded);
    EXPECT_EQ(logo.surfp, nullptr);
    DrawMainMenu();
    EXPECT_EQ(Lit(0, 0, 140, 80), "none");
    EXPECT_GT(ReadScreen().Bounds(150, 25, 450, 50).w, 100); // the title is there
}
