// sdl_backend.cpp - the SDL back-end: drawing into the SDL screen surface.
//
// The software implementation of the back-end record: fills and blits on the
// screen surface that the video mode gave, with canvas units turned into
// pixels by ImageX / ImageY and the scale. The same calls give the same page
// layout as the OpenGL back-end, snapped to whole pixels: a fractional
// rectangle's position and size are each truncated toward zero, so a size
// below one pixel fills nothing. Colours are gamma-corrected first and mapped
// to the surface's format at each call; nothing here locks the screen.
//
// Everything is clipped to the surface in int arithmetic before it reaches
// SDL's 16-bit rectangle fields. Fills write the pixels directly (see
// FillSurface): on sdl12-compat, SDL's own fill uses streaming stores that
// make clearing the setup's window cost several times a memset of it.
//
// Pictures: LoadPNG decodes the file top row first and without padding, at
// the place's pixel size; the buffer is wrapped in a surface without copying
// and converted once to the display's format, so drawing is a plain blit.
//
// Text is drawn from the SDL glyph set (sdl_text.cpp). Presenting a frame
// lays the library's overlays over the screen surface (present.cpp), the
// help screen on a plain dark grey backdrop, and puts on the window only
// what changed: the back-end keeps a copy of the frame it presented last,
// compares the new one with it row by row, and updates the smallest
// rectangle holding every changed pixel (SDL_UpdateRects), or nothing when
// the frames are the same. The whole frame goes out instead after a new
// video mode, when the window was exposed or restored (pacing.whole), and
// always where SDL granted a real double-buffered hardware surface, whose
// SDL_Flip swaps buffers and so must be given whole frames. What the window
// shows therefore stays the whole frame last presented. The back-end
// cannot pan or paint the margins apart (its canvas never moves), has no
// gamma sample and no antialiasing settings: its record names those
// entries so.
//
// Depends on: canvas.cpp, gamma.cpp, png.cpp, font.cpp, present.cpp,
// sdl_text.cpp, events.cpp (SetError).

#include "image_internal.h"

#include <algorithm>
#include <cstring>

namespace vimage {

SDL_Rect ClipRect(int x, int y, int w, int h, const SDL_Surface *surface)
{
    SDL_Rect r{0, 0, 0, 0};
    if (!surface || w <= 0 || h <= 0) return r;
    const long long x0 = std::max<long long>(x, 0);
    const long long y0 = std::max<long long>(y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(x) + w, surface->w);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + h, surface->h);
    if (x1 <= x0 || y1 <= y0) return r;
    r.x = static_cast<Sint16>(x0);
    r.y = static_cast<Sint16>(y0);
    r.w = static_cast<Uint16>(x1 - x0);
    r.h = static_cast<Uint16>(y1 - y0);
    return r;
}

int FillSurface(SDL_Surface *surface, SDL_Rect r, Uint32 pixel)
{
    const int bpp = surface->format->BytesPerPixel;
    if (bpp == 3) return SDL_FillRect(surface, &r, pixel) < 0 ? -1 : 0;
    if (SDL_LockSurface(surface) < 0) return -1;
    auto *first = static_cast<Uint8 *>(surface->pixels) + r.y * surface->pitch + r.x * bpp;
    for (int y = 0; y < r.h; ++y) {
        Uint8 *row = first + static_cast<ptrdiff_t>(y) * surface->pitch;
        if (bpp == 4)
            std::fill_n(reinterpret_cast<Uint32 *>(row), r.w, pixel);
        else if (bpp == 2)
            std::fill_n(reinterpret_cast<Uint16 *>(row), r.w, static_cast<Uint16>(pixel));
        else
            std::memset(row, static_cast<int>(pixel & 0xff), r.w);
    }
    SDL_UnlockSurface(surface);
    return 0;
}

int BlitAt(SDL_Surface *src, int x, int y, SDL_Surface *dst)
{
    SDL_Rect to = ClipRect(x, y, src->w, src->h, dst);
    if (to.w == 0) return 0;
    SDL_Rect from{static_cast<Sint16>(to.x - x), static_cast<Sint16>(to.y - y), to.w, to.h};
    return SDL_BlitSurface(src, &from, dst, &to);
}

sdl_shown_frame sdl_shown;

