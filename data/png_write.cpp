// png_write.cpp - see png_write.h.
//
// libpng reports errors by jumping back to the point armed in Encode. So that
// the jump skips no destructor, the output vector and libpng's structures
// live in EncodePng, and Encode holds only plain values. The output callback
// turns a failed allocation into a libpng error instead of letting an
// exception cross libpng's C frames.

#include "png_write.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

namespace {

// libpng's write and info structures, destroyed together; either is null
// when libpng could not make it.
struct png_writer {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_writer() = default;
    ~png_writer() { png_destroy_write_struct(&png, &info); }
    png_writer(const png_writer &) = delete;
    png_writer &operator=(const png_writer &) = delete;
};

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<std::vector<unsigned char> *>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc &) {
        png_error(png, "out of memory");
    }
}

void Flush(png_structp) {}

bool Encode(png_writer &w, const png_desc &d, std::vector<unsigned char> *out, png_bytep *rows)
{
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_set_write_fn(w.png, out, Append, Flush);
    if (d.compression >= 0) png_set_compression_level(w.png, d.compression);
    png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(d.width),
                 static_cast<png_uint_32>(d.height), d.bit_depth, d.color_type,
                 d.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (d.gamma > 0) png_set_gAMA(w.png, w.info, d.gamma);
    if (!d.palette.empty())
        png_set_PLTE(w.png, w.info, d.palette.data(), static_cast<int>(d.palette.size()));
    if (!d.trns_alpha.empty() || d.trns_color) {
        png_color_16 colour = d.trns_color.value_or(png_color_16{});
        png_set_tRNS(w.png, w.info, d.trns_alpha.empty() ? nullptr : d.trns_alpha.data(),
                     static_cast<int>(d.trns_alpha.size()), d.trns_color ? &colour : nullptr);
    }
    png_write_info(w.png, w.info);
    png_write_image(w.png, rows);
    png_write_end(w.png, nullptr);
    return true;
}

} // namespace

std::vector<unsigned char> EncodePng(const png_desc &desc,
                                     const std::vector<std::vector<unsigned char>> &rows)
{
    std::vector<unsigned char> out;
    if (desc.width <= 0 || desc.height <= 0 || rows.size() != static_cast<size_t>(desc.height))
        return out;
    std::vector<png_bytep> rowps;
    for (const auto &r : rows) rowps.push_back(const_cast<png_bytep>(r.data()));
    png_writer w;
    if (!w.png || !w.info || !Encode(w, desc, &out, rowps.data())) out.clear();
    return out;
}

bool WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) return false;
    const bool whole = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    return std::fclose(f.release()) == 0 && whole;
}
