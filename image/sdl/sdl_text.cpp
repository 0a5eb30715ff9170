// sdl_text.cpp - the SDL back-end's glyph set and text.
//
// One 32-bit surface per glyph, its coverage in the alpha byte and the colour
// it was last drawn in in the colour bytes, so that drawing a glyph again in
// the same colour is one blit; SDL blends it by its alpha. The colour bytes
// lie where the screen has them when the screen is 32 bits of 8-bit channels
// (alpha in the spare byte), so that SDL takes its fast blending path;
// otherwise red is the lowest byte and alpha the highest.
//
// A text starts on the whole pixel ImageX gives; each glyph is placed by its
// bearings from the pen on the baseline, `font_offset` pixels below the top
// of the line, and the pen moves by the glyph's advance. Bytes without a
// glyph draw nothing and move the pen as they measure (font.cpp).
//
// Depends on: font.cpp (the rasteriser and metrics), canvas.cpp, gamma.cpp,
// sdl_backend.cpp (the screen surface, BlitAt).

#include "image_internal.h"

#include <climits>
#include <cstring>

namespace vimage {

sdl_glyph_set sdl_glyphs;

namespace {

// The three colour bytes of a glyph pixel.
Uint32 GlyphColour(Uint32 col)
{
    const glyph_format &f = sdl_glyphs.format;
    return (col >> 16 & 0xff) << f.rshift | (col >> 8 & 0xff) << f.gshift |
           (col & 0xff) << f.bshift;
}

// Whether a mask is one whole byte of a 32-bit pixel; its shift then.
bool ByteMask(Uint32 mask, int &shift)
{
    for (shift = 0; shift < 32; shift += 8)
        if (mask == Uint32{0xff} << shift) return true;
    return false;
}

// The glyph layout for a screen format (see above).
glyph_format GlyphFormatFor(const SDL_PixelFormat *screen)
{
    glyph_format f;
    if (!screen || screen->BitsPerPixel != 32) return f;
    int r, g, b;
    if (!ByteMask(screen->Rmask, r) || !ByteMask(screen->Gmask, g) || !ByteMask(screen->Bmask, b))
        return f;
    f.rshift = r;
    f.gshift = g;
    f.bshift = b;
    f.ashift = 48 - r - g - b; // the byte left over: 0 + 8 + 16 + 24 = 48
    return f;
}

} // namespace

void BuildGlyphsSDL(const SDL_Surface *screen)
{
    sdl_glyphs.format = GlyphFormatFor(screen ? screen->format : nullptr);
    const glyph_format &f = sdl_glyphs.format;
    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        sdl_char &glyph = sdl_glyphs.chars[static_cast<size_t>(c - FIRST_CHAR)];
        glyph = sdl_char{};
        int width = 0, height = 0;
        const Uint8 *coverage = nullptr;
        if (FontChar(c, &glyph.x, &glyph.y, &width, &height, &coverage) < 0) continue;
        glyph.surfp.reset(SDL_CreateRGBSurface(SDL_HWSURFACE | SDL_SRCALPHA, width, height, 32,
                                               Uint32{0xff} << f.rshift, Uint32{0xff} << f.gshift,
                                               Uint32{0xff} << f.bshift, Uint32{0xff} << f.ashift));
        SDL_Surface *s = glyph.surfp.get();
        if (!s) continue;
        if (SDL_LockSurface(s) < 0) {
            glyph.surfp.reset();
            continue;
        }
        auto *pixels = static_cast<Uint8 *>(s->pixels);
        if (pixels) {
            std::memset(pixels, 0, static_cast<size_t>(s->pitch) * static_cast<size_t>(height));
            for (int r = 0; r < height; ++r) {
                auto *row =
                    reinterpret_cast<Uint32 *>(pixels + static_cast<ptrdiff_t>(r) * s->pitch);
                for (int k = 0; k < width; ++k)
                    row[k] = Uint32{coverage[static_cast<size_t>(r) * static_cast<size_t>(width) +
                                             static_cast<size_t>(k)]}
                             << f.ashift;
            }
        }
        SDL_UnlockSurface(s);
    }
}

// Paints a glyph's colour bytes with `col`, keeping its coverage.
static void Repaint(sdl_char &glyph, Uint32 col)
{
    SDL_Surface *s = glyph.surfp.get();
    if (SDL_LockSurface(s) < 0) return;
    const Uint32 colour = GlyphColour(col);
    const Uint32 alpha = Uint32{0xff} << sdl_glyphs.format.ashift;
    auto *pixels = static_cast<Uint8 *>(s->pixels);
    for (int r = 0; r < s->h; ++r) {
        auto *row = reinterpret_cast<Uint32 *>(pixels + static_cast<ptrdiff_t>(r) * s->pitch);
        for (int k = 0; k < s->w; ++k) row[k] = (row[k] & alpha) | colour;
    }
    SDL_UnlockSurface(s);
    glyph.col = col;
}

// Draws with the pen starting at pixel x and the line's top at pixel y.
static int TextSDL(int x, int y, const char *text, Uint32 col)
{
    col = ImageGammaRGB(col);
    SDL_Surface *screen = backend.sdl.surfp;
    long long pen = x;
    const long long baseline = static_cast<long long>(y) + font.font_offset;
    for (const char *p = text; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= FIRST_CHAR && c <= LAST_CHAR) {
            sdl_char &glyph = sdl_glyphs.chars[c - FIRST_CHAR];
            const long long gx = pen + glyph.x, gy = baseline - glyph.y;
            const bool representable =
                gx >= INT_MIN && gx <= INT_MAX && gy >= INT_MIN && gy <= INT_MAX;
            if (glyph.surfp && representable) {
                if (glyph.col != col) Repaint(glyph, col);
                BlitAt(glyph.surfp.get(), static_cast<int>(gx), static_cast<int>(gy), screen);
            }
        }
        pen += CharAdvance(c);
    }
    return 0;
}

int TextLSDL(float x, float y, const char *text, Uint32 col)
{
    return TextSDL(ImageX(x), ImageY(y), text, col);
}

} // namespace vimage
