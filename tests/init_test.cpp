// Opening the display: canvas, gamma, refusals and re-initialisation, helpers.

#include "display.h"

#include <array>
#include <climits>
#include <cmath>

using vimage::canvas;
using vimage::gammas;

TEST(Canvas, GeometryAndUnits)
{
    // w, h, then scale, xoffset, xremain, yoffset, yremain, xborder, yborder.
    const int cases[][9] = {
        {40, 25, 1, 0, 0, 0, 0, 0, 0},      {600, 375, 15, 0, 0, 0, 0, 0, 0},
        {800, 600, 20, 0, 0, 50, 50, 0, 3}, {1024, 768, 25, 12, 12, 71, 72, 1, 3},
        {41, 26, 1, 0, 1, 0, 1, 0, 0},      {1920, 1080, 43, 100, 100, 2, 3, 3, 1},
    };
    for (const auto &c : cases) {
        const auto g = vimage::CanvasFor(c[0], c[1]);
        EXPECT_EQ(std::vector({g.xscale, g.yscale, g.xoffset, g.xremain, g.yoffset, g.yremain,
                               g.xborder, g.yborder}),
                  std::vector({c[2], c[2], c[3], c[4], c[5], c[6], c[7], c[8]}))
            << c[0] << "x" << c[1];
    }
    // Units to pixels truncate and saturate; the pan (64ths) rounds down; back ignores it.
    canvas = vimage::CanvasFor(800, 600);
    canvas.xpan = -1, canvas.ypan = INT_MIN;
    EXPECT_EQ(std::vector({ImageX(0.99f), ImageX(-0.49f), ImageX(1e12f), ImageX(-1e12f)}),
              std::vector({19 - 1, -9 - 1, INT_MAX, INT_MIN}));
    EXPECT_EQ(ImageY(2.25f), 95 + static_cast<int>((static_cast<long long>(INT_MIN) * 20) >> 6));
    EXPECT_FLOAT_EQ(ImageGetX(50), 2.5f);
}

TEST(Gamma, TablesTruncateTheCurvePerChannelARampMatchesOnlyTheCurveAsked)
{
    vimage::SetupGamma(10, 22, 5, true);
    EXPECT_NEAR(gammas.screen_gamma, 37 / 30.0, 1e-12); // the mean
    auto curve = [](double v, int tenths) { return std::pow(v, double(float(10.0 / tenths))); };
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(
            std::vector<int>({gammas.gamma_r[i], gammas.gamma_g[i], gammas.gamma_b[i]}),
            std::vector<int>({i, int(255 * curve(i / 255.0, 22)), int(255 * curve(i / 255.0, 5))}))
            << i;
    EXPECT_EQ(vimage::ImageGammaRGB(0x808080), 0x80BA40u);
    const float c[4] = {0.5f, 0.5f, 0.5f, 0.25f};
    const float *out = ImageGamma(c);
    EXPECT_EQ(std::vector(out, out + 4), std::vector({0.5f, float(curve(0.5, 22)), 0.25f, 0.25f}));
    vimage::SetupGamma(0, 51, -3, true); // each kept within 1..50
    EXPECT_NEAR(gammas.screen_gamma, 52 / 30.0, 1e-12);
    // A ramp read back matches SDL's curve for the gamma asked to within one 8-bit step.
    auto ramp_for = [](double gamma, int at = -1, int change = 0) {
        std::array<Uint16, 256> ramp;
        for (int i = 0; i < 256; ++i) {
            const double v = gamma == 1.0 ? i * 257 : 65535 * std::pow(i / 256.0, 1 / gamma) + 0.5;
            ramp[i] =
                static_cast<Uint16>(std::min(65535, static_cast<int>(v)) + (i == at) * change);
        }
        return ramp;
    };
    // clang-format off
    const std::tuple<std::array<Uint16, 256>, float, bool> rows[] = {
        {ramp_for(2.2), 2.2f, true}, {ramp_for(1.0), 1.0f, true}, {ramp_for(1.0), 2.2f, false},
        {ramp_for(2.2), 2.0f, false}, {ramp_for(2.2, 200, -256), 2.2f, true},
        {ramp_for(2.2, 200, -257), 2.2f, false}, {ramp_for(2.2, 255, -30000), 2.2f, false}};
    // clang-format on
    for (const auto &[ramp, gamma, matches] : rows)
        EXPECT_EQ(vimage::RampMatches(ramp.data(), gamma), matches) << gamma;
}

