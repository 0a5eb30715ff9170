// png_corpus.cpp - see png_corpus.h. The expected pixels are worked out from
// the samples written by the rules of the PNG format, not by decoding; where
// the file's gamma and the screen's differ by more than libpng's threshold
// (5%), they are the power law in double precision, within 1.

#include "png_corpus.h"

#include "png_write.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct picture_case {
    const char *name;
    int width, height;
    int color_type, depth;
    bool interlace = false;
    bool trns = false;
    double gamma = 0; // gAMA written; 0 for none
};

// A sample, 0 .. 2^depth - 1: every value of small depths and both extremes
// of large ones appear in all but the smallest pictures.
unsigned Sample(int x, int y, int c, int depth)
{
    const unsigned max = (1u << depth) - 1;
    const unsigned v = static_cast<unsigned>((x * 37 + y * 101 + c * 59) ^ (x * y * 7 + c));
    if ((x + y + c) % 11 == 0) return max;
    if ((x + 2 * y + c) % 13 == 0) return 0;
    return depth == 16 ? (v * 2654435761u) >> 16 : v & max;
}

unsigned char To8(unsigned v, int depth)
{
    if (depth == 16) return static_cast<unsigned char>(v >> 8);
    return static_cast<unsigned char>(v * 255 / ((1u << depth) - 1));
}

corpus_entry Build(const picture_case &pc, double screen_gamma)
{
    png_desc d;
    d.width = pc.width, d.height = pc.height, d.interlace = pc.interlace, d.gamma = pc.gamma;
    d.color_type = pc.color_type, d.bit_depth = pc.depth;
    const bool palette = pc.color_type == PNG_COLOR_TYPE_PALETTE;
    const int channels = pc.color_type == PNG_COLOR_TYPE_GRAY_ALPHA  ? 2
                         : pc.color_type == PNG_COLOR_TYPE_RGB       ? 3
                         : pc.color_type == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                                                                     : 1;
    const unsigned max = (1u << pc.depth) - 1;
    if (palette) {
        for (unsigned i = 0; i <= max; ++i)
            d.palette.push_back(png_color{static_cast<png_byte>(i * 53 % 256),
                                          static_cast<png_byte>(i * 97 % 256),
                                          static_cast<png_byte>(255 - i * 29 % 256)});
        for (unsigned i = 0; pc.trns && i < std::min(max + 1, 5u); ++i)
            d.trns_alpha.push_back(static_cast<png_byte>(i * 60));
    } else if (pc.trns) {
        png_color_16 key{};
        key.gray = key.red = static_cast<png_uint_16>(Sample(1, 0, 0, pc.depth));
        key.green = static_cast<png_uint_16>(Sample(1, 0, 1, pc.depth));
        key.blue = static_cast<png_uint_16>(Sample(1, 0, 2, pc.depth));
        d.trns_color = key;
    }
    const double file_gamma = pc.gamma > 0 ? pc.gamma : 0.45455;
    const bool convert = std::fabs(file_gamma * screen_gamma - 1) > 0.05;

    corpus_entry e;
    e.name = pc.name, e.width = pc.width, e.height = pc.height, e.tolerance = convert ? 1 : 0;
    std::vector<std::vector<unsigned char>> rows;
    for (int y = 0; y < pc.height; ++y) {
        std::vector<unsigned char> row(
            (static_cast<size_t>(pc.width) * channels * pc.depth + 7) / 8, 0);
        for (int x = 0; x < pc.width; ++x) {
            unsigned s[4];
            for (int c = 0; c < channels; ++c) {
                s[c] = Sample(x, y, c, pc.depth);
                const size_t bit = (static_cast<size_t>(x) * channels + c) * pc.depth;
                if (pc.depth == 16) {
                    row[bit / 8] = static_cast<unsigned char>(s[c] >> 8);
                    row[bit / 8 + 1] = static_cast<unsigned char>(s[c]);
                } else {
                    row[bit / 8] |= static_cast<unsigned char>(s[c] << (8 - pc.depth - bit % 8));
                }
            }
            // The colour as 8-bit bytes and as a fraction of full intensity.
            unsigned char colour[3], alpha = 255;
            double rgb[3];
            const bool grey = channels <= 2;
            for (int c = 0; c < 3; ++c) {
                if (palette) {
                    const png_color p = d.palette[s[0]];
                    colour[c] = c == 0 ? p.red : c == 1 ? p.green : p.blue;
                    rgb[c] = colour[c] / 255.0;
                } else {
                    colour[c] = To8(s[grey ? 0 : c], pc.depth);
                    rgb[c] = static_cast<double>(s[grey ? 0 : c]) / max;
                }
            }
            if (palette && s[0] < d.trns_alpha.size()) alpha = d.trns_alpha[s[0]];
            if (!palette && channels % 2 == 0) alpha = To8(s[channels - 1], pc.depth);
            if (!palette && pc.trns && s[0] == (grey ? d.trns_color->gray : d.trns_color->red) &&
                (grey || (s[1] == d.trns_color->green && s[2] == d.trns_color->blue)))
                alpha = 0;
            for (int c = 0; c < 3; ++c)
                e.rgba.push_back(convert
                                     ? static_cast<unsigned char>(std::lround(
                                           255 * std::pow(rgb[c], 1 / (file_gamma * screen_gamma))))
                                     : colour[c]);
            e.rgba.push_back(alpha);
        }
        rows.push_back(std::move(row));
    }
    e.bytes = EncodePng(d, rows);
    return e;
}

