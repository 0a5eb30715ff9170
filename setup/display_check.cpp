// display_check.cpp - whether there is a display to open, asked by both
// programs before they read or write anything.
//
// On X11 and Wayland systems a display is reached through DISPLAY or
// WAYLAND_DISPLAY. With neither set and no video driver chosen through
// SDL_VIDEODRIVER, SDL 2 under sdl12-compat falls back to a driver that shows
// nothing, and the program would run on with no window anywhere; so it ends at
// once instead, saying why. A driver the user chose (the tests' dummy driver,
// for one) is left to SDL. Windows and macOS always have their own display:
// there is nothing to check.

#include "setup.h"

#include <cstdlib>

namespace {

#if !defined(_WIN32) && !defined(__APPLE__)
// True when the variable is set to something; SDL treats an empty value as unset.
bool IsSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}
#endif

} // namespace

void RequireDisplay()
{
#if !defined(_WIN32) && !defined(__APPLE__)
    if (!IsSet("SDL_VIDEODRIVER") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY"))
        Die("no display found: DISPLAY and WAYLAND_DISPLAY are not set");
#endif
}
