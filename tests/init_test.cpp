// Opening the display: refusals, the state ImageInit leaves behind, and the
// pure helpers behind ImageModes, the extension check and the version check.

#include "display.h"

namespace {

void StartSDL()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
}

} // namespace

TEST(Init, RefusalsBindNothing)
{
    StartSDL();
    EXPECT_EQ(ImageInit(BACKEND_SDL, 39, 25, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_STREQ(ImageError(), "Screen size too small");
    EXPECT_EQ(ImageInit(BACKEND_SDL, 40, 24, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_EQ(ImageInit(7, 600, 375, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_STREQ(ImageError(), "No backends available");
    // OpenGL under the dummy driver fails with some message.
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_NE(std::string(ImageError() ? ImageError() : ""), "");
    EXPECT_EQ(ImageClear, nullptr);
    ASSERT_EQ(ImageInit(BACKEND_SDL, 40, 25, 0, 2, 22, 22, 22, 4), 0) << ImageError();
    EXPECT_EQ(vimage::canvas.xscale, 1);
    int out[16][2];
    EXPECT_EQ(ImageModes(BACKEND_SDL, 0, out, 16), 0); // the dummy driver allows any size
}

TEST(Init, ASecondInitialisationReplacesTheFirst)
{
    OpenDisplay(600, 375);
    const int m_at_15 = vimage::font.font_width['M' - 32];
    ASSERT_EQ(ImageInit(BACKEND_SDL, 800, 600, 0, 2, 10, 10, 10, 4), 0) << ImageError();
    EXPECT_EQ(vimage::backend_id, BACKEND_SDL);
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
