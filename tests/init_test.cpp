// Opening the display: refusals, the state ImageInit leaves behind, and the
// pure helpers behind ImageModes, the extension check and the version check.

#include "display.h"

#include <string>
#include <vector>

namespace {

void StartSDL()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
}

} // namespace

TEST(Init, RefusesScreensSmallerThanTheCanvas)
{
    StartSDL();
    EXPECT_EQ(ImageInit(BACKEND_SDL, 39, 25, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_STREQ(ImageError(), "Screen size too small");
    EXPECT_EQ(ImageInit(BACKEND_SDL, 40, 24, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_EQ(ImageClear, nullptr); // nothing bound
    ASSERT_EQ(ImageInit(BACKEND_SDL, 40, 25, 0, 2, 22, 22, 22, 4), 0) << ImageError();
    EXPECT_EQ(vimage::canvas.xscale, 1);
}

TEST(Init, RefusesAnUnknownBackEnd)
{
    StartSDL();
    EXPECT_EQ(ImageInit(7, 600, 375, 0, 2, 22, 22, 22, 4), -1);
    EXPECT_STREQ(ImageError(), "No backends available");
    EXPECT_EQ(ImageClear, nullptr);
}

TEST(Init, OpenGLFailsCleanlyWithAMessage)
{
    StartSDL();
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 4), -1);
    ASSERT_NE(ImageError(), nullptr);
    EXPECT_NE(std::string(ImageError()), "");
    EXPECT_EQ(ImageClear, nullptr);
}

TEST(Init, SDLBackEndBindsEveryOperation)
{
    OpenDisplay(800, 600);
    for (void *op :
         {(void *)ImageClear, (void *)ImageClearBorder, (void *)ImagePan, (void *)ImageRect,
          (void *)ImageRectFrac, (void *)ImageLoad, (void *)ImageDraw, (void *)ImageFree,
          (void *)ImageUpdate, (void *)TextWidth, (void *)TextL, (void *)TextC, (void *)TextR})
        EXPECT_NE(op, nullptr);
    EXPECT_EQ(vimage::backend_id, BACKEND_SDL);
    EXPECT_EQ(vimage::backend.sdl.surfp, SDL_GetVideoSurface());
    EXPECT_EQ(vimage::canvas.xscale, 20);
    EXPECT_EQ(vimage::canvas.yoffset, 50);
    // The SDL back-end neither pans nor paints borders.
    EXPECT_EQ(ImagePan(64, 0), -1);
    EXPECT_EQ(ImageClearBorder(), -1);
    EXPECT_EQ(vimage::canvas.xpan, 0);
}

TEST(Init, ASecondInitialisationReplacesTheFirst)
{
    OpenDisplay(600, 375);
    const int m_at_15 = vimage::font.font_width['M' - 32];
    ASSERT_EQ(ImageInit(BACKEND_SDL, 800, 600, 0, 2, 10, 10, 10, 4), 0) << ImageError();
    EXPECT_EQ(vimage::canvas.xscale, 20);
    EXPECT_GT(vimage::font.font_width['M' - 32], m_at_15); // glyphs rebuilt for the new scale
    EXPECT_EQ(ImageClear(), 0);
    EXPECT_EQ(TextL(1, 1, "Text", 0xffffff), 0);
}

TEST(Modes, RepeatedSizesAreListedOnce)
{
    SDL_Rect r[] = {{0, 0, 1024, 768}, {0, 0, 800, 600}, {0, 0, 1024, 768}, {0, 0, 640, 480}};
    const SDL_Rect *list[] = {&r[0], &r[1], &r[2], &r[3], nullptr};
    int out[4][2] = {};
    ASSERT_EQ(vimage::DistinctModes(list, out, 4), 3);
    EXPECT_EQ(out[0][0], 1024);
    EXPECT_EQ(out[1][1], 600);
    EXPECT_EQ(out[2][0], 640);
    EXPECT_EQ(vimage::DistinctModes(list, out, 3), 3);
    int two[2][2] = {};
    ASSERT_EQ(vimage::DistinctModes(list, two, 2), 2);
    EXPECT_EQ(two[1][0], 800);
    EXPECT_EQ(vimage::DistinctModes(list, two, 0), 0);
}

TEST(Modes, AnySizeGivesNoList)
{
    StartSDL();
    int out[16][2];
    EXPECT_EQ(ImageModes(BACKEND_SDL, 0, out, 16), 0); // the dummy driver allows any size
}

TEST(Extensions, WholeWordsOnly)
{
    using vimage::ExtensionListed;
    const char *list = "GL_ARB_imaging_extra GL_EXT_rescale_normal GL_ARB_imaging";
    EXPECT_EQ(ExtensionListed(list, "GL_ARB_imaging"), 1); // the last word
    EXPECT_EQ(ExtensionListed(list, "GL_EXT_rescale_normal"), 1);
    EXPECT_EQ(ExtensionListed("GL_ARB_imaging_extra", "GL_ARB_imaging"), 0);
    EXPECT_EQ(ExtensionListed("XGL_ARB_imaging", "GL_ARB_imaging"), 0);
    EXPECT_EQ(ExtensionListed("GL_A GL_B", "GL_A GL_B"), 0); // names have no spaces
    EXPECT_EQ(ExtensionListed(list, ""), 0);
    EXPECT_EQ(ExtensionListed(nullptr, "GL_ARB_imaging"), 0); // no extension string
    EXPECT_EQ(ExtensionListed("GL_ARB_imaging ", "GL_ARB_imaging"), 1);
}

TEST(GLVersionText, TwoNumbersJoinedByAPoint)
{
    using vimage::gl_version;
    auto usable = [](const char *text) {
        gl_version v;
        return vimage::ParseGLVersion(text, v) && vimage::UsableGLVersion(v);
    };
    EXPECT_FALSE(usable("1.0 Mesa"));
    EXPECT_TRUE(usable("1.1"));
    EXPECT_TRUE(usable("4.5 (Compatibility Profile) Mesa 22.3.6"));
    EXPECT_TRUE(usable(" 2.-5")); // "%d.%d": white space and signs are numbers' parts
    EXPECT_FALSE(usable("0.9"));
    EXPECT_FALSE(usable("-3.2"));
    EXPECT_FALSE(usable("1.-1"));
    EXPECT_FALSE(usable("OpenGL ES 3.0"));
    EXPECT_FALSE(usable("3"));
    EXPECT_FALSE(usable("3 .1"));
    EXPECT_FALSE(usable(""));
    EXPECT_FALSE(usable(nullptr));
    gl_version v;
    ASSERT_TRUE(vimage::ParseGLVersion("99999999999.2", v)); // saturates, no overflow
    EXPECT_EQ(v.major, 2147483647);
    EXPECT_EQ(v.minor, 2);
    // 1.2 brings glDrawRangeElements and the separate specular colour.
    EXPECT_FALSE(vimage::HasGL12({1, 1}));
    EXPECT_TRUE(vimage::HasGL12({1, 2}));
    EXPECT_TRUE(vimage::HasGL12({2, 0}));
}
