// gl_display.h - opening the OpenGL back-end for a test, and reading what it
// drew.
//
// Each test case runs in its own process with its own Xvfb (Mesa's llvmpipe
// renders), in the build folder where vantor.ttf is staged. Frames are read
// from the back buffer before they are presented, and indexed like the SDL
// back-end's screen: x from the left, y from the top of the window.
#pragma once

#include "image_internal.h"
#include "xvfb.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
            const std::string_view name = info->dlpi_name ? info->dlpi_name : "";
            if (name.ends_with("_dri.so"))
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

// Opens the OpenGL back-end, windowed. flags 0 uses the display's gamma ramp
// (so colours reach the frame buffer unchanged); flags 4 corrects them in
// software at `gamma` tenths.
inline void OpenGLDisplay(int width = 600, int height = 375, int flags = 0, int gamma = 22)
{
    StartX11();
    ASSERT_EQ(ImageInit(BACKEND_GL, width, height, 0, 2, gamma, gamma, gamma, flags), 0)
        << ImageError();
    ASSERT_EQ(vimage::gammas.gamma_required, (flags & 4) ? 1 : 0);
}

// A frame read back: 0xRRGGBB pixels, top row first.
struct frame {
    int width = 0, height = 0;
    std::vector<Uint32> pixels;

    Uint32 At(int x, int y) const
    {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    bool operator==(const frame &) const = default;

    // The smallest rectangle holding every pixel that is not black; w = 0
    // when there is none.
    SDL_Rect LitBounds() const
    {
        int minx = width, miny = height, maxx = -1, maxy = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != 0) {
                    minx = std::min(minx, x);
                    maxx = std::max(maxx, x);
                    miny = std::min(miny, y);
                    maxy = std::max(maxy, y);
                }
        if (maxx < 0) return SDL_Rect{0, 0, 0, 0};
        return SDL_Rect{static_cast<Sint16>(minx), static_cast<Sint16>(miny),
                        static_cast<Uint16>(maxx - minx + 1), static_cast<Uint16>(maxy - miny + 1)};
    }
};

// The whole window from the back buffer (the frame being drawn).
inline frame ReadFrame()
{
    const SDL_Surface *screen = SDL_GetVideoSurface();
    frame f;
    f.width = screen->w;
    f.height = screen->h;
    std::vector<Uint8> rgb(static_cast<size_t>(f.width) * static_cast<size_t>(f.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.width, f.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    f.pixels.resize(static_cast<size_t>(f.width) * static_cast<size_t>(f.height));
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const Uint8 *p =
                &rgb[(static_cast<size_t>(f.height - 1 - y) * static_cast<size_t>(f.width) +
                      static_cast<size_t>(x)) *
                     3];
            f.pixels[static_cast<size_t>(y) * static_cast<size_t>(f.width) +
                     static_cast<size_t>(x)] = Uint32{p[0]} << 16 | Uint32{p[1]} << 8 | p[2];
        }
    return f;
}

inline bool SameRect(SDL_Rect r, int x, int y, int w, int h)
{
    return r.x == x && r.y == y && r.w == w && r.h == h;
}

inline std::string Str(SDL_Rect r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
           std::to_string(r.h);
}
