// The OpenGL completion under Xvfb with Mesa: the gl record and what the
// context was granted, the fixed state, the version check, and the library's
// keys in a context with an accumulation buffer and without glBlendColor.

#include "gl_display.h"

#include <string>

using vimage::backend;
using vimage::overlay;

TEST(GLInit, GrantsTheRecordTheContextHas)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, 800, 600, 1, 65, 22, 22, 22, 2), 0) << ImageError();
    // sdl12-compat saw the variable before SDL started, so the context is the
    // window's own, with its accumulation buffer and double buffer.
    EXPECT_STREQ(std::getenv("SDL12COMPAT_OPENGL_SCALING"), "0");
    GLint accum_bits = 0;
    glGetIntegerv(GL_ACCUM_GREEN_BITS, &accum_bits);
    EXPECT_GT(accum_bits, 0);
    GLboolean double_buffer = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &double_buffer);
    EXPECT_TRUE(double_buffer);

    const image_gl *gl = ImageGLState();
    ASSERT_EQ(gl, &backend.gl);
    EXPECT_EQ(gl->antialias, 1);
    EXPECT_EQ(gl->accum, 1);
    EXPECT_EQ(gl->have_accum, 1);
    EXPECT_EQ(gl->samples, 64);
    EXPECT_EQ(gl->rescale, GL_RESCALE_NORMAL_EXT);
    EXPECT_EQ(gl->glBlendColorp, nullptr); // Mesa has no GL_ARB_imaging
    EXPECT_NE(gl->glDrawRangeElementsp, nullptr);
    EXPECT_EQ(vimage::ExtensionSupported("GL_ARB_imaging"), 0);
    EXPECT_EQ(vimage::ExtensionSupported("GL_EXT_rescale_normal"), 1);

    EXPECT_EQ(vimage::backend_id, BACKEND_GL);
    EXPECT_EQ(ImageRect, vimage::ImageRectGL);
    EXPECT_EQ(TextC, vimage::TextCGL);
    EXPECT_EQ(vimage::canvas.yoffset, 50);
    EXPECT_EQ(vimage::canvas.yborder, 3);

    GLint value = 0;
    glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &value);
    EXPECT_EQ(value, GL_SEPARATE_SPECULAR_COLOR);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_REPLACE);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_AUTO_NORMAL));
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

TEST(GLInit, WithoutTheFlagNoAccumulationIsUsed)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, 640, 480, 0, 1, 22, 22, 22, 4), 0) << ImageError();
    const image_gl *gl = ImageGLState();
    ASSERT_NE(gl, nullptr);
    EXPECT_EQ(gl->accum, 0);
    EXPECT_EQ(gl->samples, 2);
    EXPECT_EQ(vimage::canvas.xscale, 16);
}

TEST(GLInit, TheSDLBackEndHasNoGLRecord)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_SDL, 600, 375, 0, 2, 22, 22, 22, 4), 0) << ImageError();
    EXPECT_EQ(ImageGLState(), nullptr);
}

// Mesa reports the version it is told to, so the check meets real contexts.
TEST(GLVersion, OpenGL10IsRefused)
{
    setenv("MESA_GL_VERSION_OVERRIDE", "1.0", 1);
    StartX11();
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 0), -1);
    EXPECT_STREQ(ImageError(), "OpenGL 1.1 or newer required");
    EXPECT_EQ(ImageClear, nullptr);
    EXPECT_EQ(ImageGLState(), nullptr);
}

TEST(GLVersion, OpenGL11RunsWithoutTheNewerParts)
{
    setenv("MESA_GL_VERSION_OVERRIDE", "1.1", 1);
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 0), 0) << ImageError();
    EXPECT_EQ(ImageGLState()->glDrawRangeElementsp, nullptr);
    GLint value = 0;
    glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &value);
    EXPECT_EQ(value, GL_SINGLE_COLOR);
}

// F5, F6, Shift F6 and F7 through ImageWaitEvent, as a page gets them, and
// the help screen's descriptions bright or dim by what the context has.
TEST(GLKeys, AccumulationBufferWithoutBlendColor)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 2), 0) << ImageError();
    const image_gl *gl = ImageGLState();
    ASSERT_TRUE(gl->have_accum && !gl->glBlendColorp);
    auto press = [](SDLKey sym, SDLMod mod = KMOD_NONE) {
        SDL_Event key{}, sentinel{};
        key.type = key.key.type = SDL_KEYDOWN;
        key.key.keysym.sym = sym;
        key.key.keysym.mod = mod;
        sentinel = key;
        sentinel.key.keysym.sym = SDLK_a;
        sentinel.key.keysym.mod = KMOD_NONE;
        SDL_PushEvent(&key);
        SDL_PushEvent(&sentinel);
        SDL_Event got{};
        while (ImageWaitEvent(&got) && got.type != SDL_KEYDOWN) {
        }
        EXPECT_EQ(got.key.keysym.sym, SDLK_a); // the library's key was consumed
        return std::string(overlay.status.data());
    };
    EXPECT_EQ(press(SDLK_F5), "Antialiasing enabled.");
    EXPECT_EQ(gl->antialias, 1);
    EXPECT_EQ(gl->accum, 1);
    EXPECT_EQ(press(SDLK_F6), "3x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_LSHIFT), "2x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_RSHIFT), "2x supersampling.");
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer is mandatory.");
    EXPECT_EQ(gl->accum, 1);
    EXPECT_EQ(press(SDLK_F5), "Antialiasing disabled.");
    EXPECT_EQ(gl->accum, 1);

    // The brightest green of each description: F5's row 6 is bright, F7's
    // row 9 dim (it needs both), F8's row 10 bright.
    overlay.show_help = 1;
    ImageClear();
    vimage::DrawOverlaysGL();
    const frame f = ReadFrame();
    auto greenest = [&](int row) {
        Uint32 best = 0;
        for (int y = row * 15; y < row * 15 + 15; ++y)
            for (int x = 12 * 15; x < 38 * 15; ++x) best = std::max(best, f.At(x, y) >> 8 & 0xff);
        return best;
    };
    EXPECT_EQ(greenest(6), 0xFFu);
    EXPECT_EQ(greenest(9), 0x60u);
    EXPECT_EQ(greenest(10), 0xFFu);
}
