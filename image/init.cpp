// init.cpp - opening the display and binding the back-end table.
//
// ImageInit is the one entry that turns the library on. In this order it sets
// the video mode, chooses hardware or software gamma, fixes the canvas
// geometry and the resampling tables for its scale, starts the 10 ms tick
// timer, builds the glyph set of the chosen back-end and binds the table of
// back-end operations. A failure records its message and returns -1 without
// undoing what was done; the caller ends the program with the message.
//
// The table: every entry of image.h's table is a member of `backend_ops`, and
// each back-end has one constant record of its implementations, bound in one
// place. Designated initialisers with warnings as errors keep any entry from
// being left null.
//
// Depends on: everything else in the library.

#include "image_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef __linux__
#include <dlfcn.h>
#include <link.h>
#endif

// The table of back-end operations, null until ImageInit binds it.
extern "C" {
int (*ImageClear)(void) = nullptr;
int (*ImageClearBorder)(void) = nullptr;
int (*ImagePan)(int, int) = nullptr;
int (*ImageRect)(int, int, int, int, Uint32) = nullptr;
int (*ImageRectFrac)(float, float, float, float, Uint32) = nullptr;
int (*ImageLoad)(image *, const char *, int, int, int) = nullptr;
int (*ImageDraw)(const image *, float, float) = nullptr;
int (*ImageFree)(image *) = nullptr;
int (*ImageUpdate)(void) = nullptr;
float (*TextWidth)(const char *) = nullptr;
int (*TextL)(float, float, const char *, Uint32) = nullptr;
int (*TextC)(float, float, const char *, Uint32) = nullptr;
int (*TextR)(float, float, const char *, Uint32) = nullptr;
}

namespace vimage {

backend_state backend;
::backend_id backend_id = BACKEND_GL;

namespace {

struct backend_ops {
    decltype(ImageClear) clear;
    decltype(ImageClearBorder) clear_border;
    decltype(ImagePan) pan;
    decltype(ImageRect) rect;
    decltype(ImageRectFrac) rect_frac;
    decltype(ImageLoad) load;
    decltype(ImageDraw) draw;
    decltype(ImageFree) free;
    decltype(ImageUpdate) update;
    decltype(TextWidth) text_width;
    decltype(TextL) text_l;
    decltype(TextC) text_c;
    decltype(TextR) text_r;
};

constexpr backend_ops gl_ops{
    .clear = ImageClearGL,
    .clear_border = ImageClearBorderGL,
    .pan = ImagePanGL,
    .rect = ImageRectGL,
    .rect_frac = ImageRectFracGL,
    .load = ImageLoadGL,
    .draw = ImageDrawGL,
    .free = ImageFreeGL,
    .update = ImageUpdateGL,
    .text_width = TextWidthGL,
    .text_l = TextLGL,
    .text_c = TextCGL,
    .text_r = TextRGL,
};

constexpr backend_ops sdl_ops{
    .clear = ImageClearSDL,
    .clear_border = ImageClearBorderSDL,
    .pan = ImagePanSDL,
    .rect = ImageRectSDL,
    .rect_frac = ImageRectFracSDL,
    .load = ImageLoadSDL,
    .draw = ImageDrawSDL,
    .free = ImageFreeSDL,
    .update = ImageUpdateSDL,
    .text_width = TextWidthSDL,
    .text_l = TextLSDL,
    .text_c = TextCSDL,
    .text_r = TextRSDL,
};

void Bind(const backend_ops &ops)
{
    ImageClear = ops.clear;
    ImageClearBorder = ops.clear_border;
    ImagePan = ops.pan;
    ImageRect = ops.rect;
    ImageRectFrac = ops.rect_frac;
    ImageLoad = ops.load;
    ImageDraw = ops.draw;
    ImageFree = ops.free;
    ImageUpdate = ops.update;
    TextWidth = ops.text_width;
    TextL = ops.text_l;
    TextC = ops.text_c;
    TextR = ops.text_r;
}

SDL_TimerID timer = nullptr;

int CompleteSDL(SDL_Surface *screen)
{
    if (OpenFont() < 0) return -1;
    BuildGlyphsSDL(screen);
    CloseFont();
    Bind(sdl_ops);
    backend.sdl.surfp = screen;
    backend_id = BACKEND_SDL;
    return 0;
}

int CompleteGL(int antialias, int samples, bool accum_asked)
{
    if (PrepareGL(antialias, samples, accum_asked) < 0) return -1;
    Bind(gl_ops);
    backend_id = BACKEND_GL;
    return 0;
}

// Pins Mesa's OpenGL driver ("..._dri.so", loaded for our OpenGL back-end or
// for the SDL runtime's own renderer), so that the application's SDL_Quit,
// which runs after this exit handler, closes it without unloading it. The
// process is ending, so that costs nothing; and a leak checker, which looks
// at memory after the exit handlers, can then still tell the driver's
// allocations (kept for the process's life) from ours by its symbols.
void KeepGLDriverLoaded()
{
#ifdef __linux__
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (std::string_view(info->dlpi_name ? info->dlpi_name : "").ends_with("_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

// SDL's message for a call that SDL refused; `fallback` when SDL gave no
// reason (its error was cleared before the call).
const char *SDLReason(const char *fallback)
{
    const char *text = SDL_GetError();
    return text && *text ? text : fallback;
}

} // namespace

Uint32 SDLFlags(int backend_opt, int flags)
{
    Uint32 sdlflags = (flags & IMAGE_FULLSCREEN) ? SDL_FULLSCREEN : 0;
    if (backend_opt == BACKEND_GL) sdlflags |= SDL_OPENGL;
    if (backend_opt == BACKEND_SDL) sdlflags |= SDL_HWSURFACE | SDL_ANYFORMAT | SDL_DOUBLEBUF;
    return sdlflags;
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

extern "C" int ImageInit(int backend_opt, int width, int height, int antialias, int samples,
                         int rgam, int ggam, int bgam, int flags)
{
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

    if (width < CANVAS_W || height < CANVAS_H) return SetError("Screen size too small");
    // A palettised display would round every corrected colour (and the gamma
    // test picture) to its palette; the software back-end asks for true
    // colour there, which SDL converts when it presents.
    int bpp = info->vfmt->BitsPerPixel;
    if (backend_opt == BACKEND_SDL && bpp <= 8) bpp = 32;
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
    SDL_EnableKeyRepeat(500, 30);

    GuardExitDuringDisplayCalls();
    static const bool driver_kept = std::atexit(KeepGLDriverLoaded) == 0;
    (void)driver_kept;
    // A second initialisation replaces the first one's timer instead of
    // adding another.
    if (timer) SDL_RemoveTimer(timer);
    timer = SDL_AddTimer(10, TimerFunc, nullptr);
    if (!timer) return SetError("%s", SDL_GetError());

    switch (backend_opt) {
    case BACKEND_GL:
        return CompleteGL(antialias, samples, accum_asked);
    case BACKEND_SDL:
        return CompleteSDL(screen);
    default:
        return SetError("No backends available");
    }
}

extern "C" int ImageModes(int backend_opt, int flags, int resolutions[][2], int n)
{
    SDL_Rect **modes = SDL_ListModes(nullptr, SDLFlags(backend_opt, flags & IMAGE_FULLSCREEN));
    if (!modes || modes == reinterpret_cast<SDL_Rect **>(-1) || n <= 0 || !resolutions) return 0;
    return DistinctModes(modes, resolutions, n);
}

extern "C" const image_gl *ImageGLState(void)
{
    return ImageClear && vimage::backend_id == BACKEND_GL ? &backend.gl : nullptr;
}
