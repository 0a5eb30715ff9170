// gamma.cpp - gamma correction of the colours the library draws.
//
// Every colour a caller gives is a linear intensity. The display gamma g is
// applied once on the way to the screen, in one of two ways chosen by
// ImageInit:
//   - hardware: the display's gamma ramp is set to g; the frame buffer holds
//     linear values and colours pass through here unchanged;
//   - software: the ramp is left alone and each channel value v (0..255) is
//     drawn as 255 * (v / 255)^(1 / g), truncated, looked up in a table built
//     once per channel. Float colours take the same power unscaled.
// Gammas arrive in tenths (22 means 2.2) and are kept within 1..50.
//
// PNG pictures are not corrected here: libpng converts them while decoding to
// `screen_gamma`, the mean of the three gammas in software (1.0 with the
// hardware ramp, whose frame buffer is linear).

#include "image_internal.h"

#include <algorithm>
#include <cmath>

namespace vimage {

gamma_state gammas;

// Storage of ImageGamma's result; the next call overwrites it.
static float correcteds[4];

static void FillTable(std::array<Uint8, 256> &table, float exponent)
{
    for (int i = 0; i < 256; ++i) {
        const double x = i / 255.0;
        table[static_cast<size_t>(i)] =
            static_cast<Uint8>(255.0 * std::pow(x, static_cast<double>(exponent)));
    }
}

void SetSoftwareGamma(int rgam, int ggam, int bgam)
{
    gammas.screen_gamma = (rgam + ggam + bgam) / 30.0;
    gammas.gamma_required = 1;
    gammas.gam_r = static_cast<float>(10.0 / rgam);
    gammas.gam_g = static_cast<float>(10.0 / ggam);
    gammas.gam_b = static_cast<float>(10.0 / bgam);
    FillTable(gammas.gamma_r, gammas.gam_r);
    FillTable(gammas.gamma_g, gammas.gam_g);
    FillTable(gammas.gamma_b, gammas.gam_b);
}

void SetupGamma(int rgam, int ggam, int bgam, bool software)
{
    rgam = std::clamp(rgam, 1, 50);
    ggam = std::clamp(ggam, 1, 50);
    bgam = std::clamp(bgam, 1, 50);
    gammas = gamma_state{};
    if (!software && SDL_SetGamma(static_cast<float>(rgam) * 0.1f, static_cast<float>(ggam) * 0.1f,
                                  static_cast<float>(bgam) * 0.1f) >= 0)
        return;
    SetSoftwareGamma(rgam, ggam, bgam);
}

Uint32 ImageGammaRGB(Uint32 col)
{
    if (!gammas.gamma_required) return col;
    const Uint32 r = gammas.gamma_r[(col >> 16) & 0xff];
    const Uint32 g = gammas.gamma_g[(col >> 8) & 0xff];
    const Uint32 b = gammas.gamma_b[col & 0xff];
    return r << 16 | g << 8 | b;
}

} // namespace vimage

extern "C" const float *ImageGamma(const float *cols)
{
    using vimage::gammas;
    if (!gammas.gamma_required) return cols;
    float *out = vimage::correcteds;
    out[0] = static_cast<float>(std::pow(static_cast<double>(cols[0]), gammas.gam_r));
    out[1] = static_cast<float>(std::pow(static_cast<double>(cols[1]), gammas.gam_g));
    out[2] = static_cast<float>(std::pow(static_cast<double>(cols[2]), gammas.gam_b));
    out[3] = cols[3];
    return out;
}
