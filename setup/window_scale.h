// window_scale.h - the size of the setup's own window on today's displays.
//
// A desktop that scales its screen stretches a window that does not scale
// itself, blurring the gamma page's one-pixel patterns into a grey that
// emits far less light than half and so giving a wrong gamma. So the setup
// scales itself, by whole numbers only: its window is N times 600 x 375, and
// the canvas N times 15 pixels a unit, which keeps every pattern exact.
//
// N comes from the first of these that says something: the command line's
// --scale; the environment's VANTOR_SCALE (launchers such as Steam pass
// environment variables; a value that is not a positive whole number is
// ignored, with a warning); under gamescope (the Steam Deck's session) the
// window is full screen at the desktop's own size instead; the desktop's
// DPI / 96, rounded down; GDK_SCALE; else 1. N is then at most the largest
// scale whose window fits the desktop.
//
// The scale is the setup's own window only: the display test, the game's
// display and the settings file do not change, and nothing of it is saved.
#pragma once

#include <string>

// The setup's window at scale 1, in pixels.
inline constexpr int BASE_WIDTH = 600;
inline constexpr int BASE_HEIGHT = 375;
inline constexpr int DPI_PER_SCALE = 96;

// What the choice is made from.
struct scale_inputs {
    int option = 0;                   // --scale N; 0 when not given
    const char *variable = nullptr;   // VANTOR_SCALE's text; null when unset
    bool gamescope = false;           // running under gamescope
    int dpi = 0;                      // the desktop's DPI; 0 when it does not say
    const char *gdk_scale = nullptr;  // GDK_SCALE's text; null when unset
    int desktop_w = 0, desktop_h = 0; // the desktop's size; 0 when unknown
};

// The window chosen.
struct window_size {
    int width;
    int height;
    bool fullscreen;
    std::string warning; // for standard error: a VANTOR_SCALE that was ignored
};
window_size ChooseWindow(const scale_inputs &in);

// Whether the environment says gamescope: SteamDeck=1,
// XDG_CURRENT_DESKTOP=gamescope or GAMESCOPE_WAYLAND_DISPLAY set.
bool UnderGamescope();

// The inputs from this process's environment and desktop, with --scale's
// value; `desktop_w` and `desktop_h` from SDL before the window opens.
scale_inputs ScaleInputs(int option, int desktop_w, int desktop_h);

// A positive whole number, or 0 for anything else (signs, spaces, other
// characters, nothing); values above 9999 are 9999.
int PositiveWhole(const char *text);
