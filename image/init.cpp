// init.cpp - opening the display and binding the back-end record.
//
// ImageInitConfig is the one entry that turns the library on (ImageInit
// forwards to it). In this order it sets
// the video mode, chooses hardware or software gamma, fixes the canvas
// geometry and the resampling tables for its scale, starts the 10 ms tick
// timer, has the chosen back-end build its glyph set and get ready (its
// record's `complete`), and binds that back-end's record. A failure records
// its message and returns -1 without undoing what was done; the caller ends
// the program with the message.
//
// The binding: each back-end is one constant record of operations (see
// image_internal.h), and Bind, here, is the one place that binds a record:
// the public pointers of image.h's table and `bound`, through which the rest
// of the library reaches the bound back-end. ImageInit binds the no-display
// record as it starts, so that after a failure (a second initialisation whose
// video mode replaced the first one's screen surface, say) every entry fails
// with a message instead of drawing on a display that is gone.
//
// Depends on: everything else in the library; the platform layer (keeping
// the OpenGL driver loaded).

#include "image_internal.h"
#include "runtime.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// The table of back-end operations, null until the first ImageInit binds it.
extern "C" {
#define VIMAGE_POINTER(field, name) decltype(::name) name = nullptr;
VIMAGE_TABLE(VIMAGE_POINTER)
#undef VIMAGE_POINTER
}

namespace vimage {

backend_state backend;

namespace {

constexpr const char *NO_DISPLAY = "No display is open";

// An entry of the table while no display is open: records so and fails
// (TextWidth measures 0).
template <class F>
struct no_display_entry;
template <class R, class... A>
struct no_display_entry<R (*)(A...)> {
    static R Entry(A...)
    {
        SetError("%s", NO_DISPLAY);
        return static_cast<R>(std::is_floating_point_v<R> ? 0 : -1);
    }
};
template <class F>
constexpr F NoDisplay = no_display_entry<F>::Entry;

captured NothingCaptured(Uint8 *, int, int)
{
    return captured::failed;
}

// `bound` before the first ImageInit, and the whole binding after a failed one.
// clang-format off
constexpr backend_ops no_display{
    .video_flags = 0,
    .true_colour = false,
#define VIMAGE_NO_DISPLAY(field, name) .field = NoDisplay<decltype(::name)>,
    VIMAGE_TABLE(VIMAGE_NO_DISPLAY)
#undef VIMAGE_NO_DISPLAY
    .complete = NoDisplay<complete_fn>,
    .backdrop = NotDrawn,
    .gamma_sample = NotDrawn,
    .present = NoDisplay<present_fn>,
    .keeps_frame = KeepsNoFrame,
    .capture = NothingCaptured,
    .antialias_key = IgnoredKey,
    .keys = NoKeys,
};
// clang-format on

// The record of a back-end id; null for an id that names none.
const backend_ops *BackendFor(int backend_opt)
{
    switch (backend_opt) {
    case BACKEND_GL:
        return &gl_backend;
    case BACKEND_SDL:
        return &sdl_backend;
    default:
        return nullptr;
    }
}

SDL_TimerID timer = nullptr;

// Pins the OpenGL driver (loaded for our OpenGL back-end or for the SDL
// runtime's own renderer), so that the application's SDL_Quit, which runs
// after this exit handler, closes it without unloading it. The process is
// ending, so that costs nothing; and a leak checker, which looks at memory
// after the exit handlers, can then still tell the driver's allocations
// (kept for the process's life) from ours by its symbols.
void KeepGLDriverLoaded()
{
    platform::KeepOpenGLDriverLoaded();
}

// SDL's message for a call that SDL refused; `fallback` when SDL gave no
// reason (its error was cleared before the call).
const char *SDLReason(const char *fallback)
{
    const char *text = SDL_GetError();
    return text && *text ? text : fallback;
}

} // namespace

const backend_ops *bound = &no_display;

void Bind(const backend_ops &ops)
{
#define VIMAGE_BIND(field, name) ::name = ops.field;
    VIMAGE_TABLE(VIMAGE_BIND)
#undef VIMAGE_BIND
    bound = &ops;
}

Uint32 SDLFlags(int backend_opt, int flags)
{
    const Uint32 mode = (flags & IMAGE_FULLSCREEN) ? SDL_FULLSCREEN : 0;
    const backend_ops *ops = BackendFor(backend_opt);
    return ops ? mode | ops->video_flags : mode;
}

int DistinctModes(const SDL_Rect *const *modes, int resolutions[][2], int n)
{
    int count = 0;
    for (; count < n && *modes; ++modes) {
        const int w = (*modes)->w, h = (*modes)->h;
        const bool seen = std::any_of(resolutions, resolutions + count,
                                      [&](const int *r) { return r[0] == w && r[1] == h; });
        if (seen) continue;
        resolutions[count][0] = w;
        resolutions[count][1] = h;
        ++count;
    }
    return count;
}

int ExtensionListed(const char *list, const char *name)
{
    if (!list || !name || !*name || std::strchr(name, ' ')) return 0;
    const size_t len = std::strlen(name);
    for (const char *start = list;;) {
        const char *at = std::strstr(start, name);
        if (!at) return 0;
        const char *end = at + len;
        if ((at == list || at[-1] == ' ') && (*end == ' ' || *end == '\0')) return 1;
        start = end;
    }
}

} // namespace vimage

