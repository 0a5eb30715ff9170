// display_report.cpp - the display test's warnings and advice (display_report.h).
//
// A refused record gets the advice that the display can confirm, checked in
// the order the display library checks: a size below the canvas's 40 x 25
// pixels is refused before anything is opened; an accumulation buffer is
// advised off only when the record opened without it; a full-screen size is
// refused when the display lists the sizes it offers and this is not one.

#include "display_report.h"

#include "image.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 7> software_renderers{
    "llvmpipe", "softpipe", "swrast", "gdi generic", "basic render", "software", "swiftshader",
};

std::string Lower(const char *text)
{
    std::string out = text ? text : "";
    for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

bool SoftwareRenderer(const char *renderer)
{
    const std::string name = Lower(renderer);
    return std::any_of(software_renderers.begin(), software_renderers.end(),
                       [&](std::string_view soft) { return name.find(soft) != name.npos; });
}

const char *HardwareRampName(const char *driver)
{
    const std::string name = Lower(driver);
    const bool whole_display = name.starts_with("win") || name == "directx"; // windib, windows
    return whole_display ? "hardware ramp" : "hardware ramp (not verifiable here)";
}

std::string RefusalAdvice(const settings &rec, const int (*modes)[2], int mode_count,
                          bool opens_without_accum)
{
    if (rec.width < IMAGE_MIN_WIDTH || rec.height < IMAGE_MIN_HEIGHT)
        return "Too small: the minimum is 40 x 25";
    if (opens_without_accum) return "No accumulation buffer here: turn it off";
    if (!(rec.flags & IMAGE_FULLSCREEN) || mode_count <= 0 || !modes) return {};
    const auto *end = modes + mode_count;
    if (std::any_of(modes, end,
                    [&](const int *m) { return m[0] == rec.width && m[1] == rec.height; }))
        return {};
    std::string advice = "Not offered in full screen; try ";
    for (int i = 0; i < std::min(mode_count, advised_sizes); ++i) {
        if (i > 0) advice += ", ";
        advice += std::to_string(modes[i][0]) + "x" + std::to_string(modes[i][1]);
    }
    return advice;
}
