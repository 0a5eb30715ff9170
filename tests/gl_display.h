// gl_display.h - the OpenGL back-end for a test, and reading what it drew.
//
// Each test case runs in its own process with its own Xvfb (Mesa's llvmpipe
// renders), in the build folder where vantor.ttf is staged. Frames are read
// from the back buffer before they are presented, indexed like the SDL
// back-end's screen: x from the left, y from the top of the window.
#pragma once

#include "image_internal.h"
#include "xvfb.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <dlfcn.h>
#include <link.h>

// Mesa's DRI driver is unloaded when SDL closes the display at exit, and the
// memory its globals held would then look leaked to LeakSanitizer. Pinned,
// the driver stays loaded and that memory reachable; the program's own
// allocations are checked as before.
inline void KeepGLDriverLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (std::string_view(info->dlpi_name ? info->dlpi_name : "").ends_with("_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

// Starts SDL on the X server of this process.
inline void StartX11()
{
    ASSERT_TRUE(StartOwnXvfb());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
    std::atexit(KeepGLDriverLoaded); // runs before SDL_Quit
}

// The OpenGL back-end, windowed. flags 0 uses the display's gamma ramp, so
// colours reach the frame buffer unchanged; flags 2 adds the accumulation
// buffer, 4 corrects colours in software.
inline void OpenGLDisplay(int width = 600, int height = 375, int flags = 0)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, width, height, 0, 2, 22, 22, 22, flags), 0) << ImageError();
    ASSERT_EQ(vimage::gammas.gamma_required, (flags & 4) ? 1 : 0);
}

// A frame read back: 0xRRGGBB pixels, top row first.
struct frame {
    int width = 0, height = 0;
    std::vector<Uint32> pixels;

    Uint32 At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool operator==(const frame &) const = default;

    // The smallest rectangle holding every pixel that is not black, as
    // "x,y wxh"; "none" when all are black.
    std::string Lit() const
    {
        int x0 = width, y0 = height, x1 = -1, y1 = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y)) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        if (x1 < 0) return "none";
        return std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(x1 - x0 + 1) +
               "x" + std::to_string(y1 - y0 + 1);
    }
};

// The whole window from OpenGL's back buffer (the frame being drawn).
inline frame ReadFrame()
{
    const SDL_Surface *screen = SDL_GetVideoSurface();
    frame f{screen->w, screen->h, {}};
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

// The SDL back-end's screen surface, 32 bits a pixel.
inline frame ReadScreen()
{
    SDL_Surface *s = SDL_GetVideoSurface();
    frame f{s->w, s->h, {}};
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x], s->format, &r,
                       &g, &b);
            f.pixels.push_back(Uint32{r} << 16 | Uint32{g} << 8 | b);
        }
    return f;
}
