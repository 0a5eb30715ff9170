// glyph_oracle.h - a glyph as FreeType renders it at the size the library
// uses for a scale: an oracle independent of the library's glyph sets. Reads
// vantor.ttf from the working folder.
#pragma once

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

struct glyph_metrics {
    int left, top, width, rows, advance;
};

inline glyph_metrics RenderedGlyph(unsigned long code, int scale)
{
    FT_Library lib;
    FT_Face face;
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, "vantor.ttf", 0, &face), 0);
    EXPECT_EQ(FT_Set_Char_Size(face, 0, scale * 320 / 6, 0, 0), 0);
    EXPECT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
    const FT_GlyphSlot g = face->glyph;
    glyph_metrics m{g->bitmap_left, g->bitmap_top, static_cast<int>(g->bitmap.width),
                    static_cast<int>(g->bitmap.rows), static_cast<int>((g->advance.x + 32) >> 6)};
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return m;
}