size_t ChunkLength(const std::vector<unsigned char> &png, size_t at)
{
    return size_t{png[at]} << 24 | size_t{png[at + 1]} << 16 | size_t{png[at + 2]} << 8 |
           png[at + 3];
}

// Offset of the first chunk of a type, or 0.
size_t FindChunk(const std::vector<unsigned char> &png, const char *type)
{
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + ChunkLength(png, at))
        if (std::memcmp(&png[at + 4], type, 4) == 0) return at;
    return 0;
}

void FixCrc(std::vector<unsigned char> &png, size_t chunk)
{
    const size_t length = ChunkLength(png, chunk);
    const uLong crc = crc32(0, &png[chunk + 4], static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i)
        png[chunk + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
}

// One chunk: length, type, data and CRC.
std::vector<unsigned char> PngChunk(const char *type, const std::vector<unsigned char> &data)
{
    // Sized once and filled in place: length (4), type (4), data, CRC (4).
    std::vector<unsigned char> c(12 + data.size());
    for (size_t i = 0; i < 4; ++i) {
        c[i] = static_cast<unsigned char>(data.size() >> (24 - 8 * i));
        c[4 + i] = static_cast<unsigned char>(type[i]);
    }
    std::copy(data.begin(), data.end(), c.begin() + 8);
    FixCrc(c, 0);
    return c;
}

// A file of only a header and a small IDAT: for headers that must be refused
// before any pixels are read.
std::vector<unsigned char> HeaderOnly(uint32_t width, uint32_t height, int depth, int color_type)
{
    std::vector<unsigned char> ihdr;
    for (uint32_t v : {width, height})
        for (int i = 0; i < 4; ++i) ihdr.push_back(static_cast<unsigned char>(v >> (24 - 8 * i)));
    for (int b : {depth, color_type, 0, 0, 0}) ihdr.push_back(static_cast<unsigned char>(b));
    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto &chunk :
         {PngChunk("IHDR", ihdr), PngChunk("IDAT", {0x78, 0x9c, 0x03, 0x00}), PngChunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}

} // namespace

std::vector<corpus_entry> MakeCorpus(double screen_gamma)
{
    constexpr int G = PNG_COLOR_TYPE_GRAY, GA = PNG_COLOR_TYPE_GRAY_ALPHA,
                  P = PNG_COLOR_TYPE_PALETTE, RGB = PNG_COLOR_TYPE_RGB,
                  RGBA = PNG_COLOR_TYPE_RGB_ALPHA;
    // clang-format off
    const picture_case cases[] = {
        {"gray1.png", 13, 7, G, 1}, {"gray1-i.png", 13, 7, G, 1, true},
        {"gray2.png", 9, 5, G, 2}, {"gray2-i.png", 17, 9, G, 2, true},
        {"gray4.png", 11, 3, G, 4}, {"gray4-i.png", 11, 3, G, 4, true},
        {"gray8.png", 33, 17, G, 8}, {"gray8-i.png", 33, 17, G, 8, true},
        {"gray16.png", 7, 9, G, 16}, {"gray16-i.png", 7, 9, G, 16, true},
        {"gray1-trns.png", 13, 7, G, 1, false, true},
        {"gray8-trns.png", 20, 10, G, 8, false, true},
        {"gray16-trns.png", 6, 6, G, 16, true, true}, {"graya8.png", 10, 10, GA, 8},
        {"graya8-i.png", 10, 10, GA, 8, true}, {"graya16.png", 5, 3, GA, 16},
        {"pal1.png", 15, 4, P, 1}, {"pal2.png", 15, 4, P, 2},
        {"pal4-i.png", 15, 14, P, 4, true}, {"pal8.png", 31, 9, P, 8},
        {"pal8-i.png", 31, 9, P, 8, true}, {"pal2-trns.png", 15, 4, P, 2, false, true},
        {"pal8-trns-i.png", 21, 21, P, 8, true, true}, {"rgb8.png", 100, 50, RGB, 8},
        {"rgb8-i.png", 23, 19, RGB, 8, true}, {"rgb16.png", 12, 5, RGB, 16},
        {"rgb16-i.png", 12, 5, RGB, 16, true}, {"rgb8-trns.png", 16, 16, RGB, 8, false, true},
        {"rgb16-trns.png", 16, 3, RGB, 16, false, true}, {"rgba8.png", 19, 11, RGBA, 8},
        {"rgba8-i.png", 19, 11, RGBA, 8, true}, {"rgba16.png", 8, 8, RGBA, 16},
        {"rgba16-i.png", 3, 5, RGBA, 16, true}, {"one-pixel.png", 1, 1, RGB, 8},
        {"one-pixel-i.png", 1, 1, RGBA, 8, true}, {"tall.png", 1, 70, G, 8},
        {"cells-512x256.png", 512, 256, RGB, 8}, {"cells-192x128-rgba.png", 192, 128, RGBA, 8},
        {"gamma-1.0.png", 16, 16, RGB, 8, false, false, 1.0},
        {"gamma-0.45455.png", 16, 16, G, 8, false, false, 0.45455},
        {"gamma-0.8-rgba16.png", 9, 9, RGBA, 16, true, false, 0.8},
        {"gamma-1.0-pal.png", 16, 4, P, 4, false, true, 1.0},
    };
    // clang-format on
    std::vector<corpus_entry> corpus;
    for (const picture_case &pc : cases) corpus.push_back(Build(pc, screen_gamma));

    // Damaged copies of a few of them, and the message each must fail with
    // ("": zlib may or may not notice).
    auto find = [&](const std::string &name) {
        return *std::find_if(corpus.begin(), corpus.end(),
                             [&](const corpus_entry &e) { return e.name == name; });
    };
    const std::vector<unsigned char> rgb = find("rgb8.png").bytes; // 100 x 50
    const size_t ihdr = FindChunk(rgb, "IHDR"), idat = FindChunk(rgb, "IDAT");
    auto damaged = [&](const char *name, std::vector<unsigned char> bytes, const char *message) {
        corpus_entry &e = corpus.emplace_back();
        e.name = name, e.bytes = std::move(bytes), e.valid = false, e.message = message;
    };
    auto changed = [&](auto change) {
        std::vector<unsigned char> bytes = rgb;
        change(bytes);
        return bytes;
    };
    const char *const HEADER = "Could not read image header", *const DATA =
                                                                  "Could not read image data";
    damaged("empty.png", {}, HEADER);
    damaged("text.png", {'N', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G', '\n'}, HEADER);
    damaged("signature-cut.png", {rgb.begin(), rgb.begin() + 7}, HEADER);
    damaged("signature-bad.png", changed([](auto &b) { b[1] = 'p'; }), HEADER);
    damaged("signature-only.png", {rgb.begin(), rgb.begin() + 8}, DATA);
    damaged("cut-in-ihdr.png", {rgb.begin(), rgb.begin() + 20}, DATA);
    damaged("cut-in-idat.png", {rgb.begin(), rgb.begin() + static_cast<long>(rgb.size() / 2)},
            DATA);
    damaged("crc-ihdr.png", changed([&](auto &b) { b[ihdr + 8 + 13] ^= 1; }), DATA);
    damaged("crc-idat.png", changed([&](auto &b) { b[idat + 20] ^= 0x40; }), DATA);
    damaged("idat-damaged.png", changed([&](auto &b) {
                for (size_t i = idat + 30; i < idat + 60; i += 7) b[i] ^= 0x5A;
                FixCrc(b, idat);
            }),
            "");
    damaged("idat-not-deflate.png", changed([&](auto &b) {
                b[idat + 8] = 0x77; // not a deflate stream
                FixCrc(b, idat);
            }),
            DATA);
    damaged("bit-depth-3.png", HeaderOnly(4, 4, 3, G), DATA);
    damaged("width-0.png", HeaderOnly(0, 4, 8, RGB), DATA);
    damaged("huge.png", HeaderOnly(100000, 100000, 8, RGB), DATA);
    damaged("side-over-limit.png", HeaderOnly(16385, 1, 1, G), DATA);
    damaged("bytes-over-limit.png", HeaderOnly(16384, 16384, 1, G), DATA);
    damaged("pixels-missing.png", HeaderOnly(8, 8, 8, G), DATA);

    // Damage libpng passes over: no IEND chunk (the loader stops after the
    // pixels), and a bad CRC in an ancillary chunk (dropped; this gAMA
    // changes nothing at a screen gamma of 2.2 anyway).
    corpus_entry no_iend = find("rgb8.png");
    no_iend.name = "no-iend.png";
    no_iend.bytes.resize(no_iend.bytes.size() - 12);
    corpus.push_back(no_iend);
    corpus_entry crc_gama = find("gamma-0.45455.png");
    crc_gama.name = "crc-gama.png";
    crc_gama.bytes[FindChunk(crc_gama.bytes, "gAMA") + 8] ^= 1;
    corpus.push_back(crc_gama);
    return corpus;
}