// A refused initialisation, also after good ones, leaves every entry failing.
TEST(Init, RefusalsLeaveNoDisplayASecondReplacesTheFirstHelpers)
{
    StartSDL();
    auto no_display = [] {
        EXPECT_EQ(ImageRect(0, 0, 1, 1, WHITE), -1);
        EXPECT_STREQ(ImageError(), "No display is open");
        for (int drawn : {ImageClear(), ImageHorizLine(0, 0, 5, WHITE),
                          ImageVertLine(0, 0, 5, WHITE), TextC(20, 5, "x", WHITE), ImageUpdate()})
            EXPECT_EQ(drawn, -1);
    };
    // Each refusal records its own message (the display_refused flows say which).
    auto refuses = [](int backend, int w, int h) {
        vimage::SetError("%s", "earlier");
        EXPECT_EQ(ImageInit(backend, w, h, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), -1) << w;
        EXPECT_STRNE(ImageError(), "earlier") << w;
    };
    refuses(BACKEND_SDL, 39, 25);
    refuses(BACKEND_SDL, 40, 24);
    refuses(7, 600, 375);
    no_display();
    // Without IMAGE_SOFTWARE_GAMMA, but no ramp under the dummy driver: software.
    ASSERT_EQ(ImageInit(BACKEND_SDL, 40, 25, 0, 2, 22, 22, 22, 0), 0) << ImageError();
    EXPECT_EQ(std::pair(canvas.xscale, gammas.gamma_required), std::pair(1, 1));
    int out[16][2] = {};
    EXPECT_EQ(ImageModes(BACKEND_SDL, 0, out, 16), 0); // the dummy driver allows any size
    ASSERT_EQ(ImageInit(BACKEND_SDL, 800, 600, 0, 2, 10, 10, 10, IMAGE_SOFTWARE_GAMMA), 0);
    EXPECT_EQ(std::tuple(TextL(1, 1, "M", WHITE), ImagePan(64, 0), ImageClearBorder(), canvas.xpan),
              std::tuple(0, -1, -1, 0));
    refuses(BACKEND_GL, 600, 375); // the dummy driver has no OpenGL
    no_display();
    // The helpers: modes listed once each, extensions as whole words, OpenGL versions.
    SDL_Rect r[] = {{0, 0, 1024, 768}, {0, 0, 800, 600}, {0, 0, 1024, 768}, {0, 0, 640, 480}};
    const SDL_Rect *list[] = {&r[0], &r[1], &r[2], &r[3], nullptr};
    ASSERT_EQ(vimage::DistinctModes(list, out, 4), 3); // each size once, in order
    EXPECT_EQ(std::vector({out[1][0], out[1][1], out[2][0], out[2][1]}),
              std::vector({800, 600, 640, 480}));
    EXPECT_EQ(vimage::DistinctModes(list, out, 2), 2); // at most n
    const char *ext = "GL_ARB_imaging_extra GL_EXT_rescale_normal GL_ARB_imaging";
    // clang-format off
    const std::tuple<const char *, const char *, int> extensions[] = {
        {ext, "GL_ARB_imaging", 1}, {ext, "GL_EXT_rescale_normal", 1}, {ext, "", 0},
        {"GL_ARB_imaging_extra", "GL_ARB_imaging", 0}, {"XGL_ARB_imaging", "GL_ARB_imaging", 0},
        {nullptr, "GL_ARB_imaging", 0}};
    // OpenGL 1.1 or newer runs (1); 1.2 brings glDrawRangeElements (3).
    const std::pair<const char *, int> versions[] = {
        {"1.1", 1}, {"1.2 Mesa", 3}, {"1.0", 0}, {"0.9", 0}, {nullptr, 0}};
    // clang-format on
    for (auto [text, name, listed] : extensions)
        EXPECT_EQ(vimage::ExtensionListed(text, name), listed) << name << " in " << text;
    for (auto [text, level] : versions) {
        vimage::gl_version v;
        EXPECT_EQ(vimage::ParseGLVersion(text, v) ? UsableGLVersion(v) + 2 * HasGL12(v) : 0, level)
            << (text ? text : "null");
    }
}
