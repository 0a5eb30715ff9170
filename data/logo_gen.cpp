// logo_gen.cpp - draws the game's logo, "logo.png", and the programs' icon.
//
// Usage: logo-gen OUTPUT.png
//        logo-gen --icon SIZE OUTPUT.png
//        logo-gen --ico OUTPUT.ico
//
// The logo is a haulage truck seen from the side, a cab and a flatbed loaded
// with cargo crates, running along a road: no text, since every page puts its
// title beside it. It is drawn for a place of 8 x 4 canvas units at 64 pixels
// a unit, 512 x 256 pixels, so the display library reduces it exactly to the
// screen's scale (120 x 60 pixels in the setup's window), and on black, the
// colour of every page.
//
// Colours come from the pages' own palette, the title's blue-violet 0x261c78
// and the green 0x19450d, with lighter and darker shades of both. Like the
// library's colour words they are linear intensities: the file says so with a
// gAMA chunk of 1.0, and the loader converts it to the screen's gamma the way
// the library corrects its colour words, so the logo's violet is the title's
// violet under software and hardware gamma alike. Shapes are antialiased by
// averaging 8 x 8 samples a pixel, in linear light.
//
// The icon is the same drawing for the desktop: a square of SIZE pixels, the
// truck scaled down onto a black tile with rounded corners, transparent
// around them. Desktops show PNG files as sRGB and ignore gAMA, so the icon
// is stored gamma-encoded (exponent 1/2.2, the pages' gamma, with a gAMA
// chunk saying so), which makes it look like the logo on the pages.
//
// The Windows icon file (.ico, for the programs' icon resource) holds the
// same icon in the sizes Windows shows: a directory of entries, then each
// entry's picture. The 256-pixel picture is a PNG file, which Windows reads
// there since Vista and which keeps it small; the smaller ones are 32-bit
// device-independent bitmaps (a BITMAPINFOHEADER without the file header,
// its height doubled for the 1-bit AND mask that follows the colours; rows
// bottom-up, blue green red alpha), which every part of the shell reads. All
// numbers are little-endian.
//
// Depends on: png_write (libpng's writer).

#include "png_write.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 512, HEIGHT = 256;
constexpr int SAMPLES = 8; // a side, per pixel

struct colour {
    double r, g, b;
};

// A colour word 0xRRGGBB as linear intensities, brightened by `k`.
colour Word(unsigned word, double k = 1)
{
    auto ch = [&](int shift) { return std::min(1.0, ((word >> shift) & 0xff) / 255.0 * k); };
    return {ch(16), ch(8), ch(0)};
}

const colour VIOLET = Word(0x261c78);
const colour VIOLET_LIGHT = Word(0x261c78, 1.9);
const colour VIOLET_DARK = Word(0x261c78, 0.45);
const colour GREEN = Word(0x19450d);
const colour GREEN_LIGHT = Word(0x19450d, 2.4);
const colour GREEN_DARK = Word(0x19450d, 0.55);
const colour GLASS = {0.30, 0.34, 0.80};
const colour TYRE = {0.035, 0.035, 0.04};
const colour RIM = {0.30, 0.30, 0.34};
const colour LAMP = {0.95, 0.85, 0.45};

using inside_fn = std::function<bool(double, double)>;

struct box {
    double x0, y0, x1, y1;
};

// A picture of `width` x `height` pixels onto which the drawing is painted in
// its own coordinates, those of the 512 x 256 logo: drawing point (x, y) lands
// on pixel position (x * scale + ox, y * scale + oy). Each pixel keeps its
// colour premultiplied by its coverage, on a transparent black ground.
class canvas {
  public:
    canvas(int width, int height, double scale = 1, double ox = 0, double oy = 0)
        : width_(width), height_(height), scale_(scale), ox_(ox), oy_(oy),
          px_(static_cast<size_t>(width) * height, pixel{})
    {
    }

