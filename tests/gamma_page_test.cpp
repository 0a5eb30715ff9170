// The gamma calibration page's test picture, pixel by pixel on the screen of
// the setup's own window (dummy driver, software gamma 2.2 for everything the
// library draws, none for the picture).

#include "../tests/display.h"
#include "setup.h"

namespace {

constexpr int TOP = 95; // the picture's first screen row

class GammaPicture : public ::testing::Test {
  protected:
    void SetUp() override
    {
        OpenDisplay();
        s = defaults;
    }
    // The pixel at column x, row y of the picture.
    static Uint32 At(int x, int y) { return PixelAt(x, TOP + y); }
};

Uint32 Rgb(int r, int g, int b)
{
    return Uint32(r) << 16 | Uint32(g) << 8 | Uint32(b);
}

} // namespace

TEST_F(GammaPicture, BandsOfFlatFieldsAndHalfLitPatterns)
{
    DrawGammaMenu();
    const int level = 186; // gamma 2.2, uncorrected
    const Uint32 flat[4] = {Rgb(level, level, level), Rgb(level, 0, 0), Rgb(0, level, 0),
                            Rgb(0, 0, level)};
    const Uint32 lit[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int band = 0; band < 4; ++band) {
        SCOPED_TRACE(band);
        const int y0 = 30 * band;
        for (int x : {0, 1, 299, 599}) {
            EXPECT_EQ(At(x, y0), flat[band]);
            EXPECT_EQ(At(x, y0 + 13), flat[band]);
        }
        // Horizontal lines: odd rows lit, across columns 0..199.
        EXPECT_EQ(At(0, y0 + 14), 0u);
        EXPECT_EQ(At(0, y0 + 15), lit[band]);
        EXPECT_EQ(At(199, y0 + 29), lit[band]);
        EXPECT_EQ(At(199, y0 + 28), 0u);
        // Checkerboard: lit where x + y is odd (y counted within the tile).
        EXPECT_EQ(At(200, y0 + 14), 0u);
        EXPECT_EQ(At(201, y0 + 14), lit[band]);
        EXPECT_EQ(At(200, y0 + 15), lit[band]);
        EXPECT_EQ(At(399, y0 + 29), 0u);
        // Vertical lines: odd columns lit.
        EXPECT_EQ(At(400, y0 + 20), 0u);
        EXPECT_EQ(At(401, y0 + 20), lit[band]);
        EXPECT_EQ(At(599, y0 + 14), lit[band]);
    }
    // Exactly half of every pattern is lit.
    int lit_pixels = 0;
    for (int y = 14; y < 30; ++y)
        for (int x = 0; x < 600; ++x) lit_pixels += At(x, y) != 0;
    EXPECT_EQ(lit_pixels, 600 * 16 / 2);
}

TEST_F(GammaPicture, FollowsTheValuesAndShowsTheChosenChannels)
{
    DrawGammaMenu();
    s.gamma_g = 10;
    DrawGammaMenu();
    EXPECT_EQ(At(5, 0), Rgb(186, 127, 186));
    EXPECT_EQ(At(5, 60), Rgb(0, 127, 0));
    EXPECT_EQ(At(5, 30), Rgb(186, 0, 0));
    // Only the values of the chosen channels stand under their items.
    auto value_shown = [](int x) {
        return LitBounds(x * 15 - 30, 17 * 15, x * 15 + 30, 18 * 15).w != 0;
    };
    gamma_mode = MODE_G;
    DrawGammaMenu();
    EXPECT_FALSE(value_shown(10));
    EXPECT_TRUE(value_shown(20));
    EXPECT_FALSE(value_shown(30));
    gamma_mode = MODE_ALL;
    DrawGammaMenu();
    EXPECT_TRUE(value_shown(10));
    EXPECT_TRUE(value_shown(30));
}

TEST_F(GammaPicture, HandEditedValuesStayWithinTheChannelRange)
{
    s.gamma_r = 0;
    s.gamma_g = -40;
    s.gamma_b = 500;
    DrawGammaMenu();
    EXPECT_EQ(At(0, 0), Rgb(0, 0, GammaLevel(500)));
    EXPECT_EQ(At(0, 90), Rgb(0, 0, GammaLevel(500)));
}
