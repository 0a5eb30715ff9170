// display.h - a back-end opened, frames and PNG files read back, events made.
#pragma once

#include "image_internal.h"
#include "portable.h"
#include "setup.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

constexpr Uint32 WHITE = 0xFFFFFF;

// Starts SDL under the dummy driver, or X11 on the caller's server.
inline void StartSDL(bool x11 = false)
{
    setenv("SDL_VIDEODRIVER", x11 ? "x11" : "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
}

// Opens a back-end, windowed, and clears it.
inline void Open(int backend = BACKEND_SDL, int width = 600, int height = 375,
                 int flags = IMAGE_SOFTWARE_GAMMA)
{
    StartSDL(backend == BACKEND_GL);
    ASSERT_EQ(ImageInit(backend, width, height, 0, 2, 22, 22, 22, flags), 0) << ImageError();
    ImageClear(); // a new screen surface holds whatever its memory held
}

// A page's frame as the menu widget draws it, not presented; item `selected` highlighted.
template <class State>
void DrawPage(const page<State> &shown, const session &ses, State &state, int selected = -1)
{
    page_frame<State> frame{shown, ses, state};
    vimage::DrawMenuFrame(DrawFrame<State>, &frame, static_cast<int>(shown.items.size()),
                          shown.items.data(), selected);
}

// A frame as 0xRRGGBB pixels, top row first.
struct frame {
    int width = 0, height = 0;
    std::vector<Uint32> pixels;

    Uint32 At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // The smallest x, y, w, h in [x0, x1) x [y0, y1) holding all pixels not black; 0s if none.
    std::vector<int> Bounds(int x0 = 0, int y0 = 0, int x1 = INT_MAX, int y1 = INT_MAX) const
    {
        int minx = INT_MAX, miny = INT_MAX, maxx = -1, maxy = -1;
        for (int y = y0; y < std::min(y1, height); ++y)
            for (int x = x0; x < std::min(x1, width); ++x)
                if (At(x, y)) {
                    minx = std::min(minx, x), maxx = std::max(maxx, x);
                    miny = std::min(miny, y), maxy = std::max(maxy, y);
                }
        if (maxx < 0) return {0, 0, 0, 0};
        return {minx, miny, maxx - minx + 1, maxy - miny + 1};
    }
};

// The SDL back-end's screen surface, or OpenGL's back buffer (whose rows go up).
inline frame Frame()
{
    const SDL_Surface *s = SDL_GetVideoSurface();
    frame f{s->w, s->h, std::vector<Uint32>(static_cast<size_t>(s->w * s->h))};
    std::vector<Uint8> rgb(f.pixels.size() * 3);
    if (vimage::bound == &vimage::gl_backend) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, f.width, f.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            Uint8 *p = &rgb[static_cast<size_t>(((f.height - 1 - y) * f.width + x) * 3)];
            if (vimage::bound == &vimage::sdl_backend)
                SDL_GetRGB(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x], s->format,
                           &p[0], &p[1], &p[2]);
            f.pixels[static_cast<size_t>(y * f.width + x)] = p[0] << 16 | p[1] << 8 | p[2];
        }
    return f;
}

// An event of this type; a key event with this key and modifiers.
inline SDL_Event Event(Uint8 type, SDLKey sym = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE)
{
    SDL_Event ev{};
    ev.type = type;
    ev.key.state = SDL_PRESSED;
    ev.key.keysym.sym = sym;
    ev.key.keysym.mod = mod;
    return ev;
}

// A PNG file's pixels as libpng reads them, top row first.
inline frame ReadPng(const char *path)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path)) return {};
    img.format = PNG_FORMAT_BGRA;
    frame f{static_cast<int>(img.width), static_cast<int>(img.height),
            std::vector<Uint32>(img.width * img.height)};
    png_image_finish_read(&img, nullptr, f.pixels.data(), 0, nullptr);
    for (Uint32 &p : f.pixels) p &= 0xFFFFFF;
    return f;
}
