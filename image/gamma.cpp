// gamma.cpp - gamma correction of the colours the library draws.
//
// Every colour a caller gives is a linear intensity. The display gamma g is
// applied once on the way to the screen, in one of two ways chosen by
// ImageInit:
//   - hardware: the display's gamma ramp is set to g; the frame buffer holds
//     linear values and colours pass through here unchanged. SDL_SetGamma
//     can report success while the display changed nothing (some X servers,
//     compositors, SDL 2 underneath the 1.2 API), so the ramp is read back
//     and must be the curve asked for; otherwise the display's ramp is put
//     back as it was found and software correction takes over, as when
//     SDL_SetGamma fails;
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
#include <array>
#include <cmath>
#include <cstdlib>

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

// The ramp SDL_SetGamma(gamma) sets, as SDL computes it: entry i is
// 65535 * (i / 256)^(1 / gamma), rounded; gamma 1 is the identity i * 257.
// A display may keep fewer bits of each 16-bit entry (8 on many), so a ramp
// read back matches when no entry is further from the curve than one step of
// an 8-bit ramp.
bool RampMatches(const Uint16 *ramp, float gamma)
{
    constexpr int tolerance = 256;
    for (int i = 0; i < 256; ++i) {
        int asked = i * 257;
        if (gamma != 1.0f) {
            const double value = std::pow(i / 256.0, 1.0 / static_cast<double>(gamma));
            asked = std::min(65535, static_cast<int>(value * 65535.0 + 0.5));
        }
        if (std::abs(ramp[i] - asked) > tolerance) return false;
    }
    return true;
}

// Sets the display's ramp to the three gammas; true when it reads back as
// asked. Otherwise the ramp found before is put back, where it could be read.
static bool SetHardwareGamma(float r, float g, float b)
{
    std::array<std::array<Uint16, 256>, 3> found, got;
    const bool have_found =
        SDL_GetGammaRamp(found[0].data(), found[1].data(), found[2].data()) >= 0;
    if (SDL_SetGamma(r, g, b) < 0) return false;
    if (SDL_GetGammaRamp(got[0].data(), got[1].data(), got[2].data()) >= 0 &&
        RampMatches(got[0].data(), r) && RampMatches(got[1].data(), g) &&
        RampMatches(got[2].data(), b))
        return true;
    if (have_found) SDL_SetGammaRamp(found[0].data(), found[1].data(), found[2].data());
    return false;
}

void SetupGamma(int rgam, int ggam, int bgam, bool software)
{
    rgam = std::clamp(rgam, 1, 50);
    ggam = std::clamp(ggam, 1, 50);
    bgam = std::clamp(bgam, 1, 50);
    gammas = gamma_state{};
    if (!software &&
        SetHardwareGamma(static_cast<float>(rgam) * 0.1f, static_cast<float>(ggam) * 0.1f,
                         static_cast<float>(bgam) * 0.1f))
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
