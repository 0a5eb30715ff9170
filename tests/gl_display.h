// gl_display.h - the OpenGL back-end under this process's own Xvfb (Mesa's
// llvmpipe), and its frames read back from the back buffer, top row first.
#pragma once

#include "display.h"
#include "xvfb.h"

#include <SDL_opengl.h>

inline void StartX11()
{
    ASSERT_TRUE(StartOwnXvfb());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
}

// The OpenGL back-end, windowed. flags 0 uses the gamma ramp (colours reach
// the frame buffer unchanged), IMAGE_ACCUM adds the accumulation buffer,
// IMAGE_SOFTWARE_GAMMA corrects in software.
inline void OpenGLDisplay(int width = 600, int height = 375, int flags = 0)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, width, height, 0, 2, 22, 22, 22, flags), 0) << ImageError();
    ASSERT_EQ(vimage::gammas.gamma_required, (flags & IMAGE_SOFTWARE_GAMMA) ? 1 : 0);
}

// The frame being drawn, from OpenGL's back buffer.
inline frame ReadFrame()
{
    frame f{Screen()->w, Screen()->h, {}};
    std::vector<Uint8> rgb(static_cast<size_t>(f.width * f.height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.width, f.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = f.height - 1; y >= 0; --y) // OpenGL's rows go up
        for (int x = 0; x < f.width; ++x) {
            const Uint8 *p = &rgb[static_cast<size_t>((y * f.width + x) * 3)];
            f.pixels.push_back(Uint32{p[0]} << 16 | Uint32{p[1]} << 8 | p[2]);
        }
    return f;
}
