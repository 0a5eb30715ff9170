// Pictures: the coefficient tables' worked examples, the cell resampler
// against a direct area sum at every scale, the float resampler's worked
// examples; PNG loading through both callers' argument sets (pixels, sizes,
// row order, padding), the messages of damaged and missing files, the size
// chosen for a place, and a checked-in table of what every corpus file
// decodes to (png_corpus_hashes.txt). When the loader changes on purpose,
// regenerate the table and review its diff:
//   VANTOR_WRITE_HASHES=1 build/image-tests --gtest_filter=PngCorpus.*

#include "display.h"
#include "png_corpus.h"
#include "png_write.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

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

// OpenGL wants bottom-up rows padded to powers of two and never enlarges;
// SDL wants top-down rows without padding, at the place's size.
struct caller {
    const char *name;
    int pad2, interpolate, fourth_quadrant;
};
constexpr caller GL{"gl", 1, 0, 0};
constexpr caller SDLC{"sdl", 0, 1, 1};

// The screen LoadPNG decodes for, without opening a display.
void SetScreen(int scale, double screen_gamma)
{
    vimage::canvas.xscale = vimage::canvas.yscale = scale;
    vimage::CalculateCoefficients(scale, vimage::resample.x_coeff.data());
    vimage::CalculateCoefficients(scale, vimage::resample.y_coeff.data());
    vimage::gammas.screen_gamma = screen_gamma;
}

// The corpus for a screen of scale 15 (set up too), in a scratch folder.
struct corpus_files {
    const scratch_dir scratch;
    std::vector<corpus_entry> entries;
    explicit corpus_files(double screen_gamma = 2.2) : entries(MakeCorpus(screen_gamma))
    {
        SetScreen(15, screen_gamma);
        for (const auto &e : entries) WriteBytes(e.name, e.bytes);
    }
};

picture Load(const std::string &path, caller c, int alpha, int width = 0, int height = 0)
{
    return vimage::LoadPNG(path.c_str(), {width, height, alpha != 0, c.pad2 != 0,
                                          c.interpolate != 0, c.fourth_quadrant != 0});
}

} // namespace

// Every byte of the picture and of the padding, at the file's own size. At a
// screen gamma of 1.0 (the hardware ramp) files without gAMA are converted
// from 0.45455 to linear intensities.
TEST(PngLoad, EveryColourTypeAndDepthDecodesToItsPixels)
{
    for (double gamma : {2.2, 1.0}) {
        const corpus_files files(gamma);
        for (const corpus_entry &e : files.entries)
            for (caller c : {GL, SDLC})
                for (int alpha : {0, 1}) {
                    if (!e.valid) continue;
                    const picture l = Load(e.name, c, alpha);
                    ASSERT_TRUE(l.pixels) << e.name << " " << c.name << ": " << ImageError();
                    const int w2 = c.pad2 ? vimage::NextPowerOfTwo(e.width) : e.width;
                    const int h2 = c.pad2 ? vimage::NextPowerOfTwo(e.height) : e.height;
                    ASSERT_EQ(Sizes(l), std::vector<int>({e.width, e.height, w2, h2})) << e.name;
                    for (int row = 0; row < h2; ++row)
                        for (int x = 0; x < w2; ++x)
                            for (int ch = 0; ch < l.bpp; ++ch) {
                                const int y = c.fourth_quadrant ? row : e.height - 1 - row;
                                const bool pad = x >= e.width || row >= e.height;
                                const size_t at = (static_cast<size_t>(y) * e.width + x) * 4 + ch;
                                ASSERT_NEAR(At(l, x, row, ch), pad ? 0 : e.rgba[at],
                                            pad || ch == 3 ? 0 : e.tolerance)
                                    << e.name << " gamma " << gamma << " " << c.name << " alpha "
                                    << alpha << " at " << x << "," << row << " byte " << ch;
                            }
                }
    }
}

