// desktop.h - what the desktop says about drawing for its screen: the dots
// per inch at which it asks programs to draw, from which a program that
// scales itself by whole numbers takes its scale (96 dots per inch is a
// scale of 1). Only the programs link this; the display library does not.
//
// One implementation per family of systems (desktop_x11.cpp,
// desktop_windows.cpp), each behind this same interface. Nothing here throws.
#pragma once

namespace platform {

// The dots per inch that the desktop asks programs to draw at: on Windows
// the system's DPI (the programs declare themselves DPI-aware, so this is
// the real one); on X11 the Xft.dpi resource, which desktops set for
// high-DPI screens. 0 when the desktop does not say.
int DesktopDpi();

} // namespace platform
