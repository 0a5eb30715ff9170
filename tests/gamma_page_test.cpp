// The gamma calibration page's test picture, pixel by pixel, on the setup's
// own window (software gamma 2.2 for what the library draws, none for the
// picture).

#include "display.h"
#include "setup.h"

namespace {

class GammaPicture : public ::testing::Test {
  protected:
    void SetUp() override
    {
        OpenDisplay();
        s = defaults;
    }
    // The pixel at column x, row y of the picture, whose first row is 95.
    static Uint32 At(int x, int y) { return PixelAt(x, 95 + y); }
};

Uint32 Rgb(int r, int g, int b)
{
    return Uint32(r) << 16 | Uint32(g) << 8 | Uint32(b);
}

} // namespace

TEST_F(GammaPicture, BandsOfFlatFieldsAndHalfLitPatterns)
{
    DrawGammaMenu();
    const Uint32 flat[4] = {Rgb(186, 186, 186), Rgb(186, 0, 0), Rgb(0, 186, 0), Rgb(0, 0, 186)};
    const Uint32 lit[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int band = 0; band < 4; ++band) {
        SCOPED_TRACE(band);
        const int y0 = 30 * band;
        for (int x : {0, 299, 599}) {
            EXPECT_EQ(At(x, y0), flat[band]);
            EXPECT_EQ(At(x, y0 + 13), flat[band]);
        }
        // (x, y, lit): horizontal lines on odd rows across columns 0..199, a
        // checkerboard lit where x + y is odd, vertical lines on odd columns.
        const int pattern[][3] = {{0, 14, 0},   {0, 15, 1},   {199, 29, 1}, {199, 28, 0},
                                  {200, 14, 0}, {201, 14, 1}, {200, 15, 1}, {399, 29, 0},
                                  {400, 20, 0}, {401, 20, 1}, {599, 14, 1}};
        for (const auto &p : pattern)
            EXPECT_EQ(At(p[0], y0 + p[1]), p[2] ? lit[band] : 0u) << p[0] << "," << p[1];
    }
    int lit_pixels = 0; // exactly half of every pattern is lit
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
        return Lit(x * 15 - 30, 17 * 15, x * 15 + 30, 18 * 15) != "none";
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
    // Hand-edited values stay within the channel range.
    s.gamma_r = 0;
    s.gamma_g = -40;
    s.gamma_b = 500;
    DrawGammaMenu();
    EXPECT_EQ(At(0, 0), Rgb(0, 0, GammaLevel(500)));
    EXPECT_EQ(At(0, 90), Rgb(0, 0, GammaLevel(500)));
}
