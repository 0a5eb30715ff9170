// screenshot.cpp - writing the canvas to "screenshot.png".
//
// The screenshot key only sets a flag; the next frame presentation calls
// SaveScreenshot while the frame is complete but not yet shown. The file is
// written beside "screenshot.png" and replaces it only when complete, so a
// viewer never reads half a picture and a failed write (a full disk) leaves
// the previous screenshot as it was. The file holds
// the canvas without its margins, 8-bit RGB, top row first, with a gAMA chunk
// of 1 / screen_gamma: the frame buffer holds linear values (gAMA 1.0) under
// the hardware gamma ramp and corrected ones under software correction.
//
// libpng reports errors by jumping back to the point armed in WritePng. So
// that the jump skips no destructor, everything that owns a resource (the
// file, libpng's structures, the pixel buffer) lives in SaveScreenshot, the
// caller of WritePng, and WritePng itself holds only plain values.
//
// The pixels come from the bound back-end (its record's `capture`), in the
// row order it reads them in.
//
// Depends on: libpng, the platform layer (replacing the file), the bound
// back-end record, canvas.cpp, gamma.cpp, events.cpp (SetError).

#include "image_internal.h"
#include "platform.h"
#include "png_writer.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <png.h>

namespace vimage {

namespace {

// Encodes the rows; false after a libpng error. Plain values only (see above).
bool WritePng(png_writer &w, std::FILE *file, png_bytep *rows, int width, int height)
{
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_init_io(w.png, file);
    png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_gAMA(w.png, w.info, 1.0 / gammas.screen_gamma);
    png_write_info(w.png, w.info);
    png_write_image(w.png, rows);
    png_write_end(w.png, nullptr);
    return true;
}

constexpr const char *WRITE_FAILED = "Could not write image";

} // namespace

int SaveScreenshot()
{
    platform::file_replacement out("screenshot.png");
    if (!out.file()) return SetError("Could not create screenshot file");
    png_writer w;
    if (!w.png || !w.info) return SetError("%s", WRITE_FAILED);

    const int width = CANVAS_W * canvas.xscale;
    const int height = CANVAS_H * canvas.yscale;
    std::vector<Uint8> pixels;
    std::vector<png_bytep> rows;
    try {
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        rows.resize(static_cast<size_t>(height));
    } catch (const std::bad_alloc &) {
        return SetError("%s", WRITE_FAILED);
    }
    const captured order = bound->capture(pixels.data(), width, height);
    if (order == captured::failed) return SetError("%s", WRITE_FAILED);
    // The file starts with the top row.
    for (int i = 0; i < height; ++i) {
        const int row = order == captured::bottom_row_first ? height - 1 - i : i;
        rows[static_cast<size_t>(i)] = pixels.data() + static_cast<size_t>(row) * width * 3;
    }
    if (!WritePng(w, out.file(), rows.data(), width, height) || !out.Commit())
        return SetError("%s", WRITE_FAILED);
    return 0;
}

} // namespace vimage
