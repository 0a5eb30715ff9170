// Opening the display: the canvas geometry and unit conversions, the gamma
// tables and corrections, refusals and the state ImageInit leaves behind, and
// the helpers behind ImageModes, the extension check and the version check.

#include "display.h"

#include <climits>
#include <cmath>

using vimage::canvas;
using vimage::CanvasFor;
using vimage::gammas;

TEST(Canvas, GeometryForCommonScreens)
{
    // w, h, then scale, xoffset, xremain, yoffset, yremain, xborder, yborder.
    const int cases[][9] = {
        {40, 25, 1, 0, 0, 0, 0, 0, 0},      {600, 375, 15, 0, 0, 0, 0, 0, 0},
        {800, 600, 20, 0, 0, 50, 50, 0, 3}, {1024, 768, 25, 12, 12, 71, 72, 1, 3},
        {41, 26, 1, 0, 1, 0, 1, 0, 0},      {1920, 1080, 43, 100, 100, 2, 3, 3, 1},
    };
    for (const auto &c : cases) {
        const auto g = CanvasFor(c[0], c[1]);
        const int got[] = {g.xscale,  g.xoffset, g.xremain, g.yoffset,
                           g.yremain, g.xborder, g.yborder};
        EXPECT_TRUE(std::equal(got, got + 7, c + 2)) << c[0] << "x" << c[1];
        EXPECT_EQ(g.yscale, g.xscale);
    }
}

TEST(Canvas, UnitsToPixelsTruncateAndSaturate)
{
    canvas = CanvasFor(800, 600);
    EXPECT_EQ(ImageX(0.99f), 19);
    EXPECT_EQ(ImageX(-0.49f), -9); // toward zero, not down
    EXPECT_EQ(ImageY(2.25f), 95);
    EXPECT_EQ(ImageX(1e12f), INT_MAX);
    EXPECT_EQ(ImageX(-1e12f), INT_MIN);
    // The pan (64ths of a unit) rounds toward minus infinity, without overflow.
    canvas.xpan = -1;
    EXPECT_EQ(ImageX(0.0f), -1);
    canvas.ypan = INT_MIN;
    EXPECT_EQ(ImageY(0.0f), 50 + static_cast<int>((static_cast<long long>(INT_MIN) * 20) >> 6));
    // Pixels back to units ignore the pan.
    canvas = CanvasFor(1024, 768);
    canvas.xpan = 64;
    EXPECT_LT(ImageGetX(5), 0.0f);
    EXPECT_FLOAT_EQ(ImageGetX(12 + 25), 1.0f);
    EXPECT_FLOAT_EQ(ImageGetY(71 + 50), 2.0f);
}

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

// The display's ramp read back after SDL_SetGamma: SDL's own curve, or one a
// display rounded to fewer bits, is the gamma asked for; an identity ramp
// (nothing applied), another gamma's curve or one entry astray is not.
TEST(Gamma, RampReadBackMatchesOnlyTheCurveAsked)
{
    auto curve = [](double gamma, auto change) {
        std::array<Uint16, 256> ramp;
        for (int i = 0; i < 256; ++i) {
            const double v = gamma == 1.0 ? i * 257 : 65535 * std::pow(i / 256.0, 1 / gamma) + 0.5;
            ramp[i] = static_cast<Uint16>(change(i, std::min(65535, static_cast<int>(v))));
        }
        return ramp;
    };
    auto same = [](int, int v) { return v; };
    auto eight_bits = [](int, int v) { return v & 0xFF00; };
    const struct {
        std::array<Uint16, 256> ramp;
        float gamma;
        bool matches;
    } rows[] = {
        {curve(2.2, same), 2.2f, true},
        {curve(0.1, same), 0.1f, true},
        {curve(5.0, eight_bits), 5.0f, true},
        {curve(1.0, same), 1.0f, true},
        {curve(1.0, same), 2.2f, false},
        {curve(2.0, same), 2.2f, false},
        {curve(2.2, same), 2.0f, false},
        {curve(2.2, [](int i, int v) { return i == 200 ? v - 300 : v; }), 2.2f, false},
        {curve(2.2, [](int i, int v) { return i == 255 ? 0 : v; }), 2.2f, false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(vimage::RampMatches(row.ramp.data(), row.gamma), row.matches) << row.gamma;
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
    EXPECT_EQ(gammas.gamma_required, 1); // no gamma ramp, even without IMAGE_SOFTWARE_GAMMA
    SDL_Quit();
}

namespace {

void StartSDL()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
}

} // namespace

TEST(Init, RefusalsLeaveNoDisplayToDrawOn)
{
    StartSDL();
    EXPECT_EQ(ImageInit(BACKEND_SDL, 39, 25, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), -1);
    EXPECT_STREQ(ImageError(), "Screen size too small");
    EXPECT_EQ(ImageInit(BACKEND_SDL, 40, 24, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), -1);
    EXPECT_EQ(ImageInit(7, 600, 375, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), -1);
    EXPECT_STREQ(ImageError(), "No backends available");
    ASSERT_EQ(ImageInit(BACKEND_SDL, 40, 25, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), 0)
        << ImageError();
    EXPECT_EQ(vimage::canvas.xscale, 1);
    int out[16][2];
    EXPECT_EQ(ImageModes(BACKEND_SDL, 0, out, 16), 0); // the dummy driver allows any size
    // OpenGL under the dummy driver fails with some message, and leaves the
    // table failing instead of drawing on the screen its video mode replaced.
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), -1);
    EXPECT_NE(std::string(ImageError() ? ImageError() : ""), "");
    EXPECT_EQ(ImageRect(0, 0, 1, 1, 0xFFFFFF), -1);
    EXPECT_STREQ(ImageError(), "No display is open");
    for (int drawn : {ImageHorizLine(0, 0, 5, 0xFFFFFF), ImageVertLine(0, 0, 5, 0xFFFFFF),
                      TextC(20, 5, "x", 0xFFFFFF), ImageUpdate()})
        EXPECT_EQ(drawn, -1);
}

