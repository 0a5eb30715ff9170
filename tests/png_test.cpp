// Pictures: PNG loading against the corpus, places and limits; the resamplers.

#include "display.h"
#include "png_corpus.h"
#include "png_write.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <random>

using vimage::picture;

namespace {

// A picture in a buffer of width2 x h whose padding, 0xA5, shows if read.
template <class F>
picture Make(int w, int h, int bpp, int width2, F fill)
{
    const int bytes = width2 * h * bpp;
    picture p;
    p.width = w, p.height = h, p.width2 = width2, p.height2 = h, p.bpp = bpp;
    p.pixels.reset(static_cast<unsigned char *>(std::malloc(static_cast<size_t>(bytes))));
    for (int i = 0, x = 0; i < bytes; ++i, x = i / bpp % width2)
        p.pixels.get()[i] =
            static_cast<unsigned char>(x < w ? fill(x, i / bpp / width2, i % bpp) : 0xA5);
    return p;
}

int At(const picture &p, int x, int y, int c)
{
    return p.pixels.get()[(static_cast<size_t>(y) * p.width2 + x) * p.bpp + c];
}

const auto Sizes = [](const picture &p) {
    return std::vector({p.width, p.height, p.width2, p.height2});
};

// Channel c of pixel (x, y) of `p` reduced from 64 to xscale x yscale: the exact area average.
int AreaAverage(const picture &p, int c, int x, int y, int xscale, int yscale)
{
    auto overlap = [](int scale, int i, int j) {
        return std::max(0, std::min(64 * (i + 1), scale * (j + 1)) - std::max(64 * i, scale * j));
    };
    const int i = x % xscale, k = y % yscale;
    long long sum = 0; // in 1/4096 of a screen pixel
    for (int sy = 64 * k / yscale; sy <= std::min(63, 64 * (k + 1) / yscale); ++sy)
        for (int sx = 64 * i / xscale; sx <= std::min(63, 64 * (i + 1) / xscale); ++sx)
            sum += At(p, 64 * (x / xscale) + sx, 64 * (y / yscale) + sy, c) *
                   overlap(xscale, i, sx) * overlap(yscale, k, sy); // at most 255 * 64 * 64
    return static_cast<int>((2 * sum + 4096) / 8192);
}

// OpenGL's rows bottom-up, padded, never enlarged; SDL's top-down, to size.
constexpr vimage::png_options GL{.pad2 = true}, SDLC{.interpolate = true, .top_row_first = true};

// The screen LoadPNG decodes for, without opening a display.
void SetScreen(int scale, double screen_gamma)
{
    vimage::canvas.xscale = vimage::canvas.yscale = scale;
    vimage::CalculateCoefficients(scale, vimage::resample.x_coeff.data());
    vimage::CalculateCoefficients(scale, vimage::resample.y_coeff.data());
    vimage::gammas.screen_gamma = screen_gamma;
}

picture Load(const std::string &path, vimage::png_options o, bool alpha, int width = 0,
             int height = 0)
{
    o.alpha = alpha, o.width = width, o.height = height;
    return vimage::LoadPNG(path.c_str(), o);
}

} // namespace

