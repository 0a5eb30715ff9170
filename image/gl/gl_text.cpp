// gl_text.cpp - the OpenGL back-end's glyph set and text.
//
// Glyph set: each printable character 32..126 is an alpha-only texture of its
// coverage (sides rounded up to powers of two, nearest texels) and a display
// list that draws it with the pen on the baseline and then moves the pen
// right by its advance. The 127 lists are allocated together and their first
// one is the list base, so a run of printable bytes is one glCallLists; lists
// 0..31 stay empty.
//
// Placement is in whole pixels: a glyph's bearings and advance are pixel
// counts of the rasteriser, divided by the scale, so they become the same
// number of pixels on screen, and the pen starts on the whole pixel where the
// SDL back-end starts it. So every glyph's texels fall on pixel centres (a
// text that started half a pixel off would have each glyph snapped on its
// own, a pixel apart here and there), and text lies where it lies in SDL.
//
// Bytes outside 32..126 and characters whose glyph failed draw nothing and
// move the pen by the width they are measured with (font.cpp's CharAdvance),
// as in the SDL back-end, so that text measures what it draws.
//
// The texture environment GL_REPLACE on an alpha-only texture draws each glyph
// in the current colour with its coverage as alpha, blended over the picture.
//
// Depends on: OpenGL, font.cpp (FontChar, metrics), canvas.cpp, gamma.cpp,
// gl_backend.cpp (CanvasColumn, CanvasRow).

#include "image_internal.h"

#include <SDL_opengl.h>

#include <algorithm>

namespace vimage {

namespace {

struct gl_glyph_set {
    GLuint fontlistbase = 0;                  // list of character 0
    std::array<GLuint, NUM_CHARS> textures{}; // one per printable character
};
gl_glyph_set glyphs;

bool Printable(unsigned char c)
{
    return c >= FIRST_CHAR && c <= LAST_CHAR;
}

// Pixels as OpenGL units across and up.
double UnitsX(double pixels)
{
    return pixels / canvas.xscale / CANVAS_W;
}
double UnitsY(double pixels)
{
    return pixels / canvas.yscale / CANVAS_H;
}

// Uploads a glyph's coverage, width x height bytes without gaps, into the
// top-left corner of a texture with power-of-two sides.
void UploadGlyph(GLuint texture, int width, int height, int width2, int height2,
                 const Uint8 *coverage)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, width2, height2, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 nullptr);
    if (width > 0 && height > 0)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_ALPHA, GL_UNSIGNED_BYTE,
                        coverage);
}

// The glyph's quad, relative to the pen on the baseline, y upward.
void GlyphQuad(GLuint texture, int x, int y, int width, int height, int width2, int height2)
{
    const auto s = static_cast<float>(width) / static_cast<float>(width2);
    const auto t = static_cast<float>(height) / static_cast<float>(height2);
    const double left = UnitsX(x), right = UnitsX(x + width);
    const double bottom = UnitsY(y - height), top = UnitsY(y);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, t);
    glVertex2d(left, bottom);
    glTexCoord2f(s, t);
    glVertex2d(right, bottom);
    glTexCoord2f(s, 0);
    glVertex2d(right, top);
    glTexCoord2f(0, 0);
    glVertex2d(left, top);
    glEnd();
}

} // namespace

void BuildGlyphsGL()
{
    glyphs.fontlistbase = glGenLists(LAST_CHAR + 1);
    glListBase(glyphs.fontlistbase);
    glGenTextures(NUM_CHARS, glyphs.textures.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // kept: pictures rely on it too
    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        const auto i = static_cast<size_t>(c - FIRST_CHAR);
        int x = 0, y = 0, width = 0, height = 0;
        const Uint8 *coverage = nullptr;
        const bool built = FontChar(c, &x, &y, &width, &height, &coverage) == 0;
        const int width2 = NextPowerOfTwo(std::max(width, 1));
        const int height2 = NextPowerOfTwo(std::max(height, 1));
        if (built) UploadGlyph(glyphs.textures[i], width, height, width2, height2, coverage);
        glNewList(glyphs.fontlistbase + static_cast<GLuint>(c), GL_COMPILE);
        if (built) GlyphQuad(glyphs.textures[i], x, y, width, height, width2, height2);
        glTranslated(UnitsX(font.font_width[i]), 0, 0);
        glEndList();
    }
}

// Draws with the pen `pen_x` whole pixels right of the canvas's left edge
// and the line's top `line_top` whole pixels below its top edge.
static int DrawText(double pen_x, double line_top, const char *text, Uint32 col)
{
    if (!*text) return 0;
    col = ImageGammaRGB(col);
    glPushMatrix();
    glTranslated(UnitsX(pen_x), 1.0 - UnitsY(line_top + font.font_offset), 0);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor3ub(static_cast<GLubyte>(col >> 16), static_cast<GLubyte>(col >> 8),
               static_cast<GLubyte>(col));
    // Runs of printable bytes through their lists; any other byte only moves
    // the pen, since its list would be empty or not the font's.
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    while (*p) {
        const unsigned char *run = p;
        while (Printable(*p)) ++p;
        if (p > run) glCallLists(static_cast<GLsizei>(p - run), GL_UNSIGNED_BYTE, run);
        for (; *p && !Printable(*p); ++p) glTranslated(UnitsX(CharAdvance(*p)), 0, 0);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPopMatrix();
    return 0;
}

// The logical positions become pixels exactly as in the SDL back-end.
int TextLGL(float x, float y, const char *text, Uint32 col)
{
    return DrawText(CanvasColumn(x), CanvasRow(y), text, col);
}

} // namespace vimage
