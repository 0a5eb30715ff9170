// setup.h - what the setup's pages share: the session they edit, the page
// record and the loop that shows one, the palette and the status texts; and
// what both programs share: the fatal end and the check for a display.
//
// A page is a record: its title, its items (each page names its codes), how
// it draws its own lines and what a choice does, for a state of the page's
// own that the loop hands to both. The menu widget lays the items over the
// lines and presents the frame. Pages call the pages below them (the main
// page the graphics page, that one the questions, the gamma page and the
// display test), never the other way: what a lower page needs of a higher
// one (the page to show while the display test runs) is handed down.
//
// The setup's own window is always the SDL back-end, 600 x 375 windowed (15
// pixels a canvas unit), whatever the user chooses for the game.
#pragma once

#include "image.h"
#include "settings.h"

#include <array>
#include <span>
#include <string>

// The setup's palette: linear 0xRRGGBB colour words for the pages and the
// display test (the library draws the menu's bars in its own colours).
namespace palette {
inline constexpr Uint32 TITLE = 0x261c78;    // page titles
inline constexpr Uint32 TEXT = 0x4f4f4f;     // questions, current values, the countdown
inline constexpr Uint32 BOX = 0x19450d;      // the numeric entry's box, like a menu bar
inline constexpr Uint32 INK = 0x000000;      // the number and the cursor in the box
inline constexpr Uint32 REPORT = 0x9f9f9f;   // the display test's lines
inline constexpr Uint32 WARNING = 0xd8a020;  // the display test's warning
inline constexpr Uint32 INACTIVE = 0x2f2f2f; // item labels while the display test runs
// The gamma values of the red, green and blue channels.
inline constexpr std::array<Uint32, 3> CHANNELS{0x542219, 0x54a63c, 0x261c78};
} // namespace palette

// The status line's texts.
namespace status {
inline constexpr const char *SAVE_FAILED = "Could not save settings"; // and ": <reason>."
inline constexpr const char *READ_FAILED = "Could not read settings"; // and ": <reason>"
inline constexpr const char *KEPT = "Settings kept.";
inline constexpr const char *REVERTED = "Settings reverted.";
inline constexpr const char *TEST_FAILED = "Display test failed: "; // and the reason
} // namespace status

// Ends the program after a failure it cannot go on after: the message to the
// user, then exit status 1.
[[noreturn]] void Die(const char *msg);

// Ends the program through Die when no display can be reached: on X11 and
// Wayland systems, when neither DISPLAY nor WAYLAND_DISPLAY is set and no
// video driver was chosen through SDL_VIDEODRIVER. Called first of all, so
// that nothing is written before it. Does nothing on Windows.
void RequireDisplay();

// The settings file's path for this user, computed from the environment.
std::string SettingsPath();

// What the pages edit: filled at start-up, written by "Save and exit".
struct session {
    settings rec = defaults;  // the record being edited
    settings kept = defaults; // the display settings last known to be good: those read
                              // at start-up, then those kept after a display test
    image logo{};             // "logo.png", drawn at the top left of every page
    bool logo_loaded = false;
    platform::file_read file; // what the settings file held when last read or written
};

// Clears the screen and draws what every page has: the logo and the title.
void DrawPageTop(const session &ses, const char *title);

// A gamma value in tenths as the pages show it: 22 as "2.2".
struct gamma_text {
    char text[sizeof "-214748364.-8"];
};
gamma_text GammaText(int tenths);

// What a choice leads to: back to the page below, or the page again with
// the item of code `highlight` highlighted.
struct outcome {
    bool leave;
    int highlight;
};
inline constexpr outcome LEAVE{true, 0};
constexpr outcome StayOn(int code)
{
    return {false, code};
}

// A page whose state is a State (`no_state` for pages without one).
template <class State>
struct page {
    const char *title;
    std::span<const menuitem> items;
    void (*draw)(const session &ses, State &state);          // lines under the title
    outcome (*choose)(session &ses, State &state, int code); // what a choice does
};
struct no_state {};

// One redraw of a page: what the menu widget hands to DrawFrame.
template <class State>
struct page_frame {
    const page<State> &shown;
    const session &ses;
    State &state;
};

// The draw operation of a page_frame: the page's top, then its lines.
template <class State>
void DrawFrame(void *context)
{
    const auto &frame = *static_cast<page_frame<State> *>(context);
    DrawPageTop(frame.ses, frame.shown.title);
    if (frame.shown.draw) frame.shown.draw(frame.ses, frame.state);
}

// Runs the menu widget over `items` with the item of code `highlight`
// highlighted (none when no item has it) and returns the code chosen; a
// failure of the widget ends the program with the library's message.
int ShowMenu(void (*draw)(void *), void *context, std::span<const menuitem> items, int highlight);

// Shows the page until a choice leads back; the item of code `highlight`
// is highlighted first.
template <class State>
void RunPage(const page<State> &shown, session &ses, State &state, int highlight)
{
    for (;;) {
        page_frame<State> frame{shown, ses, state};
        const int code = ShowMenu(DrawFrame<State>, &frame, shown.items, highlight);
        const outcome next = shown.choose(ses, state, code);
        if (next.leave) return;
        highlight = next.highlight;
    }
}