    // Paints what `inside` holds within the bounding box, each pixel mixed
    // with the colour by the share of its samples inside.
    void Paint(box b, const inside_fn &inside, colour c)
    {
        const int x0 = std::max(0, static_cast<int>(std::floor(b.x0 * scale_ + ox_)));
        const int y0 = std::max(0, static_cast<int>(std::floor(b.y0 * scale_ + oy_)));
        const int x1 = std::min(width_, static_cast<int>(std::ceil(b.x1 * scale_ + ox_)));
        const int y1 = std::min(height_, static_cast<int>(std::ceil(b.y1 * scale_ + oy_)));
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                int hits = 0;
                for (int sy = 0; sy < SAMPLES; ++sy)
                    for (int sx = 0; sx < SAMPLES; ++sx)
                        hits += inside((x + (sx + 0.5) / SAMPLES - ox_) / scale_,
                                       (y + (sy + 0.5) / SAMPLES - oy_) / scale_);
                if (hits == 0) continue;
                const double a = static_cast<double>(hits) / (SAMPLES * SAMPLES);
                pixel &p = px_[static_cast<size_t>(y) * width_ + x];
                p.c = {p.c.r + (c.r - p.c.r) * a, p.c.g + (c.g - p.c.g) * a,
                       p.c.b + (c.b - p.c.b) * a};
                p.alpha += (1 - p.alpha) * a;
            }
    }

    // The picture's bounds in drawing coordinates.
    box Bounds() const
    {
        return {-ox_ / scale_, -oy_ / scale_, (width_ - ox_) / scale_, (height_ - oy_) / scale_};
    }

    // A rectangle with corners rounded to radius r.
    void RoundRect(box b, double r, colour c)
    {
        Paint(
            b,
            [=](double x, double y) {
                if (x < b.x0 || x > b.x1 || y < b.y0 || y > b.y1) return false;
                const double dx = std::max({b.x0 + r - x, 0.0, x - (b.x1 - r)});
                const double dy = std::max({b.y0 + r - y, 0.0, y - (b.y1 - r)});
                return dx * dx + dy * dy <= r * r;
            },
            c);
    }

    // A ring between radii r0 and r1 (r0 = 0: a disc).
    void Ring(double cx, double cy, double r0, double r1, colour c)
    {
        Paint(
            {cx - r1, cy - r1, cx + r1, cy + r1},
            [=](double x, double y) {
                const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                return d <= r1 * r1 && d >= r0 * r0;
            },
            c);
    }

    // A convex polygon, corners in clockwise order (y down).
    void Polygon(const std::vector<std::pair<double, double>> &pts, colour c)
    {
        box b{1e9, 1e9, -1e9, -1e9};
        for (auto [x, y] : pts)
            b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x), std::max(b.y1, y)};
        Paint(
            b,
            [pts](double x, double y) {
                for (size_t i = 0; i < pts.size(); ++i) {
                    const auto [ax, ay] = pts[i];
                    const auto [bx, by] = pts[(i + 1) % pts.size()];
                    if ((bx - ax) * (y - ay) - (by - ay) * (x - ax) < 0) return false;
                }
                return true;
            },
            c);
    }

    // A straight stroke of width w with round ends.
    void Line(double ax, double ay, double bx, double by, double w, colour c)
    {
        const double r = w / 2;
        Paint(
            {std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r,
             std::max(ay, by) + r},
            [=](double x, double y) {
                const double vx = bx - ax, vy = by - ay;
                const double t =
                    std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
                const double dx = x - (ax + t * vx), dy = y - (ay + t * vy);
                return dx * dx + dy * dy <= r * r;
            },
            c);
    }

    // The rows as 8-bit R, G, B on black, rounded: linear values, as the
    // logo stores them.
    std::vector<std::vector<unsigned char>> Rows() const
    {
        return Encode(false, [](double v) { return v; });
    }

    // The rows as 8-bit R, G, B, A, the colour no longer premultiplied and
    // encoded with the exponent 1 / 2.2.
    std::vector<std::vector<unsigned char>> RowsWithAlpha() const
    {
        return Encode(true, [](double v) { return std::pow(v, 1 / 2.2); });
    }

  private:
    struct pixel {
        colour c{0, 0, 0};
        double alpha = 0;
    };

    template <typename F>
    std::vector<std::vector<unsigned char>> Encode(bool with_alpha, F encode) const
    {
        auto byte = [](double v) {
            return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
        };
        std::vector<std::vector<unsigned char>> rows;
        for (int y = 0; y < height_; ++y) {
            std::vector<unsigned char> row;
            for (int x = 0; x < width_; ++x) {
                const pixel &p = px_[static_cast<size_t>(y) * width_ + x];
                const double k = with_alpha && p.alpha > 0 ? 1 / p.alpha : 1;
                for (double v : {p.c.r, p.c.g, p.c.b}) row.push_back(byte(encode(v * k)));
                if (with_alpha) row.push_back(byte(p.alpha));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    int width_, height_;
    double scale_, ox_, oy_;
    std::vector<pixel> px_;
};

// A cargo crate: a green box with a light frame and a cross brace.
void Crate(canvas &c, box b)
{
    const double f = 7; // frame width
    c.RoundRect(b, 4, GREEN_LIGHT);
    c.RoundRect({b.x0 + f, b.y0 + f, b.x1 - f, b.y1 - f}, 2, GREEN);
    c.Line(b.x0 + f + 3, b.y1 - f - 3, b.x1 - f - 3, b.y0 + f + 3, 6, GREEN_LIGHT);
    c.Line(b.x0 + f + 3, b.y0 + f + 3, b.x1 - f - 3, b.y1 - f - 3, 6, GREEN_DARK);
}

void Wheel(canvas &c, double cx, double cy)
{
    c.Ring(cx, cy, 0, 27, TYRE);
    c.Ring(cx, cy, 22, 27, RIM);
    c.Ring(cx, cy, 0, 12, VIOLET_LIGHT);
    c.Ring(cx, cy, 0, 4, VIOLET_DARK);
}

void Draw(canvas &c)
{
    // The road: a green band fading out at both ends.
    for (int i = 0; i < 24; ++i) {
        const double x = 12 + i * 20.5;
        const double fade = std::min(1.0, std::min(i + 1, 24 - i) / 5.0);
        c.Line(x, 238, x + 12, 238, 7,
               {GREEN_LIGHT.r * fade, GREEN_LIGHT.g * fade, GREEN_LIGHT.b * fade});
    }

    // Speed lines behind the load.
    c.Line(8, 92, 34, 92, 8, VIOLET);
    c.Line(2, 128, 34, 128, 8, VIOLET_LIGHT);
    c.Line(14, 164, 34, 164, 8, VIOLET);

    // The load: two crates below, one on top.
    Crate(c, {48, 96, 150, 184});
    Crate(c, {156, 96, 258, 184});
    Crate(c, {102, 18, 204, 96});
    Crate(c, {264, 124, 330, 184});

    // Chassis and flatbed.
    c.RoundRect({40, 196, 470, 210}, 4, VIOLET_DARK);
    c.RoundRect({40, 184, 340, 198}, 5, VIOLET_LIGHT);

    // The cab: body, roof line, windscreen, door line, lamp and bumper.
    c.Polygon({{342, 96}, {420, 96}, {466, 146}, {466, 208}, {342, 208}}, VIOLET);
    c.RoundRect({342, 88, 424, 100}, 5, VIOLET_LIGHT);
    c.Polygon({{356, 108}, {414, 108}, {448, 146}, {356, 146}}, GLASS);
    c.Polygon({{360, 112}, {384, 112}, {372, 142}, {360, 142}}, {0.55, 0.58, 0.95});
    c.Line(420, 156, 420, 196, 3, VIOLET_DARK);
    c.RoundRect({456, 160, 474, 174}, 4, LAMP);
    c.RoundRect({446, 196, 478, 210}, 5, VIOLET_LIGHT);

    // Wheels: a tandem under the load, one under the cab.
    Wheel(c, 104, 212);
    Wheel(c, 166, 212);
    Wheel(c, 300, 212);
    Wheel(c, 410, 212);
}

// The icon: the drawing's extent (x -2 to 488, y 18 to 242, centred on
// (243, 130)) fills 90% of the tile's width.
canvas Icon(int size)
{
    const double scale = 0.9 * size / 490;
    canvas c(size, size, scale, size / 2.0 - 243 * scale, size / 2.0 - 130 * scale);
    c.RoundRect(c.Bounds(), 0.18 * size / scale, {0, 0, 0});
    Draw(c);
    return c;
}

// The icon of `size` pixels as a PNG file; empty on failure.
std::vector<unsigned char> IconPng(int size)
{
    png_desc d;
    d.width = d.height = size;
    d.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    d.compression = 9;
    d.gamma = 1 / 2.2;
    return EncodePng(d, Icon(size).RowsWithAlpha());
}

// The sizes of the Windows icon; 256 is the largest an icon entry can name.
constexpr int ICO_SIZES[] = {16, 24, 32, 48, 64, 256};
constexpr int ICO_PNG_FROM = 256; // entries of this size and above are PNG
constexpr int ICO_HEADER = 6, ICO_ENTRY = 16, BITMAP_HEADER = 40;

void Put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

void Put32(std::vector<unsigned char> &out, size_t v)
{
    Put16(out, static_cast<unsigned>(v & 0xffff));
    Put16(out, static_cast<unsigned>((v >> 16) & 0xffff));
}

// The icon's RGBA rows as a 32-bit bitmap entry with its AND mask, whose bit
// is set (transparent) where alpha is 0, for readers that ignore alpha.
std::vector<unsigned char> IconBitmap(int size, const std::vector<std::vector<unsigned char>> &rows)
{
    const size_t mask_row = (static_cast<size_t>(size) + 31) / 32 * 4;
    std::vector<unsigned char> out;
    Put32(out, BITMAP_HEADER);
    Put32(out, static_cast<size_t>(size));
    Put32(out, static_cast<size_t>(size) * 2);
    Put16(out, 1);  // planes
    Put16(out, 32); // bits a pixel
    Put32(out, 0);  // BI_RGB
    Put32(out, static_cast<size_t>(size) * size * 4 + mask_row * size);
    for (int i = 0; i < 4; ++i) Put32(out, 0); // resolution, palette
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const unsigned char *p = &rows[static_cast<size_t>(y)][static_cast<size_t>(x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<unsigned char> mask(mask_row, 0);
        for (int x = 0; x < size; ++x)
            if (rows[static_cast<size_t>(y)][static_cast<size_t>(x) * 4 + 3] == 0)
                mask[static_cast<size_t>(x) / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

// The Windows icon file; empty when a PNG entry cannot be encoded.
std::vector<unsigned char> IconFile()
{
    std::vector<std::vector<unsigned char>> pictures;
    for (int size : ICO_SIZES) {
        pictures.push_back(size >= ICO_PNG_FROM ? IconPng(size)
                                                : IconBitmap(size, Icon(size).RowsWithAlpha()));
        if (pictures.back().empty()) return {};
    }
    std::vector<unsigned char> out;
    Put16(out, 0); // reserved
    Put16(out, 1); // an icon, not a cursor
    Put16(out, static_cast<unsigned>(pictures.size()));
    size_t offset = ICO_HEADER + ICO_ENTRY * pictures.size();
    for (size_t i = 0; i < pictures.size(); ++i) {
        const unsigned side = static_cast<unsigned>(ICO_SIZES[i]) & 0xff; // 256 is written 0
        out.insert(out.end(), {static_cast<unsigned char>(side), static_cast<unsigned char>(side),
                               0, 0}); // width, height, no palette, reserved
        Put16(out, 1);                 // planes
        Put16(out, 32);                // bits a pixel
        Put32(out, pictures[i].size());
        Put32(out, offset);
        offset += pictures[i].size();
    }
    for (const auto &picture : pictures) out.insert(out.end(), picture.begin(), picture.end());
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const bool icon = argc == 4 && std::string(argv[1]) == "--icon";
    const bool ico = argc == 3 && std::string(argv[1]) == "--ico";
    char *end = nullptr;
    const long asked = icon ? std::strtol(argv[2], &end, 10) : 0;
    const bool sized = icon && end != argv[2] && *end == '\0';
    const int size = sized && asked >= 16 && asked <= 1024 ? static_cast<int>(asked) : 0;
    if (!(argc == 2 || ico || size > 0)) {
        std::fprintf(stderr,
                     "usage: %s OUTPUT.png\n       %s --icon SIZE OUTPUT.png (16..1024)\n"
                     "       %s --ico OUTPUT.ico\n",
                     argv[0], argv[0], argv[0]);
        return 2;
    }
    const char *out = argv[argc - 1];
    std::vector<unsigned char> bytes;
    if (ico) {
        bytes = IconFile();
    } else if (icon) {
        bytes = IconPng(size);
    } else {
        canvas c(WIDTH, HEIGHT);
        Draw(c);
        png_desc d;
        d.width = WIDTH;
        d.height = HEIGHT;
        d.color_type = PNG_COLOR_TYPE_RGB;
        d.compression = 9;
        d.gamma = 1.0;
        bytes = EncodePng(d, c.Rows());
    }
    if (bytes.empty() || !WriteBytes(out, bytes)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], out);
        return 1;
    }
    return 0;
}