using namespace vimage;

extern "C" int ImageInitConfig(const image_config *config)
{
    Bind(no_display); // until this call succeeds: the video mode may replace the screen
    if (!config) return SetError("No display settings given");
    const auto [backend_opt, width, height, flags, antialias, samples, rgam, ggam, bgam] = *config;
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    if (!info) return SetError("%s", SDL_GetError());

    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The accumulation buffer, when asked for; a later initialisation that
    // does not ask takes back an earlier request.
    const bool accum_asked = (flags & IMAGE_ACCUM) != 0;
    const int accum_bits = accum_asked ? 5 : 0;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum_bits);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum_bits);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum_bits);
    const Uint32 sdlflags = SDLFlags(backend_opt, flags);

    if (width < IMAGE_MIN_WIDTH || height < IMAGE_MIN_HEIGHT)
        return SetError("Screen size too small");
    const backend_ops *ops = BackendFor(backend_opt);
    if (!ops) return SetError("No backends available");
    // A palettised display would round every corrected colour (and the gamma
    // test picture) to its palette; the software back-end asks for true
    // colour there, which SDL converts when it presents.
    int bpp = info->vfmt->BitsPerPixel;
    if (ops->true_colour && bpp <= 8) bpp = 32;
    SDL_ClearError();
    const int depth = SDL_VideoModeOK(width, height, bpp, sdlflags);
    if (depth == 0) return SetError("%s", SDLReason("Video mode not available"));
    SDL_Surface *screen = SDL_SetVideoMode(width, height, depth, sdlflags);
    if (!screen) return SetError("%s", SDLReason("Video mode not available"));

    SetupGamma(rgam, ggam, bgam, (flags & IMAGE_SOFTWARE_GAMMA) != 0);
    canvas = CanvasFor(width, height);
    CalculateCoefficients(canvas.xscale, resample.x_coeff.data());
    CalculateCoefficients(canvas.yscale, resample.y_coeff.data());
    overlay.fps_start = SDL_GetTicks();
    SDL_EnableKeyRepeat(KEY_REPEAT_DELAY, KEY_REPEAT_INTERVAL); // pads repeat alike
    OpenPads(); // those present now: SDL 1.2 sees no pad plugged in later

    GuardExitDuringDisplayCalls();
    static const bool driver_kept = std::atexit(KeepGLDriverLoaded) == 0;
    (void)driver_kept;
    // A second initialisation replaces the first one's timer instead of
    // adding another.
    if (timer) SDL_RemoveTimer(timer);
    timer = SDL_AddTimer(10, TimerFunc, nullptr);
    if (!timer) return SetError("%s", SDL_GetError());

    if (ops->complete(screen, {antialias, samples, flags}) < 0) return -1;
    Bind(*ops);
    return 0;
}

extern "C" int ImageInit(int backend_opt, int width, int height, int antialias, int samples,
                         int rgam, int ggam, int bgam, int flags)
{
    const image_config config{backend_opt, width, height, flags, antialias,
                              samples,     rgam,  ggam,   bgam};
    return ImageInitConfig(&config);
}

extern "C" int ImageModes(int backend_opt, int flags, int resolutions[][2], int n)
{
    SDL_Rect **modes = SDL_ListModes(nullptr, SDLFlags(backend_opt, flags & IMAGE_FULLSCREEN));
    if (!modes || modes == reinterpret_cast<SDL_Rect **>(-1) || n <= 0 || !resolutions) return 0;
    return DistinctModes(modes, resolutions, n);
}

extern "C" const image_gl *ImageGLState(void)
{
    return bound == &gl_backend ? &backend.gl : nullptr;
}
