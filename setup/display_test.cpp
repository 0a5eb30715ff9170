// display_test.cpp - vantor-display-test: the game's display, opened with the
// saved settings, showing what it was granted.
//
// The settings are read as the setup reads them (ConfFile, LoadSettings); a
// missing or short file gives the defaults, and nothing is ever written. The
// display is opened with ImageInit and the nine values, then one page shows
// the logo, the title and what the display got: back-end, size and mode,
// canvas scale, for OpenGL the version and renderer and whether the
// accumulation buffer and glBlendColor are there, and how gamma is applied.
// The same lines go to standard output. The page's one item closes it, and
// so does a countdown after 15 seconds, so that a mode the screen cannot show
// never traps the user. The library's own keys work as on every page.
//
// A display that cannot be opened ends through Die: "Vantor: <message>" and
// status 1. Without logo.png the page goes without it, silently. The command
// line is accepted and ignored.

#include "platform.h"
#include "settings.h"
#include "setup.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr Uint32 TITLE = 0x261c78;
constexpr Uint32 LINE = 0x9f9f9f;
constexpr Uint32 COUNTDOWN = 0x4f4f4f;
constexpr Uint32 SHOW_MS = 15000;
constexpr float MAX_WIDTH = 38; // units a line may take

const std::array<menuitem, 1> items{{{10, 23, 20, "Close", 0}}};

image logo_picture{};
bool have_logo = false;
std::vector<std::string> lines; // what was granted, one line each
Uint32 start_ticks = 0;
bool closing = false; // the countdown has asked the page to close

std::string Format(const char *format, auto... args)
{
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string GammaValue(int tenths)
{
    tenths = std::clamp(tenths, 1, 50);
    return Format("%d.%d", tenths / 10, tenths % 10);
}

std::string GLText(GLenum name)
{
    const auto *text = reinterpret_cast<const char *>(glGetString(name));
    return text ? text : "(not reported)";
}

// The lines that say what ImageInit granted for the settings.
std::vector<std::string> GrantedLines(const settings &saved)
{
    std::vector<std::string> out;
    const SDL_Surface *screen = SDL_GetVideoSurface();
    const image_gl *gl = ImageGLState();
    out.push_back(gl ? "Back-end: OpenGL" : "Back-end: SDL");
    if (screen)
        out.push_back(Format("Display: %dx%d, %s", screen->w, screen->h,
                             (screen->flags & SDL_FULLSCREEN) ? "full screen" : "windowed"));
    out.push_back(Format("Canvas: %d pixels a unit", ImageX(1) - ImageX(0)));
    if (gl) {
        out.push_back("OpenGL " + GLText(GL_VERSION));
        out.push_back("Renderer: " + GLText(GL_RENDERER));
        out.push_back(gl->have_accum ? "Accumulation buffer: present"
                                     : "Accumulation buffer: none");
        out.push_back(gl->glBlendColorp ? "glBlendColor: present" : "glBlendColor: none");
    }
    // Colours pass unchanged through ImageGamma exactly when the display's
    // ramp applies the gamma.
    const float probe[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const bool hardware = ImageGamma(probe) == probe;
    out.push_back(Format("Gamma %s, %s, %s: %s", GammaValue(saved.gamma_r).c_str(),
                         GammaValue(saved.gamma_g).c_str(), GammaValue(saved.gamma_b).c_str(),
                         hardware ? "hardware ramp" : "corrected in software"));
    return out;
}

// The line as it fits the page: cut, with "...", when it is too wide.
std::string Fitted(std::string text)
{
    if (TextWidth(text.c_str()) <= MAX_WIDTH) return text;
    while (!text.empty() && TextWidth((text + "...").c_str()) > MAX_WIDTH) text.pop_back();
    return text + "...";
}

// Asks the page to close as Escape does; once.
void Close()
{
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.type = SDL_KEYDOWN;
    escape.key.state = SDL_PRESSED;
    escape.key.keysym.sym = SDLK_ESCAPE;
    closing = SDL_PushEvent(&escape) == 0;
}

// The page, drawn at every redraw of the menu, which the library's tick makes
// at least every 10 ms: so the countdown runs and ends without input.
void DrawPage()
{
    const Uint32 elapsed = SDL_GetTicks() - start_ticks;
    if (elapsed >= SHOW_MS && !closing) Close();
    const Uint32 left = elapsed >= SHOW_MS ? 0 : (SHOW_MS - elapsed + 999) / 1000;

    ImageClear();
    if (have_logo) ImageDraw(&logo_picture, 0.0f, 0.5f);
    TextC(20, 2, "Vantor Display Test", TITLE);
    float y = 6;
    for (const std::string &line : lines) TextC(20, y++, line.c_str(), LINE);
    TextC(20, 21, Format("Closes by itself in %u s", static_cast<unsigned>(left)).c_str(),
          COUNTDOWN);
}

} // namespace

extern "C" int SDL_main(int, char *[])
{
    platform::IgnoreFileSizeLimitSignal(); // F11 past the limit fails, it does not kill
    settings saved = defaults;
    LoadSettings(&saved); // a missing file leaves the defaults, and is not written

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) Die(SDL_GetError());
    std::atexit(SDL_Quit);
    SDL_WM_SetCaption("Vantor Display Test", "Vantor Display Test");
    if (ImageInit(saved.backend, saved.width, saved.height, saved.antialias, saved.samples,
                  saved.gamma_r, saved.gamma_g, saved.gamma_b, saved.flags) < 0)
        Die(ImageError());

    for (const std::string &line : GrantedLines(saved)) {
        std::printf("%s\n", line.c_str());
        lines.push_back(Fitted(line));
    }
    std::fflush(stdout);
    have_logo = !platform::Absent("logo.png") && ImageLoad(&logo_picture, "logo.png", 8, 4, 0) == 0;

    start_ticks = SDL_GetTicks();
    if (ImageMenu(DrawPage, static_cast<int>(items.size()), items.data(), 0) < 0) Die(ImageError());
    return 0;
}
