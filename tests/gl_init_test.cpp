// The OpenGL completion under Xvfb with Mesa: the gl record and what the
// context was granted, the version check, and the library's keys in a
// context with an accumulation buffer and without glBlendColor.

#include "gl_display.h"

using vimage::overlay;

TEST(GLInit, TheRecordSaysWhatTheContextHas)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, 800, 600, 1, 65, 22, 22, 22, IMAGE_ACCUM), 0) << ImageError();
    // sdl12-compat saw the variable before SDL started, so the context is the
    // window's own, with its accumulation buffer.
    EXPECT_STREQ(std::getenv("SDL12COMPAT_OPENGL_SCALING"), "0");
    GLint value = 0;
    glGetIntegerv(GL_ACCUM_GREEN_BITS, &value);
    EXPECT_GT(value, 0);
    const image_gl *gl = ImageGLState();
    ASSERT_EQ(gl, &vimage::backend.gl);
    EXPECT_EQ(std::vector<int>({gl->antialias, gl->accum, gl->have_accum, gl->samples}),
              std::vector<int>({1, 1, 1, 64}));
    EXPECT_EQ(gl->rescale, GL_RESCALE_NORMAL_EXT);
    EXPECT_EQ(gl->glBlendColorp, nullptr); // Mesa has no GL_ARB_imaging
    EXPECT_NE(gl->glDrawRangeElementsp, nullptr);
    EXPECT_EQ(vimage::ExtensionSupported("GL_ARB_imaging"), 0);
    glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &value);
    EXPECT_EQ(value, GL_SEPARATE_SPECULAR_COLOR);
    EXPECT_EQ(ImageRect, vimage::gl_backend.rect);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

TEST(GLInit, OpenGL10IsRefused)
{
    setenv("MESA_GL_VERSION_OVERRIDE", "1.0", 1); // Mesa reports what it is told
    StartX11();
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 0), -1);
    EXPECT_STREQ(ImageError(), "OpenGL 1.1 or newer required");
    EXPECT_EQ(ImageClear(), -1);
    EXPECT_EQ(ImageGLState(), nullptr);
}

// F5, F6, Shift F6 and F7 as a page gets them through ImageWaitEvent, and
// the help screen: its backdrop, and descriptions bright or dim by what the
// context has.
TEST(GLKeys, AccumulationBufferWithoutBlendColor)
{
    OpenGLDisplay(600, 375, IMAGE_ACCUM);
    const image_gl *gl = ImageGLState();
    ASSERT_TRUE(gl->have_accum && !gl->glBlendColorp);
    auto press = [](SDLKey sym, SDLMod mod = KMOD_NONE) {
        SDL_Event key = KeyEvent(sym, mod), other = KeyEvent(SDLK_a), got{};
        SDL_PushEvent(&key);
        SDL_PushEvent(&other);
        while (ImageWaitEvent(&got) && got.type != SDL_KEYDOWN) {
        }
        EXPECT_EQ(got.key.keysym.sym, SDLK_a); // the library's key was consumed
        return std::string(overlay.status.data());
    };
    EXPECT_EQ(press(SDLK_F5), "Antialiasing enabled.");
    EXPECT_EQ(gl->accum, 1);
    EXPECT_EQ(press(SDLK_F6), "3x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_LSHIFT), "2x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_RSHIFT), "2x supersampling.");
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer is mandatory.");
    EXPECT_EQ(press(SDLK_F5), "Antialiasing disabled.");
    EXPECT_EQ(gl->antialias, 0);
    EXPECT_EQ(gl->accum, 1);

    overlay.show_help = 1;
    overlay.status[0] = '\0';
    ImageRect(0, 0, 40, 25, 0xFFFFFF);
    vimage::DrawOverlays();
    const frame f = ReadFrame();
    EXPECT_EQ(f.At(20, 14 * 15), 0xFFFFFFu);         // left of the backdrop
    EXPECT_NEAR(f.At(100, 14 * 15) & 0xff, 0x40, 1); // white darkened to a quarter
    // The greenest pixel of a description: F5's row 6 bright, F7's row 9 dim
    // (it needs both), F8's row 10 bright.
    auto greenest = [&](int row) {
        Uint32 best = 0;
        for (int y = row * 15; y < row * 15 + 15; ++y)
            for (int x = 12 * 15; x < 37 * 15; ++x)
                if ((f.At(x, y) & 0xff) < 0x40) best = std::max(best, f.At(x, y) >> 8 & 0xff);
        return best;
    };
    EXPECT_EQ(greenest(6), 0xFFu);
    EXPECT_EQ(greenest(9), 0x60u);
    EXPECT_EQ(greenest(10), 0xFFu);
}
