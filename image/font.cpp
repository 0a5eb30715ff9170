// font.cpp - the game's font and text in the SDL back-end.
//
// All text is drawn in one TrueType font, "vantor.ttf" in the working
// directory. At initialisation the font is opened, the printable ASCII
// characters 32..126 are rasterised once at the canvas scale, and the font is
// closed again; text is then drawn only from the prepared glyph set.
//
// Metrics. The em is yscale * 5/6 pixels (the character size is
// yscale * 320 / 6 64ths of a point at 72 dpi). A text position names the top
// of a one-unit line; the baseline lies `font_offset` pixels below it, chosen
// so that the middle of the face's bounding box falls on the middle of the
// line. Advances are whole pixels; there is no kerning.
//
// The underscore is drawn with the font's leftwards arrow (U+2190). Bytes
// outside 32..126 have no glyph: they measure like a glyph that failed, three
// quarters of a unit, and draw nothing.
//
// SDL glyph set: one 32-bit surface per glyph, its coverage in the alpha byte
// and the colour it was last drawn in in the colour bytes, so that drawing a
// glyph again in the same colour is one blit; SDL blends it by its alpha.
// The colour bytes lie where the screen has them when the screen is 32 bits
// of 8-bit channels (alpha in the spare byte), so that SDL takes its fast
// blending path; otherwise red is the lowest byte and alpha the highest.
//
// Depends on: FreeType, canvas.cpp, gamma.cpp, events.cpp (SetError).

#include "image_internal.h"

#include <climits>
#include <cstring>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace vimage {

font_state font;

namespace {

struct library_deleter {
    void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
struct face_deleter {
    void operator()(FT_Face f) const { FT_Done_Face(f); }
};

// FreeType handles, open only during initialisation.
std::unique_ptr<FT_LibraryRec_, library_deleter> ftl;
std::unique_ptr<FT_FaceRec_, face_deleter> ftf;

// Coverage of the last glyph when the rasteriser's rows needed repacking.
std::vector<Uint8> repacked;

// Opens the font and sets its size and the baseline; why not, or null.
const char *Open()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) return "Typeface initialisation error";
    ftl.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(ftl.get(), "vantor.ttf", 0, &face)) return "vantor.ttf: could not read font";
    ftf.reset(face);
    if (FT_Set_Char_Size(face, 0, (canvas.yscale * 320) / 6, 0, 0)) return "Could not scale font";
    const FT_Pos sum = FT_MulFix(face->bbox.yMin + face->bbox.yMax, face->size->metrics.y_scale);
    const int p = static_cast<int>((sum + 32) >> 6);
    font.font_offset = (p + canvas.yscale) / 2;
    return nullptr;
}

// The rasteriser's coverage as `width` bytes a row without gaps: its own
// buffer when it is already so, else a repacked copy (rows with padding,
// bottom-up rows, or one bit a pixel). Null for other pixel modes.
const Uint8 *Coverage(const FT_Bitmap &bm)
{
    static const Uint8 nothing = 0;
    const int width = static_cast<int>(bm.width);
    const int rows = static_cast<int>(bm.rows);
    if (width == 0 || rows == 0) return bm.buffer ? bm.buffer : &nothing; // a blank glyph
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.pitch == width) return bm.buffer;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return nullptr;
    repacked.assign(static_cast<size_t>(width) * static_cast<size_t>(rows), 0);
    const int stride = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    for (int r = 0; r < rows; ++r) {
        const int src_row = bm.pitch < 0 ? rows - 1 - r : r;
        const Uint8 *src = bm.buffer + static_cast<ptrdiff_t>(src_row) * stride;
        Uint8 *dst = repacked.data() + static_cast<size_t>(r) * static_cast<size_t>(width);
        if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
            std::memcpy(dst, src, static_cast<size_t>(width));
        else
            for (int k = 0; k < width; ++k) dst[k] = (src[k >> 3] >> (7 - (k & 7))) & 1 ? 255 : 0;
    }
    return repacked.data();
}

