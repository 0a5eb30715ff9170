// png.cpp - reading PNG pictures into the library's pixel buffers.
//
// LoadPNG is the library's only reader of pictures; the back-ends' ImageLoad
// call it. It decodes a file in one pass, through an array of row pointers,
// straight into the buffer that it returns, so that the row order (bottom row
// first for OpenGL textures, top row first for SDL surfaces) and the zero
// padding to powers of two cost nothing afterwards. Whatever libpng reads
// comes out as 8-bit R, G, B or R, G, B, A: palettes and grey are expanded,
// 16-bit samples cut to 8, transparency (tRNS included) turned into alpha or
// dropped, and the file's gamma (0.45455 when it states none) converted to the
// screen's. Then, for a place given in canvas units, the picture is brought to
// that place's pixel size on this screen (resample.cpp): exactly from 64
// pixels a unit by the cell resampler, otherwise by the float resampler when
// it is too large (or, with `interpolate`, of any other size).
//
// Limits: a file whose picture is wider or taller than MAX_PICTURE_SIDE, or
// whose buffer (padding included) would exceed MAX_PICTURE_BYTES, is refused
// with "Could not read image data" before anything is allocated for it; so is
// a target size beyond the same limits (png_set_user_limits makes libpng
// itself refuse a side beyond MAX_PICTURE_SIDE, in place of its default of a
// million). All sizes are computed in 64 bits.
//
// Chunks: libpng 1.6 reads texts, colour profiles, suggested palettes, Exif
// data and the pCAL and sCAL calibrations into memory, most of them whole at
// whatever length the file claims (up to 2 GB) before reading them. Its
// limit on a chunk's length (png_set_chunk_malloc_max: 8,000,000 bytes by
// default, MAX_CHUNK_BYTES here) only warns in libpng 1.6.39, Debian 12's,
// and reads on. None of those chunks matters to the pictures drawn here, so
// all are skipped unread. Every other chunk libpng 1.6 knows has a small
// fixed size or is streamed (the image data), and unknown chunks are skipped
// without being kept, so its limit of 1000 kept chunks never applies.
//
// libpng reports errors by jumping back to the point armed with setjmp. So
// that the jump skips no destructor, everything that owns a resource (the
// file, libpng's structures, the buffers) lives in LoadPNG, and the two
// functions that arm the jump, ReadHeader and ReadPixels, hold only plain
// values and write their results through pointers into LoadPNG's objects.
// libpng's own error and warning texts go to the standard error stream.
//
// Depends on: libpng, resample.cpp, canvas.cpp (scale), gamma.cpp
// (screen_gamma), events.cpp (SetError).

#include "image_internal.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

namespace vimage {

namespace {

// libpng's read and info structures, destroyed together.
struct png_reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_reader() = default;
    png_reader(const png_reader &) = delete;
    png_reader &operator=(const png_reader &) = delete;
    ~png_reader() { Destroy(); }
    void Destroy()
    {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        png = nullptr;
        info = nullptr;
    }
};

// What the header says once the transformations are set.
struct png_header {
    png_uint_32 width = 0, height = 0;
    size_t rowbytes = 0; // bytes of one decoded row
    int channels = 0;    // of one decoded pixel
};

// Reads the header and sets up the transformations. False after a libpng
// error. Plain values only (see above).
bool ReadHeader(png_structp png, png_infop info, std::FILE *file, int alpha, double screen_gamma,
                png_header *h)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, MAX_PICTURE_SIDE, MAX_PICTURE_SIDE);
    // The chunks libpng reads whole into memory before looking at them (see
    // the top): a file of a few bytes that claims a 2 GB one would have it
    // allocate that much. They are skipped unread.
    static constexpr png_byte ignored[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, ignored, sizeof ignored / 5);
    png_set_chunk_malloc_max(png, MAX_CHUNK_BYTES);
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);

    png_set_expand(png);
    png_set_strip_16(png);
    if (!alpha) png_set_strip_alpha(png);
    png_set_packing(png);
    if (alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    double file_gamma = 0.45455;
    if (!png_get_gAMA(png, info, &file_gamma)) file_gamma = 0.45455;
    png_set_gamma(png, screen_gamma, file_gamma);
    // png_read_image de-interlaces itself, but asks for this to be said first.
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    h->width = png_get_image_width(png, info);
    h->height = png_get_image_height(png, info);
    h->rowbytes = png_get_rowbytes(png, info);
    h->channels = png_get_channels(png, info);
    return true;
}

