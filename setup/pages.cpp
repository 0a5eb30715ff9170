// pages.cpp - the options pages and what they share.
//
// Every page is a draw operation, a constant table of items and a loop around
// ImageMenu. A draw operation clears the screen and draws the logo, the title
// and the page's lines; the menu widget draws the items over it and presents
// the frame. Positions are canvas units (40 x 25), colours 0xRRGGBB.
//
// The value lines show the record as it is: its fields come from the settings
// file unchecked, so a line may hold "Unknown back-end" and numbers of eleven
// characters, and its storage is sized for that.

#include "setup.h"

#include <array>
#include <cstdio>

settings s = defaults;
image logo{};
bool logo_loaded = false;

namespace {

constexpr Uint32 TITLE = 0x261c78;
constexpr Uint32 VALUE = 0x4f4f4f;

} // namespace

const std::array<menuitem, 5> main_items{{
    {10, 6, 20, "Graphics options:", 1},
    {10, 10, 20, "Sound options:", 2},
    {10, 14, 20, "Game statistics", 3},
    {10, 21, 20, "Save and exit", 4},
    {10, 23, 20, "Exit without saving", 0},
}};

namespace {

} // namespace

void DrawPageTop(const char *title)
{
    ImageClear();
    if (logo_loaded) ImageDraw(&logo, 0.0f, 0.5f);
    TextC(20, 2, title, TITLE);
}

const char *Backend()
{
    switch (s.backend) {
    case BACKEND_GL:
        return "OpenGL";
    case BACKEND_SDL:
        return "SDL";
    default:
        return "Unknown back-end";
    }
}

const char *Mode()
{
    return (s.flags & 1) ? "Full screen" : "Windowed";
}

summary_line MainSummary()
{
    summary_line line;
    std::snprintf(line.text, sizeof line.text, "%s, %dx%d (%s)", Backend(), s.width, s.height,
                  Mode());
    return line;
}

void DrawMainMenu()
{
    DrawPageTop("Vantor Haulage Setup");
    TextC(20, 7, MainSummary().text, VALUE);
    TextC(20, 11, "Not yet implemented.", VALUE);
    TextC(20, 15, "Not yet implemented.", VALUE);
}

void MainMenu()
{
    int selected = 0;
    for (;;) {
        const int result = ImageMenu(DrawMainMenu, static_cast<int>(main_items.size()),
                                     main_items.data(), selected);
        selected = 0;
        switch (result) {
        case 0: // "Exit without saving", or Escape
            return;
        case 4: // "Save and exit"
            if (SaveSettings(&s) == 0) return;
            // Stay, with the highlight where another try is one key away.
            ImageStatus("Could not save settings.");
            selected = 3;
            break;
        case -1:
            Die(ImageError());
        default: // "Graphics options:", "Sound options:", "Game statistics"
            break;
        }
    }
}