// Every byte and the padding for screen gammas 2.2 and 1.0; refusals leave no size.
TEST(PngLoad, EveryColourTypeAndDepthDecodesToItsPixelsThePlaceDecidesTheSize)
{
    const scratch_dir scratch;
    for (double gamma : {1.0, 2.2}) { // 2.2 last: the screen for the cases below
        const std::vector<corpus_entry> corpus = MakeCorpus(gamma);
        SetScreen(15, gamma);
        for (const auto &e : corpus) WriteBytes(e.name, e.bytes);
        for (const corpus_entry &e : corpus)
            for (vimage::png_options c : {GL, SDLC})
                for (int alpha : {0, 1}) {
                    const picture l = Load(e.name, c, alpha);
                    const int w2 = c.pad2 ? std::bit_ceil(unsigned(e.width)) : e.width;
                    const int h2 = c.pad2 ? std::bit_ceil(unsigned(e.height)) : e.height;
                    ASSERT_EQ(Sizes(l), e.valid ? std::vector({e.width, e.height, w2, h2})
                                                : std::vector(4, 0))
                        << e.name << ": " << (l.pixels ? "" : ImageError());
                    if (!e.valid) {
                        EXPECT_STREQ(ImageError(), e.message.c_str()) << e.name;
                        continue;
                    }
                    for (int row = 0; row < h2; ++row)
                        for (int x = 0; x < w2 * l.bpp; ++x) {
                            const int y = c.top_row_first ? row : e.height - 1 - row,
                                      ch = x % l.bpp;
                            const bool pad = x >= e.width * l.bpp || row >= e.height;
                            const size_t at =
                                (static_cast<size_t>(y) * e.width + x / l.bpp) * 4 + ch;
                            ASSERT_NEAR(At(l, x / l.bpp, row, ch), pad ? 0 : e.rgba[at],
                                        pad || ch == 3 ? 0 : e.tolerance)
                                << e.name << " gamma " << gamma << (c.pad2 ? " gl" : " sdl")
                                << " alpha " << alpha << " at " << x / l.bpp << "," << row;
                        }
                }
    }
    EXPECT_FALSE(Load("missing.png", SDLC, 0).pixels);
    EXPECT_STREQ(ImageError(), std::strerror(ENOENT));
    EXPECT_FALSE(vimage::LoadPNG(nullptr, {}).pixels);
    EXPECT_STREQ(ImageError(), std::strerror(EINVAL));
    // Reduced for both callers, enlarged for SDL alone, padded with 0, within limits: a target side
    // of 16384 pixels but not one more, a scale of at least 1; refused, no size at all.
    const std::tuple<const char *, vimage::png_options, int, int, int, std::vector<int>> cases[] = {
        {"cells-512x256.png", GL, 15, 8, 4, {120, 60, 128, 64}},
        {"rgb8-100x50.png", GL, 15, 0, 4, {100, 50, 128, 64}},
        {"rgb8-100x50.png", GL, 15, 8, 4, {100, 50, 128, 64}},
        {"rgb8-100x50.png", SDLC, 15, 8, 4, {120, 60, 120, 60}},
        {"tall.png", GL, 15, 1, 4, {15, 60, 16, 64}},
        {"rgb8-100x50.png", SDLC, 15, -1, 4, {0, 0, 0, 0}},
        {"rgb8-100x50.png", SDLC, 1, 16384, 1, {16384, 1, 16384, 1}},
        {"rgb8-100x50.png", SDLC, 1, 16385, 1, {0, 0, 0, 0}},
        {"rgb8-100x50.png", GL, 0, 8, 4, {0, 0, 0, 0}}};
    for (const auto &[path, c, scale, width, height, sizes] : cases) {
        SetScreen(scale, 2.2);
        const picture l = Load(path, c, 0, width, height);
        ASSERT_EQ(Sizes(l), sizes) << path << (c.pad2 ? " gl " : " sdl ") << width;
        for (int row = 0; row < l.height2; ++row) // bottom-up: the padding from buffer row 0
            for (int x = row < l.height ? l.width * 3 : 0; x < l.width2 * 3; ++x)
                ASSERT_EQ(At(l, 0, row, x), 0) << path << " " << x << "," << row;
    }
    SetScreen(64, 2.2); // a 64-per-unit picture is already at its size
    const picture placed = Load("cells-512x256.png", SDLC, 0, 8, 4);
    const picture own = Load("cells-512x256.png", SDLC, 0);
    EXPECT_EQ(std::memcmp(placed.pixels.get(), own.pixels.get(), 512 * 256 * 3), 0);
    // Buffers up to 16384 pixels a side and 256 MiB, padding included; sizes below 1 refused
    // before a product of two could wrap round to a small one.
    EXPECT_EQ(vimage::PictureBytes(16384, 4096, 4), size_t{256} << 20);
    for (auto [w, h, bpp] : {std::tuple{16384, 4097, 4}, {16385, 1, 3}, {1, 16385, 3}, {-1, -1, 1}})
        EXPECT_EQ(vimage::PictureBytes(w, h, bpp), 0u) << w << "x" << h;
}