TEST(Init, ASecondInitialisationReplacesTheFirst)
{
    OpenDisplay(600, 375);
    const int m_at_15 = vimage::font.font_width['M' - 32];
    ASSERT_EQ(ImageInit(BACKEND_SDL, 800, 600, 0, 2, 10, 10, 10, IMAGE_SOFTWARE_GAMMA), 0)
        << ImageError();
    EXPECT_EQ(vimage::bound, &vimage::sdl_backend);
    EXPECT_EQ(vimage::backend.sdl.surfp, SDL_GetVideoSurface());
    EXPECT_EQ(vimage::canvas.yoffset, 50);
    EXPECT_GT(vimage::font.font_width['M' - 32], m_at_15); // glyphs rebuilt for the new scale
    EXPECT_EQ(TextL(1, 1, "Text", 0xffffff), 0);
    // The SDL back-end neither pans nor paints borders.
    EXPECT_EQ(ImagePan(64, 0), -1);
    EXPECT_EQ(ImageClearBorder(), -1);
    EXPECT_EQ(vimage::canvas.xpan, 0);
}

TEST(Modes, RepeatedSizesAreListedOnce)
{
    SDL_Rect r[] = {{0, 0, 1024, 768}, {0, 0, 800, 600}, {0, 0, 1024, 768}, {0, 0, 640, 480}};
    const SDL_Rect *list[] = {&r[0], &r[1], &r[2], &r[3], nullptr};
    int out[4][2] = {};
    ASSERT_EQ(vimage::DistinctModes(list, out, 4), 3);
    EXPECT_EQ(out[1][1], 600);
    EXPECT_EQ(out[2][0], 640);
    ASSERT_EQ(vimage::DistinctModes(list, out, 2), 2); // at most n
    EXPECT_EQ(vimage::DistinctModes(list, out, 0), 0);
}

TEST(Extensions, WholeWordsOnly)
{
    using vimage::ExtensionListed;
    const char *list = "GL_ARB_imaging_extra GL_EXT_rescale_normal GL_ARB_imaging";
    EXPECT_EQ(ExtensionListed(list, "GL_ARB_imaging"), 1); // the last word
    EXPECT_EQ(ExtensionListed(list, "GL_EXT_rescale_normal"), 1);
    EXPECT_EQ(ExtensionListed("GL_ARB_imaging ", "GL_ARB_imaging"), 1);
    EXPECT_EQ(ExtensionListed("GL_ARB_imaging_extra", "GL_ARB_imaging"), 0);
    EXPECT_EQ(ExtensionListed("XGL_ARB_imaging", "GL_ARB_imaging"), 0);
    EXPECT_EQ(ExtensionListed("GL_A GL_B", "GL_A GL_B"), 0); // names have no spaces
    EXPECT_EQ(ExtensionListed(list, ""), 0);
    EXPECT_EQ(ExtensionListed(nullptr, "GL_ARB_imaging"), 0);
}

TEST(GLVersionText, TwoNumbersJoinedByAPoint)
{
    auto usable = [](const char *text) {
        vimage::gl_version v;
        return vimage::ParseGLVersion(text, v) && vimage::UsableGLVersion(v);
    };
    for (const char *text : {"1.1", "4.5 (Compatibility Profile) Mesa 22.3.6", " 2.-5"})
        EXPECT_TRUE(usable(text)) << text; // "%d.%d": white space and signs are numbers' parts
    for (const char *text : {"1.0 Mesa", "0.9", "-3.2", "1.-1", "OpenGL ES 3.0", "3", "3 .1", ""})
        EXPECT_FALSE(usable(text)) << text;
    EXPECT_FALSE(usable(nullptr));
    vimage::gl_version v;
    ASSERT_TRUE(vimage::ParseGLVersion("99999999999.2", v)); // saturates, no overflow
    EXPECT_EQ(v.major, 2147483647);
    EXPECT_EQ(v.minor, 2);
    EXPECT_FALSE(vimage::HasGL12({1, 1}));
    EXPECT_TRUE(vimage::HasGL12({1, 2}));
    EXPECT_TRUE(vimage::HasGL12({2, 0}));
}
