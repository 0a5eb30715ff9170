// PNG loading: the generated corpus decoded through both callers' argument
// sets (pixels, sizes, row order, padding), the messages of damaged and
// missing files, the size chosen for a place on the canvas, and a checked-in
// table of what every corpus file decodes to (png_corpus_hashes.txt). When
// the loader changes on purpose, regenerate the table and review its diff:
//   VANTOR_WRITE_HASHES=1 build/image-tests --gtest_filter=PngCorpus.*

#include "display.h"
#include "png_corpus.h"
#include "png_write.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

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

struct loaded {
    vimage::pixels_ptr buf;
    int width = -7, height = -7, width2 = -7, height2 = -7; // -7: not written
    int bpp = 3;
    int At(int x, int row, int c) const
    {
        return buf.get()[(static_cast<size_t>(row) * width2 + x) * bpp + c];
    }
};

loaded Load(const std::string &path, caller c, int alpha, int width = 0, int height = 0)
{
    loaded l;
    l.bpp = alpha ? 4 : 3;
    l.buf.reset(vimage::LoadPNG(path.c_str(), width, height, alpha, c.pad2, c.interpolate,
                                c.fourth_quadrant, &l.width, &l.height, &l.width2, &l.height2));
    return l;
}

std::vector<int> Sizes(const loaded &l)
{
    return {l.width, l.height, l.width2, l.height2};
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
                    const loaded l = Load(e.name, c, alpha);
                    ASSERT_TRUE(l.buf) << e.name << " " << c.name << ": " << ImageError();
                    const int w2 = c.pad2 ? vimage::NextPowerOfTwo(e.width) : e.width;
                    const int h2 = c.pad2 ? vimage::NextPowerOfTwo(e.height) : e.height;
                    ASSERT_EQ(Sizes(l), std::vector<int>({e.width, e.height, w2, h2})) << e.name;
                    for (int row = 0; row < h2; ++row)
                        for (int x = 0; x < w2; ++x)
                            for (int ch = 0; ch < l.bpp; ++ch) {
                                const int y = c.fourth_quadrant ? row : e.height - 1 - row;
                                const bool pad = x >= e.width || row >= e.height;
                                const size_t at = (static_cast<size_t>(y) * e.width + x) * 4 + ch;
                                ASSERT_NEAR(l.At(x, row, ch), pad ? 0 : e.rgba[at],
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
            const loaded l = Load(e.name, c, 1, 8, 4);
            if (e.valid || (e.message.empty() && l.buf)) continue; // damage zlib did not notice
            EXPECT_FALSE(l.buf) << e.name;
            EXPECT_STREQ(ImageError() ? ImageError() : "",
                         e.message.empty() ? "Could not read image data" : e.message.c_str())
                << e.name;
            EXPECT_EQ(Sizes(l), std::vector<int>(4, -7)) << e.name; // nothing written
        }
    EXPECT_FALSE(Load("missing.png", SDLC, 0).buf);
    EXPECT_STREQ(ImageError(), std::strerror(ENOENT));
    // A folder opens on some systems and then cannot be read.
    EXPECT_FALSE(Load(".", GL, 1).buf);
    EXPECT_TRUE(ImageError() == std::string("Could not read image header") ||
                ImageError() == std::string(std::strerror(EISDIR)))
        << ImageError();
    EXPECT_EQ(vimage::LoadPNG(nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
              nullptr);
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
        const loaded l = Load(sc.path, sc.c, 0, sc.width, sc.height);
        ASSERT_TRUE(l.buf);
        EXPECT_EQ(Sizes(l), std::vector<int>({sc.final_w, sc.final_h, sc.pad_w, sc.pad_h}))
            << sc.path << " " << sc.c.name << " " << sc.width << "x" << sc.height;
        // The padding is 0, so a bottom-up picture starts at buffer row 0.
        for (int row = 0; row < l.height2; ++row)
            for (int x = row < l.height ? l.width * 3 : 0; x < l.width2 * 3; ++x)
                ASSERT_EQ(l.At(0, row, x), 0) << sc.path << " " << x << "," << row;
    }
    for (auto [w, h] : {std::pair{-1, 4}, std::pair{8, -3}, std::pair{2000000, 1}}) {
        EXPECT_FALSE(Load("rgb8.png", SDLC, 1, w, h).buf) << w << "x" << h;
        EXPECT_STREQ(ImageError(), "Could not read image data");
    }
    // At 64 pixels a unit a 64-per-unit picture is already at its size.
    SetScreen(64, 2.2);
    for (caller c : {GL, SDLC}) EXPECT_EQ(Load("cells-512x256.png", c, 0, 8, 4).width, 512);
    SetScreen(0, 2.2);
    EXPECT_FALSE(Load("rgb8.png", GL, 0, 8, 4).buf);
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
                    const loaded l = Load(e.name, c, alpha, 8 * place, 4 * place);
                    table << e.name << ' ' << c.name << " alpha=" << alpha
                          << " place=" << (place ? "8x4" : "own") << ' ';
                    if (!l.buf) {
                        table << "fails: " << ImageError() << '\n';
                        continue;
                    }
                    // FNV-1a over the whole buffer, padding included.
                    uint64_t hash = 1469598103934665603u;
                    const size_t n = static_cast<size_t>(l.width2) * l.height2 * l.bpp;
                    for (size_t i = 0; i < n; ++i) hash = (hash ^ l.buf.get()[i]) * 1099511628211u;
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