// At every scale (the other axis at 64 minus it), RGB and RGBA, padding unread.
TEST(Resample, CellsEqualTheDirectAreaSumAtEveryScaleFloatAsWorkedOut)
{
    for (int bpp : {3, 4}) {
        std::mt19937 rng(7u + static_cast<unsigned>(bpp));
        const picture src = Make(128, 64, bpp, 131, [&](int x, int, int) { // with stripes
            return x % 29 < 4 ? 255u : x % 31 < 2 ? 0u : rng() & 0xFF;
        });
        for (int scale = 1; scale <= 63; ++scale)
            for (int yscale : {scale, 64 - scale}) {
                std::array<vimage::_coefficients, 64> xt{}, yt{};
                vimage::CalculateCoefficients(scale, xt.data());
                vimage::CalculateCoefficients(yscale, yt.data());
                const picture out =
                    vimage::ResampleCells(src, 2, 1, scale, xt.data(), yscale, yt.data(), false);
                ASSERT_EQ(std::vector({out.width, out.height, out.width2}),
                          std::vector({2 * scale, yscale, 2 * scale}));
                for (int y = 0; y < out.height; ++y)
                    for (int x = 0; x < out.width * bpp; ++x) {
                        ASSERT_EQ(At(out, x / bpp, y, x % bpp),
                                  AreaAverage(src, x % bpp, x / bpp, y, scale, yscale))
                            << bpp << " " << scale << "x" << yscale << " " << x / bpp << "," << y;
                    }
            }
    }
    // Enlarging interpolates; opaque red and transparent black: red, half alpha.
    const picture four = vimage::ResampleFloat(
        Make(2, 1, 3, 2, [](int x, int, int c) { return x == 0 ? 10 + c : 21; }), 4, 1, false);
    const picture one = vimage::ResampleFloat(
        Make(2, 1, 4, 2, [](int x, int, int c) { return !x && c % 3 == 0 ? 255 : 0; }), 1, 1,
        false);
    EXPECT_EQ(std::vector(four.pixels.get(), four.pixels.get() + 12),
              std::vector<unsigned char>({10, 11, 12, 16, 16, 17, 21, 21, 21, 21, 21, 21}));
    EXPECT_EQ(std::vector(one.pixels.get(), one.pixels.get() + 4),
              std::vector<unsigned char>({255, 0, 0, 128}));
    // Transparent becomes black; uniform stays uniform, reduced (RGB too), enlarged along.
    for (auto [w, h, bpp, value, nw, nh] :
         {std::tuple{4, 4, 4, 0, 2, 2}, {40, 10, 4, 60, 20, 30}, {6, 4, 3, 90, 3, 2}}) {
        auto fill = [v = value](int, int, int c) { return v ? v + c : c < 3 ? 200 : 0; };
        const picture p = vimage::ResampleFloat(Make(w, h, bpp, w, fill), nw, nh, false);
        ASSERT_EQ(Sizes(p), std::vector({nw, nh, nw, nh}));
        for (int x = 0; x < nw * nh * bpp; ++x)
            ASSERT_EQ(p.pixels.get()[x], value ? value + x % bpp : 0) << w << "x" << h;
    }
}

// 8 x 4 units at (0, 0.5): 120 x 60 pixels from y 7.
TEST(Logo, MainPageShowsTheLogoReducedExactly)
{
    Open();
    session ses;
    ASSERT_EQ(ImageLoad(&ses.logo, "logo.png", 8, 4, 0), 0) << ImageError();
    ses.logo_loaded = true;
    DrawPageTop(ses, "");
    const frame f = Frame();
    // The file at its own size, top row first.
    const picture full = vimage::LoadPNG("logo.png", {0, 0, false, false, true, true});
    ASSERT_EQ(std::pair(full.width, full.height), std::pair(512, 256));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            Uint32 expected = 0;
            for (int c = 0; c < 3; ++c)
                expected = expected << 8 | static_cast<Uint32>(AreaAverage(full, c, x, y, 15, 15));
            ASSERT_EQ(f.At(x, 7 + y), expected) << x << "," << y;
        }
    image kept = ses.logo; // a failed load leaves the record as it was
    EXPECT_EQ(ImageLoad(&kept, "no-such-logo.png", 8, 4, 0), -1);
    EXPECT_EQ(kept.surfp, ses.logo.surfp);
}
