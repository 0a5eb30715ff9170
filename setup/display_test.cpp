// display_test.cpp - vantor-display-test: the game's display, opened with the
// saved settings (or those on the command line), showing what it was granted.
//
// The settings are read as the setup reads them (ConfFile, LoadSettings); a
// missing or short file gives the defaults, and nothing is ever written. A
// file that is there but cannot be read ends the program (status 1): its
// defaults would not be what the user saved.
// --settings tests a record given on the command line instead; the setup's
// "Test display" runs this program that way, with --confirm.
//
// The display is opened with ImageInit and the nine values, then one page
// shows the logo, the title and what the display got: back-end, SDL's video
// driver, size and mode, canvas scale, for OpenGL the version and renderer
// (with a warning when it draws in software), whether the accumulation buffer
// and glBlendColor are there, and how gamma is applied. The same lines go to
// standard output. The library's own keys work as on every page.
//
// Without --confirm the page's one item closes it (status 0), and so does a
// countdown after 15 seconds, so that a mode the screen cannot show never
// traps the user. With --confirm the page asks "Keep these settings?": "Keep"
// ends with status 0, "Revert" (highlighted first), Escape and the countdown
// running out with status 3. Closing the window or the quit key then revert
// too: a question left unanswered keeps nothing.
//
// No display to open (RequireDisplay), or a display that cannot be opened,
// ends through Die with status 1, its last line on standard error
// "Vantor: <message>": the library's reason, or what would work instead when
// the display can tell (display_report.h). An accumulation buffer is advised
// off only after the same record opened without one. Without logo.png the page goes without it,
// silently.
//
// For the tests, VANTOR_COUNTDOWN_SECONDS (a positive number of seconds)
// replaces the countdown's 15 seconds.

#include "command_line.h"
#include "display_report.h"
#include "platform.h"
#include "settings.h"
#include "setup.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr Uint32 DEFAULT_COUNTDOWN_MS = 15000;
constexpr float MAX_WIDTH = 38; // units a line may take

constexpr int KEEP = 1;
constexpr int REVERT = 0; // Escape chooses it
constexpr int EXIT_REVERTED = 3;

const std::array<menuitem, 1> close_items{{{10, 23, 20, "Close", 0}}};
const std::array<menuitem, 2> confirm_items{{
    {6, 23, 12, "Keep", KEEP},
    {22, 23, 12, "Revert", REVERT},
}};

constexpr const char *SOFTWARE_WARNING = "OpenGL is drawn in software: expect low frame rates";

image logo_picture{};
bool have_logo = false;
std::vector<std::string> lines; // what was granted, one line each
Uint32 start_ticks = 0;
Uint32 countdown_ms = DEFAULT_COUNTDOWN_MS;
bool confirm = false;
bool closing = false;                 // the page has been asked to close
std::atomic<bool> quit_asked = false; // --confirm: the window closed or the quit key

