// present.cpp - presenting a frame with the library's overlays.
//
// Callers draw a frame through the back-end table and call ImageUpdate, which
// is PresentFrame in every back-end. Before the frame is shown, the library
// lays its own overlays over it, in this order: the help screen (the bound
// back-end's darkened backdrop, then the list of keys, bright where the
// back-end lets them work), the frame rate, then the screenshot if one was
// asked for, then the status line, then the back-end's gamma sample if F8 has
// it on. So a screenshot holds the help screen and the frame rate when they
// are shown, but not the status line that reports it nor the gamma sample.
// Then the back-end presents the frame.
//
// Pacing: a page that waits for input (the menu, the setup's own loops)
// draws and presents a frame only when ImageFrameDue says one is due, not at
// every 10 ms tick: when the animation clock has entered a new step of
// ANIMATION_STEP_MS (so the flash, a triangle of period 1024 ms, is shown at
// 16 steps a period, each the picture of the moment it was drawn); when
// something drawn over frames has changed (the help screen or the gamma
// sample switched, a status message set or run out, a screenshot asked
// for); when the window was exposed or restored; and at every tick while
// the frame rate is shown, which counts the ticks' frames as before. On
// Xvfb a present costs a millisecond or more on sdl12-compat whatever its
// size, so an open page that drew at every tick cost a fifth of a core.
//
// The frame rate shown is that of the last completed second. A status message
// stays on every frame presented within one second of being set, and on the
// first frame after that. It is drawn on a black band as wide as the text and
// half a unit more on either side, so that it reads over whatever the page
// has on that row (the bottom item's bar) without moving anything; a message
// too wide for the canvas takes the row above as well.
//
// Depends on: the bound back-end record, screenshot.cpp, events.cpp.

#include "image_internal.h"

#include <cstdio>
#include <string>

namespace vimage {

overlay_state overlay;
pacing_state pacing;

constexpr Uint32 STATUS_MS = 999; // a message stays on frames presented this long after it is set

constexpr Uint32 BRIGHT = 0x00FF00; // what is available
constexpr Uint32 DIM = 0x306030;    // what this back-end or context cannot do
constexpr Uint32 STATUS_BAND = 0x000000;
constexpr float STATUS_ROW = 23;
constexpr float STATUS_PADDING = 0.5f; // units of band beside the text, either side
constexpr float CANVAS_UNITS_W = 40;

// One line of the help screen and when its description is bright.
enum class avail { always, antialias, accum_toggle, gamma_sample };
struct help_line {
    int y;
    const char *key;
    const char *description;
    avail when;
};

constexpr std::array<help_line, 10> help_lines{{
    {5, "F1", "Show/hide this help screen", avail::always},
    {6, "F5", "Enable/disable antialiasing", avail::antialias},
    {7, "F6", "Increase supersampling", avail::antialias},
    {8, "Shift F6", "Decrease supersampling", avail::antialias},
    {9, "F7", "Enable/disable accumulation buffer", avail::accum_toggle},
    {10, "F8", "Show/hide gamma sample", avail::gamma_sample},
    {11, "F11", "Save screenshot", avail::always},
    {12, "F12", "Show/hide frame rate", avail::always},
    {18, "Escape", "Pause", avail::always},
    {20, "Ctrl Q", "Quit", avail::always},
}};

// What the bound back-end lets the keys switch now.
static bool Available(avail when)
{
    const key_caps caps = bound->keys();
    switch (when) {
    case avail::antialias:
        return caps.antialias;
    case avail::accum_toggle:
        return caps.accum_toggle;
    case avail::gamma_sample:
        return caps.gamma_sample;
    default:
        return true;
    }
}

static void DrawHelp()
{
    TextC(20, 3, "KEYBOARD CONTROLS", BRIGHT);
    for (const help_line &line : help_lines) {
        const auto y = static_cast<float>(line.y);
        TextR(10, y, line.key, BRIGHT);
        TextL(12, y, line.description, Available(line.when) ? BRIGHT : DIM);
    }
}

// One line of the status on its black band, centred on row `row`.
static void StatusLine(const std::string &text, float row)
{
    const float width = TextWidth(text.c_str()) + 2 * STATUS_PADDING;
    ImageRectFrac(20 - width / 2, row, width, 1, STATUS_BAND);
    TextC(20, row, text.c_str(), BRIGHT);
}

// The status on the status row; one too wide for the canvas is broken at the
// last space that lets its first line fit (or, without one, where it stops
// fitting), and that first line goes on the row above.
static void DrawStatus(const std::string &text)
{
    constexpr float fits = CANVAS_UNITS_W - 2 * STATUS_PADDING;
    if (TextWidth(text.c_str()) <= fits) return StatusLine(text, STATUS_ROW);
    size_t cut = 1;
    while (cut < text.size() && TextWidth(text.substr(0, cut + 1).c_str()) <= fits) ++cut;
    if (const size_t space = text.rfind(' ', cut); space != text.npos && space > 0) cut = space;
    const size_t rest = text.find_first_not_of(' ', cut);
    StatusLine(text.substr(0, cut), STATUS_ROW - 1);
    StatusLine(rest == text.npos ? std::string() : text.substr(rest), STATUS_ROW);
}

void RollFrameCounter(overlay_state &o, Uint32 now)
{
    if (now - o.fps_start > 999) {
        o.fps = o.frames_this_sec;
        o.fps_start += 1000;
        o.frames_this_sec = 0;
    }
}

void DrawOverlays()
{
    if (overlay.show_help) {
        bound->backdrop();
        DrawHelp();
    }
    RollFrameCounter(overlay, SDL_GetTicks());
    if (overlay.show_fps) {
        char text[sizeof "-2147483648 fps"];
        std::snprintf(text, sizeof text, "%d fps", overlay.fps);
        TextR(39, 1, text, BRIGHT);
    }
    ++overlay.frames_this_sec;
    if (overlay.save_screenshot) {
        ImageStatus(SaveScreenshot() < 0 ? "Screenshot failed." : "Screenshot saved.");
        overlay.save_screenshot = 0;
    }
    if (overlay.status[0]) {
        DrawStatus(overlay.status.data());
        if (SDL_GetTicks() - overlay.status_time > STATUS_MS) {
            overlay.status[0] = '\0';
            pacing.redraw = 1; // the next frame, without it
        }
    }
    if (overlay.show_gamma) bound->gamma_sample();
}

bool FrameDue(const pacing_state &p, const overlay_state &o, Uint32 now)
{
    return p.redraw || p.whole || o.show_fps || now / ANIMATION_STEP_MS != p.shown_step ||
           (o.status[0] && now - o.status_time > STATUS_MS);
}

int PresentFrame()
{
    // Cleared first: what the overlays change as they are drawn asks for
    // the frame after this one.
    pacing.redraw = 0;
    pacing.shown_step = SDL_GetTicks() / ANIMATION_STEP_MS;
    DrawOverlays();
    const int presented = bound->present();
    pacing.whole = 0;
    pacing.only = {};
    return presented;
}

} // namespace vimage

extern "C" int ImageFrameDue(void)
{
    using namespace vimage;
    return FrameDue(pacing, overlay, SDL_GetTicks()) ? 1 : 0;
}
