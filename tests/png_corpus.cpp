// png_corpus.cpp - pixels expected by the format's rules, or by the power law within 1.

#include "png_corpus.h"

#include "png_write.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

struct picture_case {
    std::string name;
    int width, height, color_type, depth;
    bool interlace = false, trns = false;
    double gamma = 0; // gAMA written; 0 for none
};

// A sample, 0 .. 2^depth - 1, each small depth's every value and both extremes.
unsigned Sample(int x, int y, int c, int depth)
{
    const unsigned max = (1u << depth) - 1;
    const unsigned v = static_cast<unsigned>((x * 37 + y * 101 + c * 59) ^ (x * y * 7 + c));
    if ((x + y + c) % 11 == 0) return max;
    if ((x + 2 * y + c) % 13 == 0) return 0;
    return depth == 16 ? (v * 2654435761u) >> 16 : v & max;
}

// An 8-bit sample as libpng makes it: small depths scaled, 16 bits cut.
unsigned char To8(unsigned v, int depth)
{
    return static_cast<unsigned char>(depth == 16 ? v >> 8 : v * 255 / ((1u << depth) - 1));
}

// Channel c of palette entry i.
png_byte PaletteByte(unsigned i, int c)
{
    return static_cast<png_byte>(c == 2 ? 255 - i * 29 % 256 : i * (c ? 97 : 53) % 256);
}

corpus_entry Build(const picture_case &pc, double screen_gamma)
{
    const int depth = pc.depth, type = pc.color_type;
    const unsigned max = (1u << depth) - 1;
    const bool palette = type == PNG_COLOR_TYPE_PALETTE, grey = !(type & PNG_COLOR_MASK_COLOR);
    const int channels = (grey || palette ? 1 : 3) + (type & PNG_COLOR_MASK_ALPHA ? 1 : 0);
    png_desc d;
    d.width = pc.width, d.height = pc.height, d.interlace = pc.interlace, d.gamma = pc.gamma;
    d.color_type = type, d.bit_depth = depth;
    for (unsigned i = 0; palette && i <= max; ++i)
        d.palette.push_back({PaletteByte(i, 0), PaletteByte(i, 1), PaletteByte(i, 2)});
    for (unsigned i = 0; palette && pc.trns && i < std::min(max + 1, 5u); ++i)
        d.trns_alpha.push_back(static_cast<png_byte>(i * 60));
    // The transparent colour of grey and RGB pictures: pixel (1, 0)'s.
    png_uint_16 key[3];
    for (int c = 0; c < 3; ++c) key[c] = static_cast<png_uint_16>(Sample(1, 0, c, depth));
    if (!palette && pc.trns) d.trns_color = png_color_16{0, key[0], key[1], key[2], key[0]};
    const double exponent = 1 / ((pc.gamma > 0 ? pc.gamma : 0.45455) * screen_gamma);
    const bool convert = std::fabs(1 / exponent - 1) > 0.05;

    corpus_entry e{pc.name, {}, true, pc.width, pc.height, {}, convert ? 1 : 0, ""};
    std::vector<std::vector<unsigned char>> rows;
    for (int y = 0; y < pc.height; ++y) {
        auto &row = rows.emplace_back((static_cast<size_t>(pc.width) * channels * depth + 7) / 8);
        for (int x = 0; x < pc.width; ++x) {
            unsigned s[4];
            for (int c = 0; c < channels; ++c) {
                s[c] = Sample(x, y, c, depth);
                const size_t bit = (static_cast<size_t>(x) * channels + c) * depth;
                if (depth == 16) row[bit / 8 + 1] = static_cast<unsigned char>(s[c]);
                row[bit / 8] |= static_cast<unsigned char>(
                    depth == 16 ? s[c] >> 8 : s[c] << (8 - depth - bit % 8));
            }
            for (int c = 0; c < 3; ++c) {
                const unsigned v = palette ? PaletteByte(s[0], c) : s[grey ? 0 : c];
                e.rgba.push_back(convert
                                     ? static_cast<unsigned char>(std::lround(
                                           255 * std::pow(v / (palette ? 255.0 : max), exponent)))
                                     : To8(v, palette ? 8 : depth));
            }
            unsigned char alpha = channels % 2 == 0 ? To8(s[channels - 1], depth) : 255;
            if (palette && s[0] < d.trns_alpha.size()) alpha = d.trns_alpha[s[0]];
            if (!palette && pc.trns && s[0] == key[0] &&
                (grey || (s[1] == key[1] && s[2] == key[2])))
                alpha = 0;
            e.rgba.push_back(alpha);
        }
    }
    e.bytes = EncodePng(d, rows);
    return e;
}

} // namespace

std::vector<corpus_entry> MakeCorpus(double screen_gamma)
{
    constexpr int G = PNG_COLOR_TYPE_GRAY, P = PNG_COLOR_TYPE_PALETTE, RGB = PNG_COLOR_TYPE_RGB,
                  RGBA = PNG_COLOR_TYPE_RGB_ALPHA;
    const char *const kinds[] = {"gray", "", "rgb", "pal", "graya", "", "rgba"};
    // gAMA values taken in turn: none, linear, the usual one stated, another.
    constexpr double gammas[] = {0, 1.0, 0.45455, 0, 0.8};
    std::vector<picture_case> cases;
    // Every colour type and depth, plain and interlaced, tRNS where no alpha.
    for (int type : {G, PNG_COLOR_TYPE_GRAY_ALPHA, P, RGB, RGBA})
        for (int depth : {1, 2, 4, 8, 16})
            for (bool trns : {false, true})
                for (bool interlace : {false, true}) {
                    if ((depth < 8 && type != G && type != P) || (depth == 16 && type == P) ||
                        (trns && type & PNG_COLOR_MASK_ALPHA))
                        continue;
                    const int n = static_cast<int>(cases.size());
                    cases.push_back({kinds[type] + std::to_string(depth) + (interlace ? "-i" : "") +
                                         (trns ? "-trns" : "") + ".png",
                                     3 + n * 7 % 31, 1 + n * 5 % 19, type, depth, interlace, trns,
                                     gammas[n % 5]});
                }
    cases.insert(cases.end(), {{"tall.png", 1, 70, G, 8},
                               {"cells-512x256.png", 512, 256, RGB, 8},
                               {"rgb8-100x50.png", 100, 50, RGB, 8}});
    std::vector<corpus_entry> corpus;
    for (const picture_case &pc : cases) corpus.push_back(Build(pc, screen_gamma));
    // Refused: by the signature, cut short, over the side and byte limits.
    const std::vector<unsigned char> rgb = corpus.back().bytes;
    auto blank = [](int w, int h) { // black, one bit a pixel
        png_desc d;
        d.width = w, d.height = h, d.color_type = G, d.bit_depth = 1, d.compression = 1;
        return EncodePng(d, std::vector(size_t(h), std::vector<unsigned char>((w + 7) / 8)));
    };
    const char *const HEADER = "Could not read image header";
    const char *const DATA = "Could not read image data";
    const std::tuple<const char *, std::vector<unsigned char>, const char *> refused[] = {
        {"empty.png", {}, HEADER},
        {"signature-bad.png", std::vector(rgb.begin() + 1, rgb.end()), HEADER},
        {"cut-in-idat.png", std::vector(rgb.begin(), rgb.begin() + rgb.size() / 2), DATA},
        {"side-over-limit.png", blank(16385, 1), DATA},
        {"bytes-over-limit.png", blank(16384, 5462), DATA}};
    for (const auto &[file, bytes, message] : refused)
        corpus.push_back({file, bytes, false, 0, 0, {}, 0, message});
    return corpus;
}
