// resample.cpp - bringing a decoded picture to its pixel size on the screen.
//
// Pictures are drawn for IMAGE_SCALE = 64 pixels a canvas unit; the screen has
// `scale` pixels a unit (xscale = yscale, 1 and up). Two resamplers:
//
// The cell resampler (ResampleCells) reduces a picture of exactly 64 pixels a
// unit to 1..63 pixels a unit as an exact area average in integers. Along one
// axis, a unit's `scale` screen pixels divide its 64 source pixels evenly:
// screen pixel i covers source positions [64 i / scale, 64 (i + 1) / scale).
// Measured in 1/4096 of a screen pixel, a whole source pixel weighs
// 64 * scale, so the weights of one screen pixel add up to 0x1000 exactly and
// no rounding happens in them. Walking the unit from its left edge, each
// screen pixel takes what is left of the source pixel where the previous one
// stopped (weight0), then n whole pixels (weight each), then part of one more
// (weight1, 0 when the boundary falls between two source pixels). One
// _coefficients record holds these five numbers; CalculateCoefficients builds
// the `scale` records of a unit once, at ImageInit. The last record of a unit
// ends exactly on source pixel 63, so no screen pixel ever reads a pixel of
// the next unit.
//
// A screen pixel is then the sum over its block of source bytes times column
// weight times row weight, plus 0x800000, shifted right by 24: the area
// average rounded to nearest, halves up. The block weights add up to 2^24, so
// the sum is at most 255 * 2^24 + 2^23 and fits in 32 bits. The sum is formed
// class by class so that the inner loops only add bytes: the four corners get
// their own weight products; the rest of the first row, of the first column,
// the interior, the rest of the last column and of the last row are added up
// unweighted and multiplied once each. Integer sums are exact, so the result
// is bit for bit the direct weighted sum. To keep each source byte to one
// add, the rows of a block are gathered once per screen row: the first and
// last rows are read where they lie, the n middle rows are added up column by
// column into a row of 16-bit sums (at most 63 rows of 255: well within).
//
// The float resampler (ResampleFloat) scales any size to any size in single
// precision. When it reduces in at least one direction it averages areas:
// each target pixel is the mean of the source area it covers, partly covered
// source pixels weighted by the covered part. When it enlarges (or keeps) in
// both directions it interpolates linearly between the source pixel at the
// target pixel's corner and the next one, repeating the last row and column.
// With alpha, colours are averaged weighted by their alpha, so transparent
// pixels do not darken the edges of opaque ones.
//
// Both keep LoadPNG's buffer format (3 or 4 bytes a pixel, rows without gaps,
// zero padding to powers of two on request) and work on rows as stored, so
// they serve top-down and bottom-up buffers alike.
//
// Depends on: nothing but the C library.

#include "image_internal.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vimage {

resample_state resample;

int NextPowerOfTwo(int v)
{
    int p = 1;
    while (p < v && p <= (1 << 29)) p <<= 1;
    return p;
}

size_t PictureBytes(long long width2, long long height2, int bpp)
{
    if (width2 <= 0 || height2 <= 0 || bpp <= 0) return 0;
    if (width2 > MAX_PICTURE_SIDE || height2 > MAX_PICTURE_SIDE) return 0;
    const unsigned long long bytes = static_cast<unsigned long long>(width2) *
                                     static_cast<unsigned long long>(height2) *
                                     static_cast<unsigned long long>(bpp);
    if (bytes > MAX_PICTURE_BYTES) return 0;
    return static_cast<size_t>(bytes);
}

void CalculateCoefficients(int scale, _coefficients *p)
{
    if (scale < 1 || scale > IMAGE_SCALE - 1) return;
    const uint32_t weight = IMAGE_SCALE * static_cast<uint32_t>(scale);
    uint32_t offset = 0;
    uint32_t residue = 0;
    for (int i = 0; i < scale; ++i, ++p) {
        assert(offset <= 63);
        p->offset = offset;
        p->weight0 = weight - residue;
        p->weight = weight;
        p->n = (0x1000 - p->weight0) / weight;
        p->weight1 = 0x1000 - p->weight0 - p->n * weight;
        assert(p->weight0 + p->n * p->weight + p->weight1 == 0x1000);
        offset += p->n + 1;
        residue = p->weight1;
    }
    assert(offset == IMAGE_SCALE);
}