std::string Format(const char *format, auto... args)
{
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

Uint32 CountdownMs()
{
    const char *value = std::getenv("VANTOR_COUNTDOWN_SECONDS");
    const long seconds = value ? std::strtol(value, nullptr, 10) : 0;
    return seconds > 0 && seconds < 3600 ? static_cast<Uint32>(seconds) * 1000
                                         : DEFAULT_COUNTDOWN_MS;
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
std::vector<std::string> GrantedLines(const settings &tested)
{
    std::vector<std::string> out;
    const SDL_Surface *screen = SDL_GetVideoSurface();
    const image_gl *gl = ImageGLState();
    out.push_back(gl ? "Back-end: OpenGL" : "Back-end: SDL");
    char driver[32];
    out.push_back(std::string("Video driver: ") +
                  (SDL_VideoDriverName(driver, sizeof driver) ? driver : "(not reported)"));
    if (screen)
        out.push_back(Format("Display: %dx%d, %s", screen->w, screen->h,
                             (screen->flags & SDL_FULLSCREEN) ? "full screen" : "windowed"));
    out.push_back(Format("Canvas: %d pixels a unit", ImageX(1) - ImageX(0)));
    if (gl) {
        out.push_back("OpenGL " + GLText(GL_VERSION));
        const std::string renderer = GLText(GL_RENDERER);
        out.push_back("Renderer: " + renderer);
        if (SoftwareRenderer(renderer.c_str())) out.push_back(SOFTWARE_WARNING);
        out.push_back(gl->have_accum ? "Accumulation buffer: present"
                                     : "Accumulation buffer: none");
        out.push_back(gl->glBlendColorp ? "glBlendColor: present" : "glBlendColor: none");
    }
    // Colours pass unchanged through ImageGamma exactly when the display's
    // ramp applies the gamma.
    const float probe[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const char *method = ImageGamma(probe) == probe
                             ? HardwareRampName(SDL_VideoDriverName(driver, sizeof driver))
                         : (tested.flags & IMAGE_SOFTWARE_GAMMA)
                             ? "corrected in software"
                             : "corrected in software (the display's ramp did not take it)";
    out.push_back(Format("Gamma %s, %s, %s: %s", GammaValue(tested.gamma_r).c_str(),
                         GammaValue(tested.gamma_g).c_str(), GammaValue(tested.gamma_b).c_str(),
                         method));
    return out;
}

// The line as it fits the page: cut, with "...", when it is too wide.
std::string Fitted(std::string text)
{
    if (TextWidth(text.c_str()) <= MAX_WIDTH) return text;
    while (!text.empty() && TextWidth((text + "...").c_str()) > MAX_WIDTH) text.pop_back();
    return text + "...";
}

// Asks the page to close as Escape does ("Close", or "Revert"); once.
void Close()
{
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.type = SDL_KEYDOWN;
    escape.key.state = SDL_PRESSED;
    escape.key.keysym.sym = SDLK_ESCAPE;
    closing = SDL_PushEvent(&escape) == 0;
}

// With --confirm, a quit request (the window closed, SIGTERM, the library's
// quit key) must not end the program as if "Keep" were chosen: it is taken
// out of the queue here and answered as "Revert" by the page.
int SDLCALL QuitFilter(const SDL_Event *event)
{
    const bool quit_key = event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_q &&
                          (event->key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_META));
    if (event->type != SDL_QUIT && !quit_key) return 1;
    quit_asked = true;
    return 0;
}

// The page, drawn at every redraw of the menu, which the library's clock
// makes at least every 64 ms: so the countdown runs and ends without input.
void DrawPage()
{
    const Uint32 elapsed = SDL_GetTicks() - start_ticks;
    if ((elapsed >= countdown_ms || quit_asked) && !closing) Close();
    const Uint32 left = elapsed >= countdown_ms ? 0 : (countdown_ms - elapsed + 999) / 1000;

    ImageClear();
    if (have_logo) ImageDraw(&logo_picture, 0.0f, 0.5f);
    TextC(20, 2, "Vantor Display Test", palette::TITLE);
    float y = 6;
    for (const std::string &line : lines)
        TextC(20, y++, line.c_str(), line == SOFTWARE_WARNING ? palette::WARNING : palette::REPORT);
    const auto seconds = static_cast<unsigned>(left);
    if (confirm) {
        TextC(20, 18, "Keep these settings?", palette::TITLE);
        TextC(20, 21, Format("Reverting in %u s", seconds).c_str(), palette::TEXT);
    } else {
        TextC(20, 21, Format("Closes by itself in %u s", seconds).c_str(), palette::TEXT);
    }
}

// Ends after the display refused the record: with what would work instead
// when the display confirms it, else with the library's reason.
[[noreturn]] void Refused(const settings &rec)
{
    const std::string reason = ImageError() ? ImageError() : "";
    const bool sized = rec.width >= IMAGE_MIN_WIDTH && rec.height >= IMAGE_MIN_HEIGHT;
    const bool retry = sized && rec.backend == BACKEND_GL && (rec.flags & IMAGE_ACCUM);
    settings without_accum = rec;
    without_accum.flags &= ~IMAGE_ACCUM;
    const bool opens_without_accum = retry && ImageInitConfig(&without_accum) == 0;
    int modes[advised_sizes][2];
    const bool known_backend = rec.backend == BACKEND_GL || rec.backend == BACKEND_SDL;
    const int count = sized && known_backend && (rec.flags & IMAGE_FULLSCREEN)
                          ? ImageModes(rec.backend, rec.flags, modes, advised_sizes)
                          : 0;
    const std::string advice = RefusalAdvice(rec, modes, count, opens_without_accum);
    if (!advice.empty()) Die(advice.c_str());
    // The library has written its reason; after a retry, the retry's last.
    Die(retry ? reason.c_str() : ImageError());
}

} // namespace

extern "C" int SDL_main(int argc, char *argv[])
{
    const command_line cl = ParseCommandLine(program_id::display_test, argc, argv);
    if (const auto status = FollowCommandLine(program_id::display_test, cl)) return *status;
    RequireDisplay();                      // first: LoadSettings makes the settings folder
    platform::IgnoreFileSizeLimitSignal(); // F11 past the limit fails, it does not kill
    settings tested = defaults;
    if (cl.tested)
        tested = *cl.tested;
    else if (const platform::file_read file = LoadSettings(tested);
             file.state == platform::file_read::status::refused) // a missing file: the defaults
        Die((std::string(status::READ_FAILED) + ": " + file.reason).c_str());
    confirm = cl.confirm;
    countdown_ms = CountdownMs();

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) Die(SDL_GetError());
    SDL_InitSubSystem(SDL_INIT_JOYSTICK); // gamepads; without them the keys still work
    std::atexit(SDL_Quit);
    SDL_WM_SetCaption("Vantor Display Test", "Vantor Display Test");
    if (ImageInitConfig(&tested) < 0) Refused(tested);

    for (const std::string &line : GrantedLines(tested)) {
        std::printf("%s\n", line.c_str());
        lines.push_back(Fitted(line));
    }
    std::fflush(stdout);
    have_logo = !platform::Absent("logo.png") && ImageLoad(&logo_picture, "logo.png", 8, 4, 0) == 0;

    if (confirm) SDL_SetEventFilter(QuitFilter);
    start_ticks = SDL_GetTicks();
    const int chosen =
        confirm ? ImageMenu(DrawPage, static_cast<int>(confirm_items.size()), confirm_items.data(),
                            1) // "Revert" highlighted
                : ImageMenu(DrawPage, static_cast<int>(close_items.size()), close_items.data(), 0);
    if (chosen < 0) Die(ImageError());
    return confirm && chosen != KEEP ? EXIT_REVERTED : 0;
}
