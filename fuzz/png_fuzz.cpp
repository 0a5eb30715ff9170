// png_fuzz.cpp - libFuzzer target for LoadPNG. Each input is loaded through
// both callers' argument sets, with and without alpha, at its own size and
// for the logo's place (8 x 4 units at 15 pixels a unit). A decoded buffer
// must have sizes within the limits, the padding asked for, every padding
// byte 0; every byte is read, so a short buffer shows under AddressSanitizer.

#include "image_internal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string input_path;
volatile unsigned checksum; // keeps the reads of every byte

void Check(bool ok, const char *what)
{
    if (ok) return;
    std::fprintf(stderr, "png-fuzz: %s\n", what);
    std::abort();
}

void Load(int width, int height, bool alpha, bool pad2, bool interpolate, bool top_first)
{
    const vimage::picture pic =
        vimage::LoadPNG(input_path.c_str(), {width, height, alpha, pad2, interpolate, top_first});
    const int w = pic.width, h = pic.height, w2 = pic.width2, h2 = pic.height2;
    if (!pic.pixels) {
        Check(w == 0 && h == 0 && w2 == 0 && h2 == 0, "sizes given on failure");
        Check(ImageError() != nullptr, "failure without a message");
        return;
    }
    Check(w > 0 && h > 0 && w <= vimage::MAX_PICTURE_SIDE && h <= vimage::MAX_PICTURE_SIDE,
          "picture size out of range");
    Check(pad2 ? w2 == vimage::NextPowerOfTwo(w) && h2 == vimage::NextPowerOfTwo(h)
               : w2 == w && h2 == h,
          "padding other than asked for");
    if (width && height && interpolate)
        Check(w == width * vimage::canvas.xscale && h == height * vimage::canvas.yscale,
              "not at the place's size");
    const int bpp = alpha ? 4 : 3;
    unsigned sum = 0;
    for (int y = 0; y < h2; ++y)
        for (int x = 0; x < w2 * bpp; ++x) {
            const unsigned char v = pic.pixels.get()[static_cast<size_t>(y) * w2 * bpp + x];
            if (x >= w * bpp || y >= h) Check(v == 0, "padding byte not 0");
            sum += v;
        }
    checksum = sum;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    vimage::canvas.xscale = vimage::canvas.yscale = 15;
    vimage::CalculateCoefficients(15, vimage::resample.x_coeff.data());
    vimage::CalculateCoefficients(15, vimage::resample.y_coeff.data());
    vimage::gammas.screen_gamma = 2.2;
    const char *tmp = std::getenv("TMPDIR");
    input_path =
        std::string(tmp ? tmp : "/tmp") + "/vantor-png-fuzz-" + std::to_string(getpid()) + ".png";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    file_ptr f(std::fopen(input_path.c_str(), "wb"));
    Check(f && std::fwrite(data, 1, size, f.get()) == size && std::fclose(f.release()) == 0,
          "cannot write the input file");
    Load(0, 0, true, true, false, false);  // OpenGL, own size
    Load(8, 4, false, true, false, false); // OpenGL, the logo's place
    Load(0, 0, false, false, true, true);  // SDL, own size
    Load(8, 4, true, false, true, true);   // SDL, the logo's place
    std::remove(input_path.c_str());
    return 0;
}
