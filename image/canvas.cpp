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
    return ImageRectFrac(static_cast<float>(x), static_cast<float>(y) + 0.375f,
                         static_cast<float>(width), 0.25f, col);
}

extern "C" int ImageVertLine(int x, int y, int height, Uint32 col)
{
    return ImageRectFrac(static_cast<float>(x) + 0.375f, static_cast<float>(y), 0.25f,
                         static_cast<float>(height), col);
}
