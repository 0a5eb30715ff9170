// png_read.h - a PNG file read back in a test: its RGB pixels, top row first,
// and the value of its gAMA chunk.
#pragma once

#include <png.h>

#include <cstdio>
#include <vector>

struct decoded_png {
    int width = 0, height = 0;
    std::vector<png_byte> rgb;
    double gamma = 0;
    // Pixel (x, y) as 0xRRGGBB.
    unsigned At(int x, int y) const
    {
        const png_byte *p = &rgb[static_cast<size_t>((y * width + x) * 3)];
        return unsigned{p[0]} << 16 | unsigned{p[1]} << 8 | p[2];
    }
};

inline decoded_png ReadPng(const char *path)
{
    decoded_png out;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path)) return out;
    img.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(img));
    png_image_finish_read(&img, nullptr, out.rgb.data(), 0, nullptr);
    out.width = static_cast<int>(img.width);
    out.height = static_cast<int>(img.height);
    // The gAMA value, read with the low-level interface.
    FILE *f = std::fopen(path, "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_read_info(png, info);
        png_get_gAMA(png, info, &out.gamma);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return out;
}
