// desktop_x11.cpp - the desktop's DPI on X11 systems (desktop.h).
//
// Desktops publish their scale as the Xft.dpi resource in the X server's
// resource database (what `xrdb -query` prints). The X library is loaded
// when asked, not linked: the programs need no X library of their own (SDL
// finds its display by itself) and still start where there is none, on a
// Wayland-only system for one, where the answer is then "does not say".

#include "desktop.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include <dlfcn.h>

namespace platform {

namespace {

// The resource database's text: lines of "name:\tvalue".
int XftDpi(std::string_view resources)
{
    constexpr std::string_view name = "Xft.dpi:";
    for (size_t at = 0; at < resources.size();) {
        size_t end = resources.find('\n', at);
        if (end == resources.npos) end = resources.size();
        const std::string_view line = resources.substr(at, end - at);
        if (line.starts_with(name)) {
            const std::string text(line.substr(name.size()));
            const double dpi = std::strtod(text.c_str(), nullptr); // may be "192" or "144.5"
            return dpi >= 1 && dpi < 10000 ? static_cast<int>(dpi) : 0;
        }
        at = end + 1;
    }
    return 0;
}

} // namespace

int DesktopDpi()
{
    void *xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!xlib) return 0;
    using open_fn = void *(*)(const char *);
    using resources_fn = char *(*)(void *);
    using close_fn = int (*)(void *);
    const auto open = reinterpret_cast<open_fn>(dlsym(xlib, "XOpenDisplay"));
    const auto resources = reinterpret_cast<resources_fn>(dlsym(xlib, "XResourceManagerString"));
    const auto close = reinterpret_cast<close_fn>(dlsym(xlib, "XCloseDisplay"));
    int dpi = 0;
    if (open && resources && close) {
        if (void *display = open(nullptr)) {
            if (const char *text = resources(display)) dpi = XftDpi(text);
            close(display);
        }
    }
    dlclose(xlib);
    return dpi;
}

} // namespace platform
