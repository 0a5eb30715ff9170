// window_scale.cpp - the size of the setup's own window (window_scale.h).

#include "window_scale.h"

#include "desktop.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int MAX_SCALE = 9999;

// The largest scale whose window fits the desktop; no limit when its size is
// unknown.
int Fitting(const scale_inputs &in)
{
    if (in.desktop_w <= 0 || in.desktop_h <= 0) return MAX_SCALE;
    return std::max(1, std::min(in.desktop_w / BASE_WIDTH, in.desktop_h / BASE_HEIGHT));
}

// The scale asked for, before the fit; 0 when nothing asks.
int Asked(const scale_inputs &in, std::string &warning)
{
    if (in.option > 0) return in.option;
    if (in.variable) {
        if (const int n = PositiveWhole(in.variable)) return n;
        warning = std::string("Vantor: VANTOR_SCALE=") + in.variable +
                  " is not a positive whole number; ignored";
    }
    return 0;
}

} // namespace

int PositiveWhole(const char *text)
{
    if (!text || !*text) return 0;
    long long n = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return 0;
        n = std::min<long long>(MAX_SCALE, n * 10 + (*c - '0'));
    }
    return static_cast<int>(n);
}

window_size ChooseWindow(const scale_inputs &in)
{
    window_size out{BASE_WIDTH, BASE_HEIGHT, false, {}};
    int n = Asked(in, out.warning);
    if (n == 0 && in.gamescope && in.desktop_w > 0 && in.desktop_h > 0) {
        out.width = in.desktop_w;
        out.height = in.desktop_h;
        out.fullscreen = true;
        return out;
    }
    if (n == 0) n = in.dpi > 0 ? in.dpi / DPI_PER_SCALE : PositiveWhole(in.gdk_scale);
    n = std::clamp(n, 1, Fitting(in));
    out.width = BASE_WIDTH * n;
    out.height = BASE_HEIGHT * n;
    return out;
}

bool UnderGamescope()
{
    const char *deck = std::getenv("SteamDeck");
    const char *desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return (deck && std::strcmp(deck, "1") == 0) ||
           (desktop && std::strcmp(desktop, "gamescope") == 0) ||
           std::getenv("GAMESCOPE_WAYLAND_DISPLAY");
}

scale_inputs ScaleInputs(int option, int desktop_w, int desktop_h)
{
    scale_inputs in;
    in.option = option;
    in.variable = std::getenv("VANTOR_SCALE");
    in.gamescope = UnderGamescope();
    in.desktop_w = desktop_w;
    in.desktop_h = desktop_h;
    // Asked only when it decides: opening the X display costs a little.
    if (option <= 0 && !(in.variable && PositiveWhole(in.variable)) && !in.gamescope)
        in.dpi = platform::DesktopDpi();
    in.gdk_scale = std::getenv("GDK_SCALE");
    return in;
}
