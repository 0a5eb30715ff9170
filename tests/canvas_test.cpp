// The canvas geometry for the screen sizes the game meets, and the unit/pixel
// conversions with their truncation toward zero and their saturation.

#include "display.h"

#include <climits>

using vimage::canvas;
using vimage::CanvasFor;

TEST(Canvas, GeometryForCommonScreens)
{
    // w, h, then scale, xoffset, xremain, yoffset, yremain, xborder, yborder.
    const int cases[][9] = {
        {40, 25, 1, 0, 0, 0, 0, 0, 0},      {600, 375, 15, 0, 0, 0, 0, 0, 0},
        {800, 600, 20, 0, 0, 50, 50, 0, 3}, {1024, 768, 25, 12, 12, 71, 72, 1, 3},
        {41, 26, 1, 0, 1, 0, 1, 0, 0},      {1920, 1080, 43, 100, 100, 2, 3, 3, 1},
    };
    for (const auto &c : cases) {
        const auto g = CanvasFor(c[0], c[1]);
        const int got[] = {g.xscale,  g.xoffset, g.xremain, g.yoffset,
                           g.yremain, g.xborder, g.yborder};
        EXPECT_TRUE(std::equal(got, got + 7, c + 2)) << c[0] << "x" << c[1];
        EXPECT_EQ(g.yscale, g.xscale);
    }
}

TEST(Canvas, UnitsToPixelsTruncateAndSaturate)
{
    canvas = CanvasFor(800, 600);
    EXPECT_EQ(ImageX(0.99f), 19);
    EXPECT_EQ(ImageX(-0.49f), -9); // toward zero, not down
    EXPECT_EQ(ImageY(2.25f), 95);
    EXPECT_EQ(ImageX(1e12f), INT_MAX);
    EXPECT_EQ(ImageX(-1e12f), INT_MIN);
    // The pan (64ths of a unit) rounds toward minus infinity, without overflow.
    canvas.xpan = -1;
    EXPECT_EQ(ImageX(0.0f), -1);
    canvas.ypan = INT_MIN;
    EXPECT_EQ(ImageY(0.0f), 50 + static_cast<int>((static_cast<long long>(INT_MIN) * 20) >> 6));
    // Pixels back to units ignore the pan.
    canvas = CanvasFor(1024, 768);
    canvas.xpan = 64;
    EXPECT_LT(ImageGetX(5), 0.0f);
    EXPECT_FLOAT_EQ(ImageGetX(12 + 25), 1.0f);
    EXPECT_FLOAT_EQ(ImageGetY(71 + 50), 2.0f);
}