TEST(PngLoad, DamagedAndMissingFilesFailWithTheirMessage)
{
    const corpus_files files;
    for (const auto &e : files.entries)
        for (caller c : {GL, SDLC}) {
            const picture l = Load(e.name, c, 1, 8, 4);
            if (e.valid || (e.message.empty() && l.pixels)) continue; // damage zlib did not notice
            EXPECT_FALSE(l.pixels) << e.name;
            EXPECT_STREQ(ImageError() ? ImageError() : "",
                         e.message.empty() ? "Could not read image data" : e.message.c_str())
                << e.name;
            EXPECT_EQ(Sizes(l), std::vector<int>(4, 0)) << e.name;
        }
    EXPECT_FALSE(Load("missing.png", SDLC, 0).pixels);
    EXPECT_STREQ(ImageError(), std::strerror(ENOENT));
    // A folder opens on some systems and then cannot be read; Windows refuses it.
    EXPECT_FALSE(Load(".", GL, 1).pixels);
    EXPECT_TRUE(ImageError() == std::string("Could not read image header") ||
                ImageError() == std::string(std::strerror(EISDIR)) ||
                ImageError() == std::string(std::strerror(EACCES)))
        << ImageError();
    EXPECT_FALSE(vimage::LoadPNG(nullptr, {}).pixels);
    EXPECT_STREQ(ImageError(), std::strerror(EINVAL));
}

// A place of 8 x 4 units at 15 pixels a unit: a 64-per-unit picture is
// reduced by the cell resampler whatever the caller; a smaller one is
// enlarged only by the SDL caller, a larger one reduced by both. Places no
// screen can hold, and a screen never set up, fail.
TEST(PngLoad, ThePlaceDecidesTheSize)
{
    const corpus_files files;
    struct size_case {
        const char *path; // cells: 512 x 256, rgb8: 100 x 50, tall: 1 x 70
        caller c;
        int width, height, final_w, final_h, pad_w, pad_h;
    };
    const size_case cases[] = {
        {"cells-512x256.png", GL, 8, 4, 120, 60, 128, 64},
        {"rgb8.png", GL, 0, 4, 100, 50, 128, 64},
        {"rgb8.png", SDLC, 8, 0, 100, 50, 100, 50},
        {"rgb8.png", GL, 8, 4, 100, 50, 128, 64},
        {"rgb8.png", GL, 2000000, 2000000, 100, 50, 128, 64}, // kept at its own size
        {"rgb8.png", SDLC, 8, 4, 120, 60, 120, 60},
        {"tall.png", GL, 1, 4, 15, 60, 16, 64},
        {"tall.png", SDLC, 1, 4, 15, 60, 15, 60},
    };
    for (const size_case &sc : cases) {
        const picture l = Load(sc.path, sc.c, 0, sc.width, sc.height);
        ASSERT_TRUE(l.pixels);
        EXPECT_EQ(Sizes(l), std::vector<int>({sc.final_w, sc.final_h, sc.pad_w, sc.pad_h}))
            << sc.path << " " << sc.c.name << " " << sc.width << "x" << sc.height;
        // The padding is 0, so a bottom-up picture starts at buffer row 0.
        for (int row = 0; row < l.height2; ++row)
            for (int x = row < l.height ? l.width * 3 : 0; x < l.width2 * 3; ++x)
                ASSERT_EQ(At(l, 0, row, x), 0) << sc.path << " " << x << "," << row;
    }
    for (auto [w, h] : {std::pair{-1, 4}, std::pair{8, -3}, std::pair{2000000, 1}}) {
        EXPECT_FALSE(Load("rgb8.png", SDLC, 1, w, h).pixels) << w << "x" << h;
        EXPECT_STREQ(ImageError(), "Could not read image data");
    }
    // At 64 pixels a unit a 64-per-unit picture is already at its size.
    SetScreen(64, 2.2);
    for (caller c : {GL, SDLC}) EXPECT_EQ(Load("cells-512x256.png", c, 0, 8, 4).width, 512);
    SetScreen(0, 2.2);
    EXPECT_FALSE(Load("rgb8.png", GL, 0, 8, 4).pixels);
}

TEST(PngLoad, BufferLimits)
{
    using vimage::PictureBytes;
    EXPECT_EQ(PictureBytes(16384, 4096, 4), size_t{256} << 20);
    EXPECT_EQ(PictureBytes(100, 50, 3), 15000u);
    const long long refused[][3] = {{16384, 4097, 4}, {16385, 1, 3}, {1, 16385, 3},
                                    {0, 5, 3},        {5, -1, 3},    {1LL << 40, 1LL << 40, 4}};
    for (const auto &r : refused)
        EXPECT_EQ(PictureBytes(r[0], r[1], static_cast<int>(r[2])), 0u) << r[0] << "x" << r[1];
    const int pow2[][2] = {{1, 1}, {3, 4}, {100, 128}, {16384, 16384}, {16385, 32768}};
    for (const auto &p : pow2) EXPECT_EQ(vimage::NextPowerOfTwo(p[0]), p[1]);
}