// Decodes every row into `rows`. False after a libpng error.
bool ReadPixels(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

constexpr const char *BAD_DATA = "Could not read image data";

// Decodes the file into `pic` and brings it to its place; the reason it
// could not, or null.
const char *Decode(const char *filename, const png_options &o, picture &pic)
{
    if (!filename) return std::strerror(EINVAL);
    file_ptr file(std::fopen(filename, "rb"));
    if (!file) return std::strerror(errno);

    png_byte buf[8];
    if (std::fread(buf, 1, sizeof buf, file.get()) != sizeof buf || png_sig_cmp(buf, 0, sizeof buf))
        return "Could not read image header";

    png_reader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!reader.png) return "Could not read image header";
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return "Could not read image info";

    png_header h;
    if (!ReadHeader(reader.png, reader.info, file.get(), o.alpha, gammas.screen_gamma, &h))
        return BAD_DATA;

    // The transformations give 3 or 4 bytes a pixel; refuse anything else
    // rather than let libpng write past the rows.
    const int bpp = o.alpha ? 4 : 3;
    if (h.width == 0 || h.height == 0 || h.width > MAX_PICTURE_SIDE ||
        h.height > MAX_PICTURE_SIDE || h.channels != bpp ||
        h.rowbytes != static_cast<size_t>(h.width) * bpp)
        return BAD_DATA;

    pic.width = static_cast<int>(h.width);
    pic.height = static_cast<int>(h.height);
    pic.width2 = o.pad2 ? NextPowerOfTwo(pic.width) : pic.width;
    pic.height2 = o.pad2 ? NextPowerOfTwo(pic.height) : pic.height;
    pic.bpp = bpp;
    const size_t bytes = PictureBytes(pic.width2, pic.height2, bpp);
    if (bytes == 0) return BAD_DATA;
    pic.pixels.reset(static_cast<unsigned char *>(std::malloc(bytes)));
    malloc_ptr<png_bytep> rowps(
        static_cast<png_bytep *>(std::malloc(h.height * sizeof(png_bytep))));
    if (!pic.pixels || !rowps) return BAD_DATA;

    if (pic.width2 > pic.width || pic.height2 > pic.height) std::memset(pic.pixels.get(), 0, bytes);
    const size_t row = static_cast<size_t>(pic.width2) * bpp;
    for (int i = 0; i < pic.height; ++i) {
        const int at = o.top_row_first ? i : pic.height - 1 - i;
        rowps.get()[i] = pic.pixels.get() + at * row;
    }
    if (!ReadPixels(reader.png, rowps.get())) return BAD_DATA;
    reader.Destroy();
    rowps.reset();
    file.reset();

    // Bring the picture to its place on the screen.
    if (o.width == 0 || o.height == 0) return nullptr;
    const int xscale = canvas.xscale, yscale = canvas.yscale;
    const long long new_width = static_cast<long long>(o.width) * xscale;
    const long long new_height = static_cast<long long>(o.height) * yscale;
    const bool cells = pic.width == static_cast<long long>(o.width) * IMAGE_SCALE &&
                       pic.height == static_cast<long long>(o.height) * IMAGE_SCALE &&
                       xscale >= 1 && xscale < IMAGE_SCALE && yscale >= 1 && yscale < IMAGE_SCALE;
    const bool differs = new_width != pic.width || new_height != pic.height;
    const bool smaller = new_width < pic.width || new_height < pic.height;
    if (!cells && !(o.interpolate ? differs : smaller)) return nullptr;
    if (new_width <= 0 || new_height <= 0 || new_width > MAX_PICTURE_SIDE ||
        new_height > MAX_PICTURE_SIDE)
        return BAD_DATA;
    picture out = cells ? ResampleCells(pic, o.width, o.height, xscale, resample.x_coeff.data(),
                                        yscale, resample.y_coeff.data(), o.pad2)
                        : ResampleFloat(pic, static_cast<int>(new_width),
                                        static_cast<int>(new_height), o.pad2);
    if (!out.pixels) return BAD_DATA;
    pic = std::move(out);
    return nullptr;
}

} // namespace

picture LoadPNG(const char *filename, const png_options &options)
{
    picture pic;
    if (const char *why = Decode(filename, options, pic)) {
        SetError("%s", why);
        return {};
    }
    return pic;
}

} // namespace vimage