namespace {

// A new picture of new_width x new_height pixels in the buffer that `pad2`
// asks for; null pixels when it cannot be had. The buffer is not cleared.
picture NewPicture(int new_width, int new_height, int bpp, bool pad2)
{
    picture p;
    if (new_width <= 0 || new_height <= 0) return p;
    p.width = new_width;
    p.height = new_height;
    p.width2 = pad2 ? NextPowerOfTwo(new_width) : new_width;
    p.height2 = pad2 ? NextPowerOfTwo(new_height) : new_height;
    p.bpp = bpp;
    const size_t bytes = PictureBytes(p.width2, p.height2, bpp);
    if (bytes != 0) p.pixels.reset(static_cast<unsigned char *>(std::malloc(bytes)));
    return p;
}

// Zeroes what lies outside the picture: the end of each row and the rows
// below it.
void ClearPadding(picture &p)
{
    const size_t row = static_cast<size_t>(p.width2) * p.bpp;
    const size_t used = static_cast<size_t>(p.width) * p.bpp;
    unsigned char *base = p.pixels.get();
    if (used < row)
        for (int y = 0; y < p.height; ++y) std::memset(base + y * row + used, 0, row - used);
    std::memset(base + p.height * row, 0, (p.height2 - p.height) * row);
}

template <int BPP>
void CellRows(const picture &src, picture &dst, int xscale, const _coefficients *xtab, int yscale,
              const _coefficients *ytab, uint16_t *middle)
{
    const size_t rstride = static_cast<size_t>(src.width2) * BPP;
    const size_t new_rstride = static_cast<size_t>(dst.width2) * BPP;
    const size_t used = static_cast<size_t>(src.width) * BPP;
    const unsigned char *in = src.pixels.get();

    int ycell = 0, iy = 0;
    for (int y = 0; y < dst.height; ++y) {
        const _coefficients &yc = ytab[iy];
        const size_t r0 = static_cast<size_t>(ycell) * IMAGE_SCALE + yc.offset;
        const unsigned char *first = in + r0 * rstride;
        // Without a partly used last row, the first row stands in at weight 0.
        const unsigned char *last = yc.weight1 ? in + (r0 + yc.n + 1) * rstride : first;

        // The middle rows of this screen row's blocks, added up per byte.
        std::memset(middle, 0, used * sizeof *middle);
        for (uint32_t r = 1; r <= yc.n; ++r) {
            const unsigned char *row = in + (r0 + r) * rstride;
            // In blocks of a fixed size, which compilers turn into vector adds.
            size_t i = 0;
            for (; i + 32 <= used; i += 32)
                for (size_t k = i; k < i + 32; ++k)
                    middle[k] = static_cast<uint16_t>(middle[k] + row[k]);
            for (; i < used; ++i) middle[i] = static_cast<uint16_t>(middle[i] + row[i]);
        }

        unsigned char *out = dst.pixels.get() + y * new_rstride;
        int xcell = 0, ix = 0;
        for (int x = 0; x < dst.width; ++x, out += BPP) {
            const _coefficients &xc = xtab[ix];
            const size_t c0 = (static_cast<size_t>(xcell) * IMAGE_SCALE + xc.offset) * BPP;
            // Without a partly used last column, the first stands in at weight 0.
            const size_t cl = xc.weight1 ? c0 + (xc.n + 1) * BPP : c0;

            // Weight products of the classes.
            const uint32_t first_first = xc.weight0 * yc.weight0;
            const uint32_t last_first = xc.weight1 * yc.weight0;
            const uint32_t first_last = xc.weight0 * yc.weight1;
            const uint32_t last_last = xc.weight1 * yc.weight1;
            const uint32_t first_row = xc.weight * yc.weight0;
            const uint32_t first_col = xc.weight0 * yc.weight;
            const uint32_t interior = xc.weight * yc.weight;
            const uint32_t last_col = xc.weight1 * yc.weight;
            const uint32_t last_row = xc.weight * yc.weight1;

            uint32_t sum_first[BPP] = {}, sum_middle[BPP] = {}, sum_last[BPP] = {};
            for (size_t j = c0 + BPP; j < c0 + (xc.n + 1) * BPP; j += BPP)
                for (int k = 0; k < BPP; ++k) {
                    sum_first[k] += first[j + k];
                    sum_middle[k] += middle[j + k];
                    sum_last[k] += last[j + k];
                }
            for (int k = 0; k < BPP; ++k) {
                const uint32_t sum = first_first * first[c0 + k] + last_first * first[cl + k] +
                                     first_last * last[c0 + k] + last_last * last[cl + k] +
                                     first_row * sum_first[k] + first_col * middle[c0 + k] +
                                     interior * sum_middle[k] + last_col * middle[cl + k] +
                                     last_row * sum_last[k] + 0x800000u;
                out[k] = static_cast<unsigned char>(sum >> 24);
            }

            if (++ix == xscale) {
                ix = 0;
                ++xcell;
            }
        }
        if (++iy == yscale) {
            iy = 0;
            ++ycell;
        }
    }
}

} // namespace

