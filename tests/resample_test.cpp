// Picture resampling: the coefficient tables against the exact area each
// screen pixel covers, the cell resampler against a direct double-precision
// area sum at every scale, the float resampler against its worked examples and
// a straightforward area average.

#include "image_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using vimage::_coefficients;
using vimage::picture;

namespace {

// The weight (in 1/4096 of a screen pixel) of source pixel j in screen pixel i
// of a unit at `scale`: measured in 1/scale source pixels, screen pixel i is
// [64 i, 64 (i + 1)) and source pixel j is [scale j, scale (j + 1)); a whole
// source pixel weighs 64 * scale.
uint32_t AreaWeight(int scale, int i, int j)
{
    const int lo = std::max(64 * i, scale * j), hi = std::min(64 * (i + 1), scale * (j + 1));
    return hi > lo ? 64u * static_cast<uint32_t>(hi - lo) : 0u;
}

// The weight of each of a unit's 64 source pixels that a record describes.
std::vector<uint32_t> Expand(const _coefficients &c)
{
    std::vector<uint32_t> w(64, 0);
    w.at(c.offset) = c.weight0;
    for (uint32_t k = 1; k <= c.n; ++k) w.at(c.offset + k) = c.weight;
    if (c.weight1) w.at(c.offset + c.n + 1) = c.weight1;
    return w;
}

std::array<_coefficients, 64> Table(int scale)
{
    std::array<_coefficients, 64> t{};
    vimage::CalculateCoefficients(scale, t.data());
    return t;
}

bool Same(const _coefficients &c, uint32_t offset, uint32_t weight0, uint32_t n, uint32_t weight,
          uint32_t weight1)
{
    return c.offset == offset && c.weight0 == weight0 && c.n == n && c.weight == weight &&
           c.weight1 == weight1;
}

// A picture of w x h pixels in a buffer of width2 x h; `fill` gives each
// byte of the picture, and the padding holds 0xA5 so that any read of it
// shows in the result.
template <class F>
picture Make(int w, int h, int bpp, int width2, F fill)
{
    picture p;
    p.width = w;
    p.height = h;
    p.width2 = width2;
    p.height2 = h;
    p.bpp = bpp;
    const size_t bytes = static_cast<size_t>(width2) * h * bpp;
    p.pixels.reset(static_cast<unsigned char *>(std::malloc(bytes)));
    std::memset(p.pixels.get(), 0xA5, bytes);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c)
                p.pixels.get()[(static_cast<size_t>(y) * width2 + x) * bpp + c] =
                    static_cast<unsigned char>(fill(x, y, c));
    return p;
}

int At(const picture &p, int x, int y, int c)
{
    return p.pixels.get()[(static_cast<size_t>(y) * p.width2 + x) * p.bpp + c];
}

picture Random(int w, int h, int bpp, int width2, unsigned seed)
{
    std::mt19937 rng(seed);
    // Mostly random bytes, with saturated and empty stripes for the extremes.
    return Make(w, h, bpp, width2, [&](int x, int, int) {
        const auto r = static_cast<unsigned>(rng());
        if (x % 29 < 4) return 255u;
        if (x % 31 < 2) return 0u;
        return r & 0xFF;
    });
}

picture Cells(const picture &src, int xscale, int yscale, bool pad2 = false)
{
    const auto xt = Table(xscale), yt = Table(yscale);
    return vimage::ResampleCells(src, src.width / 64, src.height / 64, xscale, xt.data(), yscale,
                                 yt.data(), pad2);
}

} // namespace