SDL_Rect ChangedRect(const Uint8 *now, const Uint8 *before, int w, int h, int pitch, int bpp)
{
    const auto row_bytes = static_cast<size_t>(w) * static_cast<size_t>(bpp);
    auto row = [&](const Uint8 *frame, int y) { return frame + static_cast<ptrdiff_t>(y) * pitch; };
    auto same = [&](int y) { return std::memcmp(row(now, y), row(before, y), row_bytes) == 0; };
    int top = 0;
    while (top < h && same(top)) ++top;
    if (top == h) return {0, 0, 0, 0};
    int bottom = h - 1;
    while (same(bottom)) --bottom;
    // The changed columns, in bytes: the first and last byte that differ in
    // any changed row, widened to whole pixels.
    size_t left = row_bytes, right = 0;
    for (int y = top; y <= bottom; ++y) {
        if (same(y)) continue;
        const Uint8 *a = row(now, y), *b = row(before, y);
        size_t first = 0, last = row_bytes;
        while (first < left && a[first] == b[first]) ++first;
        while (last > right && a[last - 1] == b[last - 1]) --last;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    const auto x0 = static_cast<int>(left / static_cast<size_t>(bpp));
    const auto x1 =
        static_cast<int>((right + static_cast<size_t>(bpp) - 1) / static_cast<size_t>(bpp));
    return {static_cast<Sint16>(x0), static_cast<Sint16>(top), static_cast<Uint16>(x1 - x0),
            static_cast<Uint16>(bottom - top + 1)};
}

namespace {

Uint32 MapColour(SDL_Surface *screen, Uint32 col)
{
    col = ImageGammaRGB(col);
    return SDL_MapRGB(screen->format, static_cast<Uint8>(col >> 16), static_cast<Uint8>(col >> 8),
                      static_cast<Uint8>(col));
}

// Fills a pixel rectangle of the screen, clipped; -1 with SDL's message when
// SDL refuses.
int FillPixels(int x, int y, int w, int h, Uint32 col)
{
    SDL_Surface *screen = backend.sdl.surfp;
    const Uint32 pixel = MapColour(screen, col);
    const SDL_Rect r = ClipRect(x, y, w, h, screen);
    if (r.w == 0) return 0;
    if (FillSurface(screen, r, pixel) < 0) return SetError("%s", SDL_GetError());
    return 0;
}

int ImageClearSDL()
{
    SDL_Surface *screen = backend.sdl.surfp;
    const SDL_Rect all = ClipRect(0, 0, screen->w, screen->h, screen);
    if (all.w && FillSurface(screen, all, SDL_MapRGB(screen->format, 0, 0, 0)) != 0)
        return SetError("%s", SDL_GetError());
    return 0;
}

int ImageRectSDL(int x, int y, int width, int height, Uint32 col)
{
    const long long w = static_cast<long long>(width) * canvas.xscale;
    const long long h = static_cast<long long>(height) * canvas.yscale;
    return FillPixels(ImageX(static_cast<float>(x)), ImageY(static_cast<float>(y)),
                      TruncToInt(static_cast<double>(w)), TruncToInt(static_cast<double>(h)), col);
}

int ImageRectFracSDL(float x, float y, float width, float height, Uint32 col)
{
    return FillPixels(ImageX(x), ImageY(y), TruncToInt(canvas.xscale * static_cast<double>(width)),
                      TruncToInt(canvas.yscale * static_cast<double>(height)), col);
}

int ImageLoadSDL(image *imgp, const char *filename, int width, int height, int alpha)
{
    picture pic = LoadPNG(filename, {.width = width,
                                     .height = height,
                                     .alpha = alpha != 0,
                                     .interpolate = true,
                                     .top_row_first = true});
    if (!pic.pixels) return -1;
    const int img_width = pic.width, img_height = pic.height;

    // SDL 1.2 keeps a surface's row length in 16 bits, and the display's
    // format may take 4 bytes a pixel: a wider row would wrap around in the
    // classic runtime. (sdl12-compat refuses it itself.)
    if (img_width > 65535 / 4) return SetError("Width or height is too large");

    // The buffer holds the bytes R, G, B (, A) in this order whatever the
    // machine's byte order; SDL reads pixels as words, so the masks follow it.
    const int bpp = alpha ? 4 : 3;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    const Uint32 rmask = 0x000000ff, gmask = 0x0000ff00, bmask = 0x00ff0000;
    const Uint32 amask = alpha ? 0xff000000 : 0;
#else
    const Uint32 rmask = alpha ? 0xff000000 : 0xff0000, gmask = alpha ? 0x00ff0000 : 0x00ff00;
    const Uint32 bmask = alpha ? 0x0000ff00 : 0x0000ff, amask = alpha ? 0x000000ff : 0;
#endif
    surface_ptr wrapped(SDL_CreateRGBSurfaceFrom(pic.pixels.get(), img_width, img_height, bpp * 8,
                                                 img_width * bpp, rmask, gmask, bmask, amask));
    if (!wrapped) return SetError("%s", SDL_GetError());
    imgp->surfp = alpha ? SDL_DisplayFormatAlpha(wrapped.get()) : SDL_DisplayFormat(wrapped.get());
    wrapped.reset();
    pic = {};
    if (!imgp->surfp) return SetError("%s", SDL_GetError());
    return 0;
}

int ImageDrawSDL(const image *imgp, float x, float y)
{
    if (!imgp || !imgp->surfp) return SetError("No picture loaded");
    if (BlitAt(imgp->surfp, ImageX(x), ImageY(y), backend.sdl.surfp) != 0)
        return SetError("%s", SDL_GetError());
    return 0;
}

int ImageFreeSDL(image *imgp)
{
    if (imgp) SDL_FreeSurface(imgp->surfp);
    return 0;
}

int CompleteSDL(SDL_Surface *screen, const init_request &)
{
    if (OpenFont() < 0) return -1;
    BuildGlyphsSDL(screen);
    CloseFont();
    backend.sdl.surfp = screen;
    sdl_shown = {}; // a new mode's window shows nothing presented yet
    return 0;
}

void BackdropSDL()
{
    // A plain dark grey, not gamma-corrected.
    SDL_Surface *screen = backend.sdl.surfp;
    const SDL_Rect r =
        ClipRect(ImageX(2.5f), ImageY(2.5f), 35 * canvas.xscale, 20 * canvas.yscale, screen);
    if (r.w) FillSurface(screen, r, SDL_MapRGB(screen->format, 32, 32, 32));
}

// Whether SDL_Flip swaps the buffers of a real double-buffered hardware
// surface rather than copying a software one to the window.
bool SwapsBuffers(const SDL_Surface *screen)
{
    constexpr Uint32 SWAPPED = SDL_HWSURFACE | SDL_DOUBLEBUF;
    return (screen->flags & SWAPPED) == SWAPPED;
}

// A software surface holds the frame last presented until it is drawn over.
bool KeepsFrame()
{
    return !SwapsBuffers(backend.sdl.surfp);
}

int PresentSDL()
{
    SDL_Surface *screen = backend.sdl.surfp;
    std::vector<Uint8> &shown = sdl_shown.pixels;
    const size_t bytes = static_cast<size_t>(screen->pitch) * static_cast<size_t>(screen->h);
    const SDL_Rect all{0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)};
    display_call talking;
    if (SwapsBuffers(screen)) {
        shown.clear();
        sdl_shown.updated = all;
        return SDL_Flip(screen);
    }
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) < 0) return SetError("%s", SDL_GetError());
    const auto *now = static_cast<const Uint8 *>(screen->pixels);
    SDL_Rect r = all;
    if (pacing.whole || shown.size() != bytes) {
        shown.assign(now, now + bytes);
    } else {
        const int bpp = screen->format->BytesPerPixel;
        // Where the frame was drawn in part, the rest is as presented.
        const SDL_Rect in = pacing.only.w ? ClipRect(pacing.only.x, pacing.only.y, pacing.only.w,
                                                     pacing.only.h, screen)
                                          : all;
        const ptrdiff_t from = static_cast<ptrdiff_t>(in.y) * screen->pitch + in.x * bpp;
        r = ChangedRect(now + from, shown.data() + from, in.w, in.h, screen->pitch, bpp);
        if (r.w) r.x = static_cast<Sint16>(r.x + in.x), r.y = static_cast<Sint16>(r.y + in.y);
        for (int y = r.y; y < r.y + r.h; ++y) {
            const size_t at = static_cast<size_t>(y) * static_cast<size_t>(screen->pitch) +
                              static_cast<size_t>(r.x) * static_cast<size_t>(bpp);
            std::memcpy(shown.data() + at, now + at, static_cast<size_t>(r.w) * bpp);
        }
    }
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    sdl_shown.updated = r;
    if (r.w) SDL_UpdateRects(screen, 1, &r);
    return 0;
}

