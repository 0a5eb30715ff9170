// pages.cpp - the options pages and what every page shares.
//
// Every page is a draw operation, a constant table of items and a loop around
// ImageMenu. A draw operation clears the screen and draws the logo, the title
// and the page's lines; the menu widget draws the items over it and presents
// the frame. Positions are canvas units (40 x 25), colours 0xRRGGBB.
//
// The options pages show, one row below each item, the current value of what
// it changes. The values come from the settings file unchecked, so a line may
// hold "Unknown back-end" and numbers of eleven characters; each line's
// storage is sized for the longest text it can take.

#include "setup.h"

#include <array>
#include <cstdio>

settings s = defaults;
image logo{};
bool logo_loaded = false;

const std::array<menuitem, 5> main_items{{
    {10, 6, 20, "Graphics options:", 1},
    {10, 10, 20, "Sound options:", 2},
    {10, 14, 20, "Game statistics", 3},
    {10, 21, 20, "Save and exit", 4},
    {10, 23, 20, "Exit without saving", 0},
}};

const std::array<menuitem, 7> graphics_items{{
    {10, 6, 20, "Back-end:", 1},
    {10, 9, 20, "Resolution:", 2},
    {10, 12, 20, "Mode:", 3},
    {10, 15, 20, "Antialiasing:", 4},
    {10, 18, 20, "Gamma correction:", 5},
    {10, 21, 20, "Test display", 7},
    {10, 23, 20, "Return", 0},
}};

namespace {

constexpr std::array<menuitem, 4> antialias_items{{
    {10, 6, 20, "Antialiasing:", 1},
    {10, 9, 20, "Accumulation buffer:", 2},
    {10, 12, 20, "Supersampling:", 3},
    {10, 23, 20, "Return", 0},
}};

const char *Enabled(bool on)
{
    return on ? "Enabled" : "Disabled";
}

template <size_t N>
int Show(void (*draw)(), const std::array<menuitem, N> &items)
{
    return ShowPage(draw, static_cast<int>(N), items.data(), 0);
}

} // namespace

int ShowPage(void (*draw)(), int num_items, const menuitem *items, int selected)
{
    const int result = ImageMenu(draw, num_items, items, selected);
    if (result == -1) Die(ImageError());
    return result;
}

void DrawPageTop(const char *title)
{
    ImageClear();
    if (logo_loaded) ImageDraw(&logo, 0.0f, 0.5f);
    TextC(20, 2, title, palette::TITLE);
}

gamma_text GammaText(int tenths)
{
    gamma_text t;
    std::snprintf(t.text, sizeof t.text, "%d.%d", tenths / 10, tenths % 10);
    return t;
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
    return (s.flags & IMAGE_FULLSCREEN) ? "Full screen" : "Windowed";
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
    TextC(20, 7, MainSummary().text, palette::TEXT);
    TextC(20, 11, "Not yet implemented.", palette::TEXT);
    TextC(20, 15, "Not yet implemented.", palette::TEXT);
}

void DrawGraphicsMenu()
{
    DrawPageTop("Vantor Graphics Options");
    TextC(20, 7, Backend(), palette::TEXT);
    char size[sizeof "-2147483648x-2147483648"];
    std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
    TextC(20, 10, size, palette::TEXT);
    TextC(20, 13, Mode(), palette::TEXT);
    char antialias[sizeof "Disabled (no accumulation), x-2147483648"];
    std::snprintf(antialias, sizeof antialias, "%s (%saccumulation), x%d", Enabled(s.antialias),
                  (s.flags & IMAGE_ACCUM) ? "" : "no ", s.samples);
    TextC(20, 16, antialias, palette::TEXT);
    TextC(15, 19, GammaText(s.gamma_r).text, palette::CHANNELS[0]);
    TextC(20, 19, GammaText(s.gamma_g).text, palette::CHANNELS[1]);
    TextC(25, 19, GammaText(s.gamma_b).text, palette::CHANNELS[2]);
}

void DrawAntialiasMenu()
{
    DrawPageTop("Vantor Antialiasing Options");
    TextC(20, 7, Enabled(s.antialias), palette::TEXT);
    TextC(20, 10, Enabled(s.flags & IMAGE_ACCUM), palette::TEXT);
    char samples[sizeof "x-2147483648"];
    std::snprintf(samples, sizeof samples, "x%d", s.samples);
    TextC(20, 13, samples, palette::TEXT);
}

void MainMenu()
{
    int selected = 0;
    for (;;) {
        const int result = ShowPage(DrawMainMenu, static_cast<int>(main_items.size()),
                                    main_items.data(), selected);
        selected = 0;
        switch (result) {
        case 0: // "Exit without saving", or Escape
            return;
        case 1:
            GraphicsMenu();
            break;
        case 4: // "Save and exit"
            if (SaveSettings(&s) == 0) return;
            // Stay, with the highlight where another try is one key away.
            ImageStatus("Could not save settings.");
            selected = 3;
            break;
        default: // "Sound options:", "Game statistics"
            break;
        }
    }
}

void GraphicsMenu()
{
    for (;;) {
        switch (Show(DrawGraphicsMenu, graphics_items)) {
        case 0: // "Return", or Escape
            return;
        case 1:
            Ask(backend_question);
            break;
        case 2:
            ResolutionMenu();
            break;
        case 3:
            Ask(mode_question);
            break;
        case 4:
            AntialiasMenu();
            break;
        case 5:
            GammaMenu();
            break;
        case 7:
            TestDisplay();
            break;
        default:
            break;
        }
    }
}

void AntialiasMenu()
{
    for (;;) {
        switch (Show(DrawAntialiasMenu, antialias_items)) {
        case 0: // "Return", or Escape
            return;
        case 1:
            Ask(antialias_question);
            break;
        case 2:
            Ask(accum_question);
            break;
        case 3:
            SamplesEntry();
            break;
        default:
            break;
        }
    }
}
