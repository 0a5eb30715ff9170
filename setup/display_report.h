// display_report.h - what vantor-display-test tells the user beyond what
// the display granted: a warning about software OpenGL, and advice when the
// display refused the settings. Pure functions, so that they can be tested
// without a display.
#pragma once

#include "settings.h"

#include <string>

// How many of the display's full-screen sizes a refusal lists.
inline constexpr int advised_sizes = 4;

// Whether an OpenGL renderer's name (GL_RENDERER) is a software rasteriser,
// which draws at a fraction of a graphics card's speed: Mesa's llvmpipe,
// softpipe and swrast, Windows's own "GDI Generic", Microsoft's basic render
// driver, and any that calls itself software.
bool SoftwareRenderer(const char *renderer);

// How the report names gamma that goes through the display's ramp, under
// SDL's video driver `driver`. A ramp that reads back as asked reaches the
// screen with SDL's Windows drivers, which set the whole display's ramp; on
// X11 it may be only the window's colormap, which the screen shows only
// once a window manager installs it, and the program cannot tell whether
// one will: "hardware ramp (not verifiable here)".
const char *HardwareRampName(const char *driver);

// What would work instead of a record that the display refused, in a few
// words that fit the setup's status line after "Display test failed: ";
// empty when there is nothing to advise. `modes` are the first of the sizes
// the display offers for the record's back-end in full screen (`mode_count`
// of them, none when it allows any size or was not asked), and
// `opens_without_accum` tells whether the same record opened once its
// accumulation buffer was no longer asked for.
std::string RefusalAdvice(const settings &rec, const int (*modes)[2], int mode_count,
                          bool opens_without_accum);
