// display.h - opening the library's display for a test, and reading pixels.
//
// Tests run under SDL's dummy video driver (set by CTest) in the build folder,
// where vantor.ttf is staged. Each test case runs in its own process.
#pragma once

#include "image_internal.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Starts SDL and opens the SDL back-end at width x height, windowed, with
// software gamma at the given value (tenths).
inline void OpenDisplay(int width = 600, int height = 375, int gamma = 22)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
    ASSERT_EQ(ImageInit(BACKEND_SDL, width, height, 0, 2, gamma, gamma, gamma, 4), 0)
        << ImageError();
}

inline SDL_Surface *Screen()
{
    return vimage::backend.sdl.surfp;
}

// The colour of a screen pixel as 0xRRGGBB.
inline Uint32 PixelAt(int x, int y)
{
    SDL_Surface *s = Screen();
    const auto *row = static_cast<const Uint8 *>(s->pixels) + y * s->pitch;
    Uint32 value = 0;
    switch (s->format->BytesPerPixel) {
    case 4:
        value = reinterpret_cast<const Uint32 *>(row)[x];
        break;
    case 2:
        value = reinterpret_cast<const Uint16 *>(row)[x];
        break;
    default:
        value = row[x];
    }
    Uint8 r, g, b;
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return Uint32{r} << 16 | Uint32{g} << 8 | b;
}

// The smallest rectangle holding every pixel that is not black; w = 0 when
// there is none.
inline SDL_Rect LitBounds(int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    if (x1 < 0) x1 = Screen()->w;
    if (y1 < 0) y1 = Screen()->h;
    int minx = x1, miny = y1, maxx = -1, maxy = -1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (PixelAt(x, y) != 0) {
                minx = std::min(minx, x);
                maxx = std::max(maxx, x);
                miny = std::min(miny, y);
                maxy = std::max(maxy, y);
            }
    if (maxx < 0) return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{static_cast<Sint16>(minx), static_cast<Sint16>(miny),
                    static_cast<Uint16>(maxx - minx + 1), static_cast<Uint16>(maxy - miny + 1)};
}

// The colour word drawn for a linear colour under software gamma.
inline Uint32 Corrected(Uint32 col)
{
    return vimage::ImageGammaRGB(col);
}
