// font.cpp - the game's font, and what both back-ends' text shares.
//
// All text is drawn in one TrueType font, "vantor.ttf" in the working
// directory. At initialisation the font is opened, the printable ASCII
// characters 32..126 are rasterised once at the canvas scale into the glyph
// set of the back-end being opened (sdl/sdl_text.cpp, gl/gl_text.cpp), and
// the font is closed again; text is then drawn only from that glyph set.
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
// Both glyph sets place glyphs by the same whole-pixel advances, so the width
// of a text is measured here once, and centred and right-aligned text is the
// bound back-end's left-aligned text moved left by the whole or half width.
//
// Depends on: FreeType, canvas.cpp, the bound back-end's TextL,
// events.cpp (SetError).

#include "image_internal.h"

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

int CharAdvance(unsigned char c)
{
    if (c < FIRST_CHAR || c > LAST_CHAR) return (3 * canvas.xscale) >> 2;
    return font.font_width[static_cast<size_t>(c - FIRST_CHAR)];
}

float MeasureText(const char *text)
{
    long long pixels = 0;
    for (const char *p = text; *p; ++p) pixels += CharAdvance(static_cast<unsigned char>(*p));
    return static_cast<float>(pixels) / static_cast<float>(canvas.xscale);
}

int CentreText(float x, float y, const char *text, Uint32 col)
{
    return TextL(x - 0.5f * TextWidth(text), y, text, col);
}

int RightAlignText(float x, float y, const char *text, Uint32 col)
{
    return TextL(x - TextWidth(text), y, text, col);
}

} // namespace vimage
