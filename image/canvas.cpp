// canvas.cpp - how the logical canvas lies on the screen.
//
// Everything the library draws is addressed on a canvas 40 units wide and 25
// high. A unit is `xscale` = `yscale` whole pixels, the largest square unit
// with which the canvas fits the screen; the canvas is centred and the rest is
// margin (the odd pixel of an uneven margin goes below or to the right).
// Whole-unit cells are [x, x+1) by [y, y+1).
//
// Units become pixels by truncation toward zero, so a position just left of
// the canvas (-0.5 units) still maps into the first pixel column's unit, and
// pixel positions never pass through SDL's 16-bit rectangle fields unclipped.
//
// Depends on: the back-end table (for the line helpers).

#include "image_internal.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace vimage {

canvas_state canvas;

canvas_state CanvasFor(int width, int height)
{
    canvas_state c;
    c.xscale = c.yscale = std::min(width / CANVAS_W, height / CANVAS_H);
    const int spare_w = width - CANVAS_W * c.xscale;
    const int spare_h = height - CANVAS_H * c.yscale;
    c.xoffset = spare_w >> 1;
    c.xremain = spare_w - c.xoffset;
    c.yoffset = spare_h >> 1;
    c.yremain = spare_h - c.yoffset;
    if (c.xscale > 0) {
        c.xborder = (c.xoffset + c.xscale - 1) / c.xscale;
        c.yborder = (c.yoffset + c.yscale - 1) / c.yscale;
    }
    return c;
}

int TruncToInt(double v)
{
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(v);
}

// The pan in pixels: 64ths of a unit times the scale, rounded toward minus
// infinity (an arithmetic shift), in 64 bits so that no pan overflows.
static long long PanPixels(int pan, int scale)
{
    return (static_cast<long long>(pan) * scale) >> 6;
}

SDL_Rect ClipRect(int x, int y, int w, int h, const SDL_Surface *surface)
{
    SDL_Rect r{0, 0, 0, 0};
    if (!surface || w <= 0 || h <= 0) return r;
    const long long x0 = std::max<long long>(x, 0);
    const long long y0 = std::max<long long>(y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(x) + w, surface->w);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + h, surface->h);
    if (x1 <= x0 || y1 <= y0) return r;
    r.x = static_cast<Sint16>(x0);
    r.y = static_cast<Sint16>(y0);
    r.w = static_cast<Uint16>(x1 - x0);
    r.h = static_cast<Uint16>(y1 - y0);
    return r;
}

int FillSurface(SDL_Surface *surface, SDL_Rect r, Uint32 pixel)
{
    const int bpp = surface->format->BytesPerPixel;
    if (bpp == 3) return SDL_FillRect(surface, &r, pixel) < 0 ? -1 : 0;
    if (SDL_LockSurface(surface) < 0) return -1;
    auto *first = static_cast<Uint8 *>(surface->pixels) + r.y * surface->pitch + r.x * bpp;
    for (int y = 0; y < r.h; ++y) {
        Uint8 *row = first + static_cast<ptrdiff_t>(y) * surface->pitch;
        if (bpp == 4)
            std::fill_n(reinterpret_cast<Uint32 *>(row), r.w, pixel);
        else if (bpp == 2)
            std::fill_n(reinterpret_cast<Uint16 *>(row), r.w, static_cast<Uint16>(pixel));
        else
            std::memset(row, static_cast<int>(pixel & 0xff), r.w);
    }
    SDL_UnlockSurface(surface);
    return 0;
}

int BlitAt(SDL_Surface *src, int x, int y, SDL_Surface *dst)
{
    SDL_Rect to = ClipRect(x, y, src->w, src->h, dst);
    if (to.w == 0) return 0;
    SDL_Rect from{static_cast<Sint16>(to.x - x), static_cast<Sint16>(to.y - y), to.w, to.h};
    return SDL_BlitSurface(src, &from, dst, &to);
}

int ImagePanSDL(int, int)
{
    return -1;
}
int ImageClearBorderSDL()
{
    return -1;
}

} // namespace vimage

using vimage::canvas;

extern "C" int ImageX(float x)
{
    return vimage::TruncToInt(canvas.xoffset + canvas.xscale * static_cast<double>(x) +
                              static_cast<double>(vimage::PanPixels(canvas.xpan, canvas.xscale)));
}

extern "C" int ImageY(float y)
{
    return vimage::TruncToInt(canvas.yoffset + canvas.yscale * static_cast<double>(y) +
                              static_cast<double>(vimage::PanPixels(canvas.ypan, canvas.yscale)));
}

extern "C" float ImageGetX(int x)
{
    if (canvas.xscale == 0) return 0.0f;
    return static_cast<float>(x - canvas.xoffset) / static_cast<float>(canvas.xscale);
}

extern "C" float ImageGetY(int y)
{
    if (canvas.yscale == 0) return 0.0f;
    return static_cast<float>(y - canvas.yoffset) / static_cast<float>(canvas.yscale);
}

extern "C" int ImageHorizLine(int x, int y, int width, Uint32 col)
{
    ImageRectFrac(static_cast<float>(x), static_cast<float>(y) + 0.375f, static_cast<float>(width),
                  0.25f, col);
    return 0;
}

extern "C" int ImageVertLine(int x, int y, int height, Uint32 col)
{
    ImageRectFrac(static_cast<float>(x) + 0.375f, static_cast<float>(y), 0.25f,
                  static_cast<float>(height), col);
    return 0;
}
