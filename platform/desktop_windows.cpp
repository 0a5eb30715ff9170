// desktop_windows.cpp - the desktop's DPI on Windows (desktop.h).
//
// The programs' manifest declares them DPI-aware (per monitor, with the
// older forms as fallbacks), so Windows never stretches their windows and
// tells them the real DPI. GetDpiForSystem (Windows 10 1607 and later) is
// looked up at run time, so that the programs still start on older systems,
// where the screen's LOGPIXELSX says the same.

#include "desktop.h"

#include <windows.h>

namespace platform {

int DesktopDpi()
{
    using dpi_fn = UINT(WINAPI *)();
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
        const auto system_dpi = reinterpret_cast<dpi_fn>(
            reinterpret_cast<void *>(GetProcAddress(user, "GetDpiForSystem")));
        if (system_dpi) {
            if (const UINT dpi = system_dpi()) return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 0;
}

} // namespace platform
