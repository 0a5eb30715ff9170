// png_fuzz.cpp - libFuzzer target for LoadPNG, the library's reader of
// picture files.
//
// Each input is written to a file of its own and loaded through both
// back-ends' argument sets (OpenGL: padded, bottom-up, never enlarged; SDL:
// unpadded, top-down, resampled to the place), with and without alpha, at the
// file's own size and for a place of 8 x 4 units on a screen of 15 pixels a
// unit, as the setup's logo is. Besides the sanitizers' findings, a decoded
// buffer must be consistent: sizes within the limits, the padded size the one
// asked for, every padding byte 0. Every byte is read, so that a buffer
// shorter than its sizes shows up under AddressSanitizer.

#include "image_internal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string input_path;
volatile unsigned checksum; // keeps the reads of every byte

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "png-fuzz: %s\n", what);
        std::abort();
    }
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
    if (pad2)
        Check(w2 == vimage::NextPowerOfTwo(w) && h2 == vimage::NextPowerOfTwo(h), "bad padding");
    else
        Check(w2 == w && h2 == h, "padding not asked for");
    if (width && height && interpolate)
        Check(w == width * vimage::canvas.xscale && h == height * vimage::canvas.yscale,
              "not at the place's size");
    const int bpp = alpha ? 4 : 3;
    unsigned sum = 0;
    for (int y = 0; y < h2; ++y)
        for (int x = 0; x < w2; ++x)
            for (int c = 0; c < bpp; ++c) {
                const unsigned char v = buf.get()[(static_cast<size_t>(y) * w2 + x) * bpp + c];
                if (x >= w || y >= h) Check(v == 0, "padding byte not 0");
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
    {
        std::unique_ptr<std::FILE, file_closer> f(std::fopen(input_path.c_str(), "wb"));
        Check(f && std::fwrite(data, 1, size, f.get()) == size, "cannot write the input file");
    }
    Load(0, 0, 1, 1, 0, 0); // OpenGL, own size
    Load(8, 4, 0, 1, 0, 0); // OpenGL, the logo's place
    Load(0, 0, 0, 0, 1, 1); // SDL, own size
    Load(8, 4, 1, 0, 1, 1); // SDL, the logo's place
    std::remove(input_path.c_str());
    return 0;
}
