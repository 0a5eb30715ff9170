// Picture resampling: the coefficient tables against the exact area each
// screen pixel covers, the cell resampler against a direct area sum at every
// scale, the float resampler against worked examples and an area average.

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

// The weight (1/4096 of a screen pixel) of source pixel j in screen pixel i
// of a unit at `scale`: in 1/scale source pixels, screen pixel i is
// [64 i, 64 (i + 1)) and source pixel j is [scale j, scale (j + 1)).
uint32_t AreaWeight(int scale, int i, int j)
{
    const int lo = std::max(64 * i, scale * j), hi = std::min(64 * (i + 1), scale * (j + 1));
    return hi > lo ? 64u * static_cast<uint32_t>(hi - lo) : 0u;
}

std::array<_coefficients, 64> Table(int scale)
{
    std::array<_coefficients, 64> t{};
    vimage::CalculateCoefficients(scale, t.data());
    return t;
}

std::vector<uint32_t> Fields(const _coefficients &c)
{
    return {c.offset, c.weight0, c.n, c.weight, c.weight1};
}

// A picture of w x h pixels in a buffer of width2 x h whose padding holds
// 0xA5, so that any read of it shows in the result.
template <class F>
picture Make(int w, int h, int bpp, int width2, F fill)
{
    picture p;
    p.width = w, p.height = h, p.width2 = width2, p.height2 = h, p.bpp = bpp;
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

std::vector<int> Sizes(const picture &p)
{
    return {p.width, p.height, p.width2, p.height2};
}

// Every byte of the picture is `inside`, every byte of the padding 0.
void ExpectFilled(const picture &p, int inside)
{
    ASSERT_TRUE(p.pixels);
    for (int y = 0; y < p.height2; ++y)
        for (int x = 0; x < p.width2; ++x)
            for (int c = 0; c < p.bpp; ++c)
                ASSERT_EQ(At(p, x, y, c), x < p.width && y < p.height ? inside : 0)
                    << x << "," << y << " of " << p.width2 << "x" << p.height2;
}

// Mostly random bytes, with saturated and empty stripes for the extremes.
picture Random(int w, int h, int bpp, int width2, unsigned seed)
{
    std::mt19937 rng(seed);
    return Make(w, h, bpp, width2, [&](int x, int, int) {
        const auto r = static_cast<unsigned>(rng());
        return x % 29 < 4 ? 255u : x % 31 < 2 ? 0u : r & 0xFF;
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
    // scale, screen pixel, then offset, weight0, n, weight, weight1.
    const uint32_t cases[][7] = {
        {1, 0, 0, 64, 63, 64, 0},      {2, 0, 0, 128, 31, 128, 0},
        {2, 1, 32, 128, 31, 128, 0},   {3, 0, 0, 192, 20, 192, 64},
        {3, 1, 21, 128, 20, 192, 128}, {3, 2, 42, 64, 21, 192, 0},
        {15, 0, 0, 960, 3, 960, 256},  {15, 1, 4, 704, 3, 960, 512},
        {15, 3, 12, 192, 4, 960, 64},  {15, 14, 59, 256, 4, 960, 0},
        {63, 0, 0, 4032, 0, 4032, 64}, {63, 61, 61, 128, 0, 4032, 3968},
        {63, 62, 62, 64, 1, 4032, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Fields(Table(static_cast<int>(c[0]))[c[1]]), std::vector<uint32_t>(c + 2, c + 7))
            << "scale " << c[0] << " pixel " << c[1];
}

TEST(Coefficients, OnlyScalesOneTo63AreWritten)
{
    for (int scale : {1, 15, 63, 64, 0, -1}) {
        std::array<_coefficients, 64> t;
        std::memset(t.data(), 0x5A, sizeof t);
        vimage::CalculateCoefficients(scale, t.data());
        const int written = scale >= 1 && scale <= 63 ? scale : 0;
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(Fields(t[i])[1] != 0x5A5A5A5A, i < written) << scale << " " << i;
    }
}

// Every target byte is the area average computed directly in double precision
// from the exact overlaps, rounded half up: at every scale (other scales down,
// to keep the axes apart), RGB and RGBA, with garbage in the row padding.
TEST(ResampleCells, EqualsTheDirectAreaSumAtEveryScale)
{
    for (int bpp : {3, 4}) {
        const picture src = Random(128, 64, bpp, 131, 7u + static_cast<unsigned>(bpp));
        for (int scale = 1; scale <= 63; ++scale)
            for (int yscale : {scale, 64 - scale}) {
                const picture out = Cells(src, scale, yscale);
                ASSERT_TRUE(out.pixels);
                ASSERT_EQ(Sizes(out), std::vector<int>({2 * scale, yscale, 2 * scale, yscale}));
                for (int y = 0; y < out.height; ++y)
                    for (int x = 0; x < out.width; ++x)
                        for (int c = 0; c < bpp; ++c) {
                            const int i = x % scale, cell = x / scale;
                            double sum = 0;
                            for (int sy = 64 * y / yscale; sy <= 64 * (y + 1) / yscale && sy < 64;
                                 ++sy)
                                for (int j = 64 * i / scale; j <= 64 * (i + 1) / scale && j < 64;
                                     ++j)
                                    sum += At(src, 64 * cell + j, sy, c) * AreaWeight(scale, i, j) /
                                           4096.0 * AreaWeight(yscale, y, sy) / 4096.0;
                            ASSERT_EQ(At(out, x, y, c), static_cast<int>(std::floor(sum + 0.5)))
                                << "bpp " << bpp << " scale " << scale << "x" << yscale << " at "
                                << x << "," << y << " byte " << c;
                        }
            }
    }
    // 3 x 2 units at scale 15 padded: 45 x 30 pixels in a 64 x 32 buffer.
    const picture out =
        Cells(Make(192, 128, 4, 192, [](int, int, int) { return 200; }), 15, 15, true);
    ASSERT_EQ(Sizes(out), std::vector<int>({45, 30, 64, 32}));
    ExpectFilled(out, 200);
}

TEST(ResampleFloat, WorkedExamples)
{
    // Halving averages 2 x 2 blocks, rounded half up.
    const picture src = Random(100, 100, 3, 100, 11);
    const picture half = vimage::ResampleFloat(src, 50, 50, false);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = At(src, 2 * x, 2 * y, c) + At(src, 2 * x + 1, 2 * y, c) +
                                At(src, 2 * x, 2 * y + 1, c) + At(src, 2 * x + 1, 2 * y + 1, c);
                ASSERT_EQ(At(half, x, y, c), (sum + 2) / 4) << x << "," << y;
            }
    // 2 x 1 to 4 x 1: column 0 is source column 0, column 1 the mean of the
    // two (15.5 rounds up), columns 2 and 3 source column 1.
    const picture two = Make(2, 1, 3, 2, [](int x, int, int c) { return x == 0 ? 10 + c : 21; });
    const picture four = vimage::ResampleFloat(two, 4, 1, false);
    const int want[4][3] = {{10, 11, 12}, {16, 16, 17}, {21, 21, 21}, {21, 21, 21}};
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(At(four, x, 0, c), want[x][c]) << x << "," << c;
    // An opaque red pixel and a transparent black one: half the alpha, but the
    // colour stays red; wholly transparent areas become transparent black.
    const picture pair =
        Make(2, 1, 4, 2, [](int x, int, int c) { return x == 0 && c != 1 && c != 2 ? 255 : 0; });
    const picture one = vimage::ResampleFloat(pair, 1, 1, false);
    EXPECT_EQ(
        std::vector<int>({At(one, 0, 0, 0), At(one, 0, 0, 1), At(one, 0, 0, 2), At(one, 0, 0, 3)}),
        std::vector<int>({255, 0, 0, 128}));
    const picture clear = Make(4, 4, 4, 4, [](int, int, int c) { return c == 3 ? 0 : 200; });
    const picture none = vimage::ResampleFloat(clear, 2, 2, false);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(At(none, 1, 1, c), 0);
}

TEST(ResampleFloat, PaddingIsZeroInEveryByte)
{
    const picture src = Make(6, 6, 4, 6, [](int, int, int) { return 255; });
    for (const auto &sizes : {std::vector<int>{5, 3, 8, 4}, {9, 7, 16, 8}}) {
        const picture out = vimage::ResampleFloat(src, sizes[0], sizes[1], true);
        ASSERT_EQ(Sizes(out), sizes);
        ExpectFilled(out, 255);
    }
}

// Reduced in one direction and enlarged in the other, rows and columns weigh
// no more than the part they cover: a uniform picture stays uniform.
TEST(ResampleFloat, UniformPicturesStayUniform)
{
    const int sizes[][4] = {{37, 23, 10, 7}, {40, 10, 20, 30}, {9, 50, 23, 11}};
    for (const auto [w, h, nw, nh] : sizes)
        ExpectFilled(vimage::ResampleFloat(Make(w, h, 4, w, [](int, int, int) { return 60; }), nw,
                                           nh, false),
                     60);
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