// The three colour bytes of a glyph pixel.
Uint32 GlyphColour(Uint32 col)
{
    const glyph_format &f = font.format;
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

int OpenFont()
{
    const char *why = Open();
    if (!why) return 0;
    CloseFont();
    return SetError("%s", why);
}

int FontChar(int c, int *xp, int *yp, int *widthp, int *heightp, const Uint8 **bufferp)
{
    int &advance = font.font_width[static_cast<size_t>(c - FIRST_CHAR)];
    const FT_ULong code = c == '_' ? 0x2190 : static_cast<FT_ULong>(static_cast<signed char>(c));
    const Uint8 *coverage = nullptr;
    if (!FT_Load_Char(ftf.get(), code, FT_LOAD_RENDER)) coverage = Coverage(ftf->glyph->bitmap);
    if (!coverage) {
        advance = (3 * canvas.xscale) >> 2;
        return -1;
    }
    const FT_GlyphSlot slot = ftf->glyph;
    *xp = slot->bitmap_left;
    *yp = slot->bitmap_top;
    *widthp = static_cast<int>(slot->bitmap.width);
    *heightp = static_cast<int>(slot->bitmap.rows);
    *bufferp = coverage;
    advance = static_cast<int>((slot->advance.x + 32) >> 6);
    return 0;
}

void CloseFont()
{
    ftf.reset();
    ftl.reset();
    repacked = {};
}

void BuildGlyphsSDL(const SDL_Surface *screen)
{
    font.format = GlyphFormatFor(screen ? screen->format : nullptr);
    const glyph_format &f = font.format;
    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        sdl_char &glyph = font.font_chars[static_cast<size_t>(c - FIRST_CHAR)];
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

int CharAdvance(unsigned char c)
{
    if (c < FIRST_CHAR || c > LAST_CHAR) return (3 * canvas.xscale) >> 2;
    return font.font_width[static_cast<size_t>(c - FIRST_CHAR)];
}

float TextWidthSDL(const char *text)
{
    long long pixels = 0;
    for (const char *p = text; *p; ++p) pixels += CharAdvance(static_cast<unsigned char>(*p));
    return static_cast<float>(pixels) / static_cast<float>(canvas.xscale);
}

// Paints a glyph's colour bytes with `col`, keeping its coverage.
static void Repaint(sdl_char &glyph, Uint32 col)
{
    SDL_Surface *s = glyph.surfp.get();
    if (SDL_LockSurface(s) < 0) return;
    const Uint32 colour = GlyphColour(col);
    const Uint32 alpha = Uint32{0xff} << font.format.ashift;
    auto *pixels = static_cast<Uint8 *>(s->pixels);
    for (int r = 0; r < s->h; ++r) {
        auto *row = reinterpret_cast<Uint32 *>(pixels + static_cast<ptrdiff_t>(r) * s->pitch);
        for (int k = 0; k < s->w; ++k) row[k] = (row[k] & alpha) | colour;
    }
    SDL_UnlockSurface(s);
    glyph.col = col;
}

int TextSDL(int x, int y, const char *text, Uint32 col)
{
    col = ImageGammaRGB(col);
    SDL_Surface *screen = backend.sdl.surfp;
    long long pen = x;
    const long long baseline = static_cast<long long>(y) + font.font_offset;
    for (const char *p = text; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= FIRST_CHAR && c <= LAST_CHAR) {
            sdl_char &glyph = font.font_chars[c - FIRST_CHAR];
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

int TextCSDL(float x, float y, const char *text, Uint32 col)
{
    return TextSDL(ImageX(x - 0.5f * TextWidthSDL(text)), ImageY(y), text, col);
}

int TextRSDL(float x, float y, const char *text, Uint32 col)
{
    return TextSDL(ImageX(x - TextWidthSDL(text)), ImageY(y), text, col);
}

} // namespace vimage
