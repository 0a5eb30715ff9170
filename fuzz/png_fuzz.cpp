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

void Load(int width, int height, int alpha, int pad2, int interpolate, int fourth_quadrant)
{
    int w = -1, h = -1, w2 = -1, h2 = -1;
    vimage::pixels_ptr buf(vimage::LoadPNG(input_path.c_str(), width, height, alpha, pad2,
                                           interpolate, fourth_quadrant, &w, &h, &w2, &h2));
    if (!buf) {
        Check(w == -1 && h == -1 && w2 == -1 && h2 == -1, "out-parameters written on failure");
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
            const unsigned char v = buf.get()[static_cast<size_t>(y) * w2 * bpp + x];
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
    Load(0, 0, 1, 1, 0, 0); // OpenGL, own size
    Load(8, 4, 0, 1, 0, 0); // OpenGL, the logo's place
    Load(0, 0, 0, 0, 1, 1); // SDL, own size
    Load(8, 4, 1, 0, 1, 1); // SDL, the logo's place
    std::remove(input_path.c_str());
    return 0;
}