// Everything the corpus decodes to through both callers, with and without
// alpha, at the file's own size and for a place of 8 x 4 units at scale 15,
// against the checked-in table (see the top of this file).
TEST(PngCorpus, DecodesAsRecorded)
{
    const corpus_files files;
    std::ostringstream table;
    for (const auto &e : files.entries)
        for (caller c : {GL, SDLC})
            for (int alpha : {0, 1})
                for (int place : {0, 1}) {
                    const picture l = Load(e.name, c, alpha, 8 * place, 4 * place);
                    table << e.name << ' ' << c.name << " alpha=" << alpha
                          << " place=" << (place ? "8x4" : "own") << ' ';
                    if (!l.pixels) {
                        table << "fails: " << ImageError() << '\n';
                        continue;
                    }
                    // FNV-1a over the whole buffer, padding included.
                    uint64_t hash = 1469598103934665603u;
                    const size_t n = static_cast<size_t>(l.width2) * l.height2 * l.bpp;
                    for (size_t i = 0; i < n; ++i)
                        hash = (hash ^ l.pixels.get()[i]) * 1099511628211u;
                    table << l.width << 'x' << l.height << " in " << l.width2 << 'x' << l.height2
                          << " fnv1a64=" << std::hex << hash << std::dec << '\n';
                }
    const std::string recorded = std::string(VANTOR_TESTS_DIR) + "/png_corpus_hashes.txt";
    std::ifstream in(recorded);
    std::string header, body; // the leading comment, the entries
    for (std::string line; std::getline(in, line);)
        (body.empty() && line.rfind('#', 0) == 0 ? header : body) += line + '\n';
    if (std::getenv("VANTOR_WRITE_HASHES")) {
        std::ofstream(recorded) << header << table.str();
        GTEST_SKIP() << "wrote " << recorded;
    }
    if (body != table.str())
        std::ofstream(files.scratch.before / "png_corpus_hashes.new.txt") << header << table.str();
    EXPECT_TRUE(body == table.str())
        << "decodings differ from " << recorded << ": diff it with png_corpus_hashes.new.txt";
}

// The SDL back-end's loader: the picture in the display's format, drawn with
// its own pixels (pictures are not gamma-corrected); with alpha, opaque pixels
// replace and transparent ones leave what was there.
TEST(ImageLoadSDL, LoadsIntoTheDisplayFormat)
{
    OpenDisplay(600, 375, 22);
    const corpus_files files;
    const corpus_entry &e = files.entries[29];
    ASSERT_EQ(e.name, "rgba8.png");
    for (int alpha : {0, 1}) {
        image img{};
        ASSERT_EQ(ImageLoad(&img, e.name.c_str(), 0, 0, alpha), 0) << ImageError();
        EXPECT_EQ(img.surfp->w, e.width);
        EXPECT_EQ(img.surfp->h, e.height);
        EXPECT_EQ(img.surfp->format->BitsPerPixel, Screen()->format->BitsPerPixel);
        ImageClear();
        ASSERT_EQ(ImageDraw(&img, 2, 3), 0);
        for (int y = 0; y < e.height; ++y)
            for (int x = 0; x < e.width; ++x) {
                const unsigned char *p = &e.rgba[(static_cast<size_t>(y) * e.width + x) * 4];
                const Uint32 colour = Uint32{p[0]} << 16 | Uint32{p[1]} << 8 | p[2];
                if (alpha && p[3] != 0 && p[3] != 255) continue; // blended
                ASSERT_EQ(PixelAt(30 + x, 45 + y), !alpha || p[3] ? colour : 0u) << x << "," << y;
            }
        ImageFree(&img);
    }
    // A row longer than SDL 1.2's 16-bit row length is refused, not wrapped.
    png_desc wide;
    wide.width = 16384;
    wide.height = 1;
    wide.color_type = PNG_COLOR_TYPE_GRAY;
    wide.bit_depth = 1;
    ASSERT_TRUE(WriteBytes("wide.png", EncodePng(wide, {std::vector<unsigned char>(2048, 0x55)})));
    image refused{};
    EXPECT_EQ(ImageLoad(&refused, "wide.png", 0, 0, 0), -1);
    EXPECT_STREQ(ImageError(), "Width or height is too large");
    // A failed load leaves the record alone.
    image untouched{};
    untouched.surfp = reinterpret_cast<SDL_Surface *>(&untouched);
    EXPECT_EQ(ImageLoad(&untouched, "no-such-picture.png", 8, 4, 0), -1);
    EXPECT_STREQ(ImageError(), std::strerror(ENOENT));
    EXPECT_EQ(untouched.surfp, reinterpret_cast<SDL_Surface *>(&untouched));
}

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