TEST(Coefficients, WorkedExamples)
{
    const auto t1 = Table(1);
    EXPECT_TRUE(Same(t1[0], 0, 64, 63, 64, 0));

    const auto t2 = Table(2);
    EXPECT_TRUE(Same(t2[0], 0, 128, 31, 128, 0));
    EXPECT_TRUE(Same(t2[1], 32, 128, 31, 128, 0));

    const auto t3 = Table(3);
    EXPECT_TRUE(Same(t3[0], 0, 192, 20, 192, 64));
    EXPECT_TRUE(Same(t3[1], 21, 128, 20, 192, 128));
    EXPECT_TRUE(Same(t3[2], 42, 64, 21, 192, 0));

    const auto t15 = Table(15);
    EXPECT_TRUE(Same(t15[0], 0, 960, 3, 960, 256));
    EXPECT_TRUE(Same(t15[1], 4, 704, 3, 960, 512));
    EXPECT_TRUE(Same(t15[2], 8, 448, 3, 960, 768));
    EXPECT_TRUE(Same(t15[3], 12, 192, 4, 960, 64));
    EXPECT_TRUE(Same(t15[13], 55, 512, 3, 960, 704));
    EXPECT_TRUE(Same(t15[14], 59, 256, 4, 960, 0));

    const auto t63 = Table(63);
    EXPECT_TRUE(Same(t63[0], 0, 4032, 0, 4032, 64));
    EXPECT_TRUE(Same(t63[1], 1, 3968, 0, 4032, 128));
    EXPECT_TRUE(Same(t63[61], 61, 128, 0, 4032, 3968));
    EXPECT_TRUE(Same(t63[62], 62, 64, 1, 4032, 0));
}

TEST(Coefficients, EveryScaleSharesTheUnitByExactArea)
{
    for (int scale = 1; scale <= 63; ++scale) {
        const auto t = Table(scale);
        for (int i = 0; i < scale; ++i) {
            const auto w = Expand(t[i]);
            for (int j = 0; j < 64; ++j)
                ASSERT_EQ(w[j], AreaWeight(scale, i, j))
                    << "scale " << scale << " screen pixel " << i << " source pixel " << j;
        }
        // The unit's last screen pixel ends on source pixel 63 exactly.
        EXPECT_EQ(t[scale - 1].weight1, 0u) << scale;
        EXPECT_EQ(t[scale - 1].offset + t[scale - 1].n, 63u) << scale;
        // Entries past the scale are not written.
        for (int i = scale; i < 64; ++i) EXPECT_TRUE(Same(t[i], 0, 0, 0, 0, 0)) << scale;
    }
}

TEST(Coefficients, ScalesOutsideOneTo63WriteNothing)
{
    for (int scale : {64, 65, 100, 0, -1}) {
        std::array<_coefficients, 64> t;
        std::memset(t.data(), 0x5A, sizeof t);
        vimage::CalculateCoefficients(scale, t.data());
        for (const auto &c : t)
            EXPECT_TRUE(Same(c, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A))
                << scale;
    }
}

// Every target byte equals the area average computed directly in double
// precision from the exact overlaps, rounded to nearest with halves up: at
// every scale, RGB and RGBA, from a buffer with garbage in its row padding.
TEST(ResampleCells, EqualsTheDirectAreaSumAtEveryScale)
{
    for (int bpp : {3, 4}) {
        const picture src = Random(128, 64, bpp, 131, 7u + static_cast<unsigned>(bpp));
        for (int scale = 1; scale <= 63; ++scale) {
            // Different scales across and down as well, to keep the axes apart.
            for (int yscale : {scale, 64 - scale}) {
                const picture out = Cells(src, scale, yscale);
                ASSERT_TRUE(out.pixels);
                ASSERT_EQ(out.width, 2 * scale);
                ASSERT_EQ(out.height, yscale);
                ASSERT_EQ(out.width2, out.width);
                ASSERT_EQ(out.height2, out.height);
                for (int y = 0; y < out.height; ++y)
                    for (int x = 0; x < out.width; ++x)
                        for (int c = 0; c < bpp; ++c) {
                            // Source pixels of the target pixel's unit that
                            // it may overlap, and their exact overlaps.
                            const int i = x % scale, cell = x / scale;
                            double sum = 0;
                            for (int sy = 64 * y / yscale; sy <= 64 * (y + 1) / yscale && sy < 64;
                                 ++sy) {
                                const double wy = AreaWeight(yscale, y, sy) / 4096.0;
                                for (int j = 64 * i / scale; j <= 64 * (i + 1) / scale && j < 64;
                                     ++j) {
                                    const double wx = AreaWeight(scale, i, j) / 4096.0;
                                    sum += At(src, 64 * cell + j, sy, c) * wx * wy;
                                }
                            }
                            ASSERT_EQ(At(out, x, y, c), static_cast<int>(std::floor(sum + 0.5)))
                                << "bpp " << bpp << " scale " << scale << "x" << yscale << " at "
                                << x << "," << y << " byte " << c;
                        }
            }
        }
    }
}

