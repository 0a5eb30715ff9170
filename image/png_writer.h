// png_writer.h - libpng's write and info structures, destroyed together.
//
// The screenshot writer's (screenshot.cpp). Either pointer is null when
// libpng could not create it. Not part of the public interface: the game
// includes only image.h.
#pragma once

#include <png.h>

struct png_writer {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_writer() : png(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr))
    {
        if (png) info = png_create_info_struct(png);
    }
    ~png_writer() { png_destroy_write_struct(&png, &info); }
    png_writer(const png_writer &) = delete;
    png_writer &operator=(const png_writer &) = delete;
};
