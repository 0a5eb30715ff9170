// sdl_backend.cpp - drawing into the SDL screen surface.
//
// The software implementation of the back-end table: fills and blits on the
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
// Depends on: canvas.cpp, gamma.cpp, png.cpp, events.cpp (SetError).

#include "image_internal.h"

void surface_deleter::operator()(SDL_Surface *s) const
{
    SDL_FreeSurface(s);
}

namespace vimage {

static Uint32 MapColour(SDL_Surface *screen, Uint32 col)
{
    col = ImageGammaRGB(col);
    return SDL_MapRGB(screen->format, static_cast<Uint8>(col >> 16), static_cast<Uint8>(col >> 8),
                      static_cast<Uint8>(col));
}

// Fills a pixel rectangle of the screen, clipped; -1 with SDL's message when
// SDL refuses.
static int FillPixels(int x, int y, int w, int h, Uint32 col)
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

} // namespace vimage