picture ResampleCells(const picture &src, int width, int height, int xscale,
                      const _coefficients *xc, int yscale, const _coefficients *yc, bool pad2)
{
    assert(src.width == width * IMAGE_SCALE && src.height == height * IMAGE_SCALE);
    assert(xscale >= 1 && xscale < IMAGE_SCALE && yscale >= 1 && yscale < IMAGE_SCALE);
    picture dst = NewPicture(width * xscale, height * yscale, src.bpp, pad2);
    if (!dst.pixels) return dst;

    const size_t used = static_cast<size_t>(src.width) * src.bpp;
    malloc_ptr<uint16_t> middle(static_cast<uint16_t *>(std::malloc(used * sizeof(uint16_t))));
    if (!middle) return picture{};

    if (src.bpp == 4)
        CellRows<4>(src, dst, xscale, xc, yscale, yc, middle.get());
    else
        CellRows<3>(src, dst, xscale, xc, yscale, yc, middle.get());
    ClearPadding(dst);
    return dst;
}

namespace {

// The part of source pixel [i, i + 1) that the target span [lo, hi) covers.
// When the span is at least one pixel long, this is the weight the area
// average has always used: (i + 1) - lo for the pixel the span starts in,
// else the smaller of 1 and hi - i. A shorter span (reducing across, but
// enlarging along this axis) must not count more than its own length.
inline float Covered(int i, float lo, float hi)
{
    const float fi = static_cast<float>(i);
    return std::min(fi + 1, hi) - std::max(fi, lo);
}

// Rounds an accumulated average to a byte: limited to 0 .. 254.5, + 0.5,
// truncated.
inline unsigned char ToByte(float v)
{
    v = std::clamp(v, 0.0f, 254.5f);
    return static_cast<unsigned char>(v + 0.5f);
}

} // namespace

picture ResampleFloat(const picture &src, int new_width, int new_height, bool pad2)
{
    picture dst = NewPicture(new_width, new_height, src.bpp, pad2);
    if (!dst.pixels || src.width <= 0 || src.height <= 0) return picture{};

    const int bpp = src.bpp;
    const bool alpha = bpp == 4;
    const float kx = static_cast<float>(src.width) / static_cast<float>(new_width);
    const float ky = static_cast<float>(src.height) / static_cast<float>(new_height);
    const bool scaling_down = kx > 1 || ky > 1;
    const size_t rstride = static_cast<size_t>(src.width2) * bpp;
    const unsigned char *in = src.pixels.get();

    unsigned char *out = dst.pixels.get();
    for (int y = 0; y < dst.height2; ++y) {
        for (int x = 0; x < dst.width2; ++x, out += bpp) {
            if (x >= new_width || y >= new_height) {
                std::memset(out, 0, bpp);
                continue;
            }
            const float y0 = static_cast<float>(y) * ky, y1 = y0 + ky;
            const float x0 = static_cast<float>(x) * kx, x1 = x0 + kx;
            const int iy0 = static_cast<int>(y0), iy1 = static_cast<int>(y1);
            const int ix0 = static_cast<int>(x0), ix1 = static_cast<int>(x1);
            float val[4] = {0, 0, 0, 0};

            auto add = [&](int ix, int iy, float wx, float wy) {
                const unsigned char *s =
                    in + static_cast<size_t>(iy) * rstride + static_cast<size_t>(ix) * bpp;
                if (alpha) {
                    for (int c = 0; c < 3; ++c)
                        val[c] += static_cast<float>(s[c]) * wx * wy * static_cast<float>(s[3]);
                    val[3] += static_cast<float>(s[3]) * wx * wy;
                } else {
                    for (int c = 0; c < 3; ++c) val[c] += static_cast<float>(s[c]) * wx * wy;
                }
            };

            if (scaling_down) {
                for (int iy = iy0; iy <= iy1 && iy < src.height; ++iy) {
                    const float wy = Covered(iy, y0, y1);
                    for (int ix = ix0; ix <= ix1 && ix < src.width; ++ix)
                        add(ix, iy, Covered(ix, x0, x1), wy);
                }
            } else {
                // Rounding can put the corner a hair past the last pixel.
                const int ry = std::min(iy0, src.height - 1);
                const int rx = std::min(ix0, src.width - 1);
                for (int iy = ry; iy <= ry + 1 && iy < src.height; ++iy) {
                    const float wy = ry == src.height - 1 ? ky
                                     : iy == ry           ? (static_cast<float>(ry + 1) - y0) * ky
                                                          : (y0 - static_cast<float>(ry)) * ky;
                    for (int ix = rx; ix <= rx + 1 && ix < src.width; ++ix) {
                        const float wx = rx == src.width - 1 ? kx
                                         : ix == rx ? (static_cast<float>(rx + 1) - x0) * kx
                                                    : (x0 - static_cast<float>(rx)) * kx;
                        add(ix, iy, wx, wy);
                    }
                }
            }

            const float area = ky * kx;
            if (alpha) {
                const float a = std::clamp(val[3] / area, 0.0f, 254.5f);
                out[3] = ToByte(a);
                for (int c = 2; c >= 0; --c) out[c] = a > 0 ? ToByte(val[c] / (area * a)) : 0;
            } else {
                for (int c = 0; c < 3; ++c) out[c] = ToByte(val[c] / area);
            }
        }
    }
    return dst;
}

} // namespace vimage
