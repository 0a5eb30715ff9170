// The canvas geometry for the screen sizes the game meets, and the unit/pixel
// conversions with their truncation toward zero.

#include "display.h"

#include <climits>

using vimage::canvas;
using vimage::CanvasFor;

struct geometry_case {
    int w, h;
    int scale, xoffset, xremain, yoffset, yremain, xborder, yborder;
};

TEST(Canvas, GeometryForCommonScreens)
{
    const geometry_case cases[] = {
        {40, 25, 1, 0, 0, 0, 0, 0, 0},          {600, 375, 15, 0, 0, 0, 0, 0, 0},
        {800, 600, 20, 0, 0, 50, 50, 0, 3},     {1024, 768, 25, 12, 12, 71, 72, 1, 3},
        {640, 480, 16, 0, 0, 40, 40, 0, 3},     {41, 26, 1, 0, 1, 0, 1, 0, 0},
        {1920, 1080, 43, 100, 100, 2, 3, 3, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const auto g = CanvasFor(c.w, c.h);
        EXPECT_EQ(g.xscale, c.scale);
        EXPECT_EQ(g.yscale, c.scale);
        EXPECT_EQ(g.xoffset, c.xoffset);
        EXPECT_EQ(g.xremain, c.xremain);
        EXPECT_EQ(g.yoffset, c.yoffset);
        EXPECT_EQ(g.yremain, c.yremain);
        EXPECT_EQ(g.xborder, c.xborder);
        EXPECT_EQ(g.yborder, c.yborder);
        // The canvas and its margins always make up the whole screen.
        EXPECT_EQ(g.xoffset + 40 * g.xscale + g.xremain, c.w);
        EXPECT_EQ(g.yoffset + 25 * g.yscale + g.yremain, c.h);
    }
}

TEST(Canvas, UnitsToPixelsTruncateTowardZero)
{
    canvas = CanvasFor(800, 500);
    EXPECT_EQ(ImageX(0.99f), 19);
    EXPECT_EQ(ImageX(-0.49f), -9);
    EXPECT_EQ(ImageX(40.0f), 800);
    canvas = CanvasFor(800, 600);
    EXPECT_EQ(ImageY(0.0f), 50);
    EXPECT_EQ(ImageY(2.25f), 95);
    // Positions far off the canvas saturate instead of overflowing.
    EXPECT_EQ(ImageX(1e12f), INT_MAX);
    EXPECT_EQ(ImageX(-1e12f), INT_MIN);
}

TEST(Canvas, PixelsToUnitsIgnoreThePan)
{
    canvas = CanvasFor(1024, 768);
    EXPECT_LT(ImageGetX(5), 0.0f); // inside the left margin
    EXPECT_FLOAT_EQ(ImageGetX(12 + 25), 1.0f);
    EXPECT_FLOAT_EQ(ImageGetY(71 + 50), 2.0f);
    canvas.xpan = 64;
    EXPECT_FLOAT_EQ(ImageGetX(12 + 25), 1.0f);
}

TEST(Canvas, PanShiftsRoundTowardMinusInfinity)
{
    canvas = CanvasFor(800, 500);
    canvas.xpan = -1; // -20/64 of a pixel is -1 pixel, not 0
    EXPECT_EQ(ImageX(0.0f), -1);
    canvas.xpan = 64;
    EXPECT_EQ(ImageX(0.0f), 20);
    canvas.ypan = INT_MIN; // no overflow in the pan product
    EXPECT_EQ(ImageY(0.0f), static_cast<int>((static_cast<long long>(INT_MIN) * 20) >> 6));
}

TEST(Canvas, ClipRectKeepsOnlyTheVisiblePart)
{
    SDL_Surface surface{};
    surface.w = 600;
    surface.h = 375;
    auto same = [](SDL_Rect r, int x, int y, int w, int h) {
        return r.x == x && r.y == y && r.w == w && r.h == h;
    };
    EXPECT_TRUE(same(vimage::ClipRect(10, 20, 30, 40, &surface), 10, 20, 30, 40));
    EXPECT_TRUE(same(vimage::ClipRect(-10, -20, 30, 40, &surface), 0, 0, 20, 20));
    EXPECT_TRUE(same(vimage::ClipRect(590, 370, 30, 40, &surface), 590, 370, 10, 5));
    // Far off the surface: nothing, where 16-bit fields would have wrapped onto it.
    EXPECT_EQ(vimage::ClipRect(65536 + 10, 10, 20, 20, &surface).w, 0);
    EXPECT_EQ(vimage::ClipRect(INT_MAX, 0, INT_MAX, 10, &surface).w, 0);
    EXPECT_EQ(vimage::ClipRect(0, 0, 0, 10, &surface).w, 0);
    EXPECT_EQ(vimage::ClipRect(0, 0, 10, 10, nullptr).w, 0);
}
