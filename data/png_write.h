// png_write.h - encoding PNG files with libpng's writer, for the build's own
// tools: the logo generator, the test corpus, the fuzz seeds and the
// benchmarks' input files. Not part of the display library.
#pragma once

#include <png.h>

#include <optional>
#include <string>
#include <vector>

struct png_desc {
    int width = 0, height = 0;
    int color_type = PNG_COLOR_TYPE_RGB; // PNG_COLOR_TYPE_*
    int bit_depth = 8;
    bool interlace = false;                 // Adam7
    double gamma = 0;                       // the gAMA chunk's value; 0 writes none
    std::vector<png_color> palette;         // PLTE, for palette pictures
    std::vector<png_byte> trns_alpha;       // tRNS of a palette picture
    std::optional<png_color_16> trns_color; // tRNS of a grey or RGB picture
    int compression = -1;                   // zlib level; -1 for libpng's default
};

// Encodes a picture whose rows are given as the file stores them before
// filtering: samples packed into bytes below 8 bits, 16-bit samples
// big-endian, channels in the colour type's order. Empty on failure, with
// libpng's message on the standard error stream.
std::vector<unsigned char> EncodePng(const png_desc &desc,
                                     const std::vector<std::vector<unsigned char>> &rows);

// Writes bytes to a file; false when it cannot be written whole.
bool WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes);