// 3 x 2 units at scale 15 become 45 x 30 pixels in a 64 x 32 buffer whose
// last 19 pixels of each row and last 2 rows are 0.
TEST(ResampleCells, PaddingToPowersOfTwoIsZero)
{
    const picture src = Make(192, 128, 4, 192, [](int, int, int) { return 200; });
    const picture out = Cells(src, 15, 15, true);
    ASSERT_TRUE(out.pixels);
    EXPECT_EQ(out.width, 45);
    EXPECT_EQ(out.height, 30);
    EXPECT_EQ(out.width2, 64);
    EXPECT_EQ(out.height2, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(At(out, x, y, c), x < 45 && y < 30 ? 200 : 0) << x << "," << y;
}

TEST(ResampleFloat, HalvingAveragesTwoByTwoBlocks)
{
    const picture src = Random(100, 100, 3, 100, 11);
    const picture out = vimage::ResampleFloat(src, 50, 50, false);
    ASSERT_TRUE(out.pixels);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = At(src, 2 * x, 2 * y, c) + At(src, 2 * x + 1, 2 * y, c) +
                                At(src, 2 * x, 2 * y + 1, c) + At(src, 2 * x + 1, 2 * y + 1, c);
                ASSERT_EQ(At(out, x, y, c), (sum + 2) / 4) << x << "," << y;
            }
}

// 2 x 1 to 4 x 1: column 0 is source column 0, column 1 the mean of the two,
// columns 2 and 3 source column 1 (the last column repeats).
TEST(ResampleFloat, EnlargingInterpolatesAndRepeatsTheLastColumn)
{
    const picture src = Make(2, 1, 3, 2, [](int x, int, int c) { return x == 0 ? 10 + c : 21; });
    const picture out = vimage::ResampleFloat(src, 4, 1, false);
    ASSERT_TRUE(out.pixels);
    EXPECT_EQ(At(out, 0, 0, 0), 10);
    EXPECT_EQ(At(out, 0, 0, 2), 12);
    EXPECT_EQ(At(out, 1, 0, 0), 16); // 15.5 rounds up
    EXPECT_EQ(At(out, 1, 0, 1), 16);
    EXPECT_EQ(At(out, 1, 0, 2), 17);
    for (int x : {2, 3})
        for (int c = 0; c < 3; ++c) EXPECT_EQ(At(out, x, 0, c), 21);
}

// An opaque red pixel and a transparent black one: half the alpha, but the
// colour stays red.
TEST(ResampleFloat, AlphaWeightsTheColours)
{
    const picture src = Make(2, 1, 4, 2, [](int x, int, int c) {
        const int px[2][4] = {{255, 0, 0, 255}, {0, 0, 0, 0}};
        return px[x][c];
    });
    const picture out = vimage::ResampleFloat(src, 1, 1, false);
    ASSERT_TRUE(out.pixels);
    EXPECT_EQ(At(out, 0, 0, 0), 255);
    EXPECT_EQ(At(out, 0, 0, 1), 0);
    EXPECT_EQ(At(out, 0, 0, 2), 0);
    EXPECT_EQ(At(out, 0, 0, 3), 128);

    // Wholly transparent areas come out as transparent black.
    const picture clear = Make(4, 4, 4, 4, [](int, int, int c) { return c == 3 ? 0 : 200; });
    const picture none = vimage::ResampleFloat(clear, 2, 2, false);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(At(none, 1, 1, c), 0);
}