// Blits the canvas into a surface over `rgb` whose masks put R, G, B in
// this byte order whatever the machine's.
captured CaptureSDL(Uint8 *rgb, int width, int height)
{
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    constexpr Uint32 rmask = 0x0000FF, gmask = 0x00FF00, bmask = 0xFF0000;
#else
    constexpr Uint32 rmask = 0xFF0000, gmask = 0x00FF00, bmask = 0x0000FF;
#endif
    const surface_ptr out(
        SDL_CreateRGBSurfaceFrom(rgb, width, height, 24, width * 3, rmask, gmask, bmask, 0));
    if (!out) return captured::failed;
    SDL_Rect from{static_cast<Sint16>(canvas.xoffset), static_cast<Sint16>(canvas.yoffset),
                  static_cast<Uint16>(width), static_cast<Uint16>(height)};
    if (SDL_UpperBlit(backend.sdl.surfp, &from, out.get(), nullptr) != 0) return captured::failed;
    return captured::top_row_first;
}

} // namespace

constexpr backend_ops sdl_backend{
    .video_flags = SDL_HWSURFACE | SDL_ANYFORMAT | SDL_DOUBLEBUF,
    .true_colour = true,
    .clear = ImageClearSDL,
    .clear_border = Unsupported<decltype(::ImageClearBorder)>,
    .pan = Unsupported<decltype(::ImagePan)>,
    .rect = ImageRectSDL,
    .rect_frac = ImageRectFracSDL,
    .load = ImageLoadSDL,
    .draw = ImageDrawSDL,
    .free = ImageFreeSDL,
    .update = PresentFrame,
    .text_width = MeasureText,
    .text_l = TextLSDL,
    .text_c = CentreText,
    .text_r = RightAlignText,
    .complete = CompleteSDL,
    .backdrop = BackdropSDL,
    .gamma_sample = NotDrawn,
    .present = PresentSDL,
    .keeps_frame = KeepsFrame,
    .capture = CaptureSDL,
    .antialias_key = IgnoredKey,
    .keys = NoKeys,
};

} // namespace vimage
