// Software gamma: the tables, the colour-word and float corrections, and the
// clamping of the gamma values.

#include "display.h"

#include <cmath>

using vimage::gammas;

TEST(Gamma, TablesTruncateThePowerCurve)
{
    vimage::SetSoftwareGamma(10, 10, 10);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(gammas.gamma_g[i], i);
    vimage::SetSoftwareGamma(22, 22, 22);
    EXPECT_NEAR(gammas.screen_gamma, 2.2, 1e-12);
    EXPECT_EQ(gammas.gamma_r[1], 20); // 20.5 truncated, not rounded
    EXPECT_EQ(gammas.gamma_r[128], 186);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(gammas.gamma_b[i],
                  static_cast<int>(255.0 * std::pow(i / 255.0, double(float(10.0 / 22)))));
    vimage::SetSoftwareGamma(5, 5, 5);
    EXPECT_EQ(gammas.gamma_g[128], 64);
    EXPECT_EQ(gammas.gamma_g[255], 255);
}

TEST(Gamma, ChannelsAreCorrectedSeparately)
{
    vimage::SetSoftwareGamma(10, 22, 5);
    EXPECT_NEAR(gammas.screen_gamma, 37 / 30.0, 1e-12);      // the mean
    EXPECT_EQ(vimage::ImageGammaRGB(0xAB808080), 0x80BA40u); // bits above red carry nothing
    const float c[4] = {0.5f, 0.5f, 0.5f, 0.25f};
    const float *out = ImageGamma(c);
    EXPECT_NE(out, c);
    EXPECT_NEAR(out[0], 0.5, 1e-6);
    EXPECT_NEAR(out[1], std::pow(0.5, 10.0 / 22), 1e-6);
    EXPECT_NEAR(out[2], 0.25, 1e-6);
    EXPECT_FLOAT_EQ(out[3], 0.25f);
    // Without software correction colours pass unchanged.
    gammas = vimage::gamma_state{};
    EXPECT_EQ(vimage::ImageGammaRGB(0x808080), 0x808080u);
    EXPECT_EQ(ImageGamma(c), c);
}

TEST(Gamma, ValuesOutsideTheRangeAreClamped)
{
    vimage::SetupGamma(0, -3, 60, true);
    EXPECT_FLOAT_EQ(gammas.gam_r, 10.0f);
    EXPECT_FLOAT_EQ(gammas.gam_g, 10.0f);
    EXPECT_FLOAT_EQ(gammas.gam_b, 0.2f);
    EXPECT_NEAR(gammas.screen_gamma, 52 / 30.0, 1e-12);
}

TEST(Gamma, DummyDriverFallsBackToSoftware)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0);
    ASSERT_EQ(ImageInit(BACKEND_SDL, 600, 375, 0, 2, 22, 22, 22, 0), 0) << ImageError();
    EXPECT_EQ(gammas.gamma_required, 1); // no gamma ramp, even without flag 4
    SDL_Quit();
}