TEST(ResampleFloat, PaddingIsZeroInEveryByte)
{
    for (bool enlarge : {false, true}) {
        const picture src = Make(6, 6, 4, 6, [](int, int, int) { return 255; });
        const int w = enlarge ? 9 : 5, h = enlarge ? 7 : 3;
        const picture out = vimage::ResampleFloat(src, w, h, true);
        ASSERT_TRUE(out.pixels);
        EXPECT_EQ(out.width2, enlarge ? 16 : 8);
        EXPECT_EQ(out.height2, enlarge ? 8 : 4);
        for (int y = 0; y < out.height2; ++y)
            for (int x = 0; x < out.width2; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(At(out, x, y, c), x < w && y < h ? 255 : 0) << x << "," << y;
    }
}

// Against the area average written out in double precision: each target
// pixel the (alpha-weighted) mean of the source area it covers. Includes
// pictures reduced across and enlarged down, whose rows must weigh no more
// than the part they cover: a uniform picture stays uniform.
TEST(ResampleFloat, ReductionsMatchTheAreaAverage)
{
    struct size_case {
        int w, h, nw, nh;
    };
    for (const size_case sc : {size_case{37, 23, 10, 7}, size_case{64, 64, 15, 15},
                               size_case{40, 10, 20, 30}, size_case{9, 50, 23, 11}}) {
        for (int bpp : {3, 4}) {
            const picture src = Random(sc.w, sc.h, bpp, sc.w + 1, static_cast<unsigned>(sc.w));
            const picture out = vimage::ResampleFloat(src, sc.nw, sc.nh, false);
            ASSERT_TRUE(out.pixels);
            const double kx = double(sc.w) / sc.nw, ky = double(sc.h) / sc.nh;
            for (int y = 0; y < sc.nh; ++y)
                for (int x = 0; x < sc.nw; ++x) {
                    double val[4] = {0, 0, 0, 0};
                    for (int sy = 0; sy < sc.h; ++sy)
                        for (int sx = 0; sx < sc.w; ++sx) {
                            const double wy =
                                std::min(sy + 1.0, (y + 1) * ky) - std::max(double(sy), y * ky);
                            const double wx =
                                std::min(sx + 1.0, (x + 1) * kx) - std::max(double(sx), x * kx);
                            if (wx <= 0 || wy <= 0) continue;
                            const double a = bpp == 4 ? At(src, sx, sy, 3) : 1.0;
                            for (int c = 0; c < 3; ++c) val[c] += At(src, sx, sy, c) * wx * wy * a;
                            val[3] += a * wx * wy;
                        }
                    for (int c = 0; c < 3; ++c) {
                        const double v = val[3] > 0 ? val[c] / val[3] : 0;
                        ASSERT_NEAR(At(out, x, y, c), v, 1.0)
                            << sc.w << "x" << sc.h << " to " << sc.nw << "x" << sc.nh << " bpp "
                            << bpp << " at " << x << "," << y << " byte " << c;
                    }
                    if (bpp == 4) {
                        ASSERT_NEAR(At(out, x, y, 3), val[3] / (kx * ky), 1.0);
                    }
                }
        }
        const picture flat = Make(sc.w, sc.h, 3, sc.w, [](int, int, int c) { return 60 + c; });
        const picture out = vimage::ResampleFloat(flat, sc.nw, sc.nh, false);
        for (int y = 0; y < sc.nh; ++y)
            for (int x = 0; x < sc.nw; ++x)
                for (int c = 0; c < 3; ++c) ASSERT_EQ(At(out, x, y, c), 60 + c);
    }
}

TEST(ResampleFloat, ImpossibleTargetsGiveNoBuffer)
{
    const picture src = Make(4, 4, 3, 4, [](int, int, int) { return 1; });
    EXPECT_FALSE(vimage::ResampleFloat(src, 0, 4, false).pixels);
    EXPECT_FALSE(vimage::ResampleFloat(src, 4, -1, true).pixels);
    EXPECT_FALSE(vimage::ResampleFloat(src, vimage::MAX_PICTURE_SIDE + 1, 1, false).pixels);
    EXPECT_FALSE(vimage::ResampleFloat(src, vimage::MAX_PICTURE_SIDE, vimage::MAX_PICTURE_SIDE,
                                       false)
                     .pixels); // 768 MiB: over the byte limit
}
