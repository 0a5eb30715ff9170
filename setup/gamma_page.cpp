// gamma_page.cpp - the gamma calibration page.
//
// The user sets each channel's gamma by eye. For white and each primary, a
// band shows a flat field beside patterns in which exactly half the pixels are
// lit at full intensity (horizontal lines, a checkerboard, vertical lines). A
// display of gamma g shows the patterns as bright as a flat level of
// 255 * 0.5^(1/g), so when the value tried equals the display's gamma the
// field and the patterns look alike; "Darker" and "Lighter" step the value by
// 0.1 until they do, for one channel or for all three.
//
// The test picture is exact pixels: it is copied straight onto the screen
// surface (the setup's window is always the SDL back-end), unscaled and
// without the library's colour correction, so that the user judges the
// display's own response. It is built in the screen's pixel format and only
// rebuilt when a value changed, so the redraw at every tick is one copy.
//
// Picture layout (600 x 120 pixels, placed at pixel (0, 95)): four bands of
// 30 rows, white, red, green, blue; in each, rows 0..13 are the flat field and
// rows 14..29 the patterns, in three sections of 200 columns.

#include "setup.h"

#include "surface_owner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

int gamma_mode = MODE_ALL;

const std::array<menuitem, 7> gamma_items{{
    {7, 16, 6, "Red", 1},
    {17, 16, 6, "Green", 2},
    {27, 16, 6, "Blue", 3},
    {17, 19, 6, "All", 4},
    {12, 21, 6, "Darker", 5},
    {22, 21, 6, "Lighter", 6},
    {10, 23, 20, "Return", 0},
}};

namespace {

constexpr int TILE = 8;
constexpr int PICTURE_W = 600, PICTURE_H = 120;
constexpr int PICTURE_Y = 95;
constexpr int BAND = 30, FLAT_ROWS = 15, PATTERN_Y = 14;

// The twelve tiles, t = 4 * kind + channel (kinds: horizontal lines,
// checkerboard, vertical lines; channels: red, green, blue, white), and the
// picture with the values it was built for.
struct test_picture {
    std::array<surface_ptr, 12> tiles;
    bool tiles_ready = false;
    surface_ptr surfp;
    int patr = 0, patg = 0, patb = 0;
    bool built = false;
};
test_picture picture;

bool Lit(int kind, int x, int y)
{
    switch (kind) {
    case 0:
        return y & 1;
    case 1:
        return (x + y) & 1;
    default:
        return x & 1;
    }
}

// Tiles are 24 bits a pixel, red in the first byte.
bool MakeTiles()
{
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    constexpr Uint32 rmask = 0x0000ff, gmask = 0x00ff00, bmask = 0xff0000;
#else
    constexpr Uint32 rmask = 0xff0000, gmask = 0x00ff00, bmask = 0x0000ff;
#endif
    for (int t = 0; t < 12; ++t) {
        surface_ptr tile(
            SDL_CreateRGBSurface(SDL_SWSURFACE, TILE, TILE, 24, rmask, gmask, bmask, 0));
        if (!tile || SDL_LockSurface(tile.get()) < 0) return false;
        const int kind = t / 4, channel = t % 4;
        for (int y = 0; y < TILE; ++y) {
            Uint8 *row = static_cast<Uint8 *>(tile->pixels) + y * tile->pitch;
            for (int x = 0; x < TILE; ++x)
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = Lit(kind, x, y) && (channel == 3 || channel == c) ? 255 : 0;
        }
        SDL_UnlockSurface(tile.get());
        picture.tiles[static_cast<size_t>(t)] = std::move(tile);
    }
    return true;
}

void Fill(SDL_Surface *surface, int y, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Rect rect{0, static_cast<Sint16>(y), PICTURE_W, FLAT_ROWS};
    SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, r, g, b));
}

void BuildPicture(SDL_Surface *screen)
{
    if (!picture.surfp) {
        const SDL_PixelFormat *f = screen->format;
        picture.surfp.reset(SDL_CreateRGBSurface(SDL_HWSURFACE, PICTURE_W, PICTURE_H,
                                                 f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                                                 f->Amask));
        if (!picture.surfp) return;
    }
    SDL_Surface *pic = picture.surfp.get();
    const auto r = static_cast<Uint8>(GammaLevel(s.gamma_r));
    const auto g = static_cast<Uint8>(GammaLevel(s.gamma_g));
    const auto b = static_cast<Uint8>(GammaLevel(s.gamma_b));
    Fill(pic, 0, r, g, b);
    Fill(pic, BAND, r, 0, 0);
    Fill(pic, 2 * BAND, 0, g, 0);
    Fill(pic, 3 * BAND, 0, 0, b);
    // The bands from the top: white (channel 3), red, green, blue.
    constexpr int band_channel[4] = {3, 0, 1, 2};
    for (int band = 0; band < 4; ++band)
        for (int kind = 0; kind < 3; ++kind) {
            SDL_Surface *tile =
                picture.tiles[static_cast<size_t>(4 * kind + band_channel[band])].get();
            for (int row = 0; row < 2; ++row)
                for (int col = 0; col < 25; ++col) {
                    SDL_Rect at{static_cast<Sint16>(TILE * col + 200 * kind),
                                static_cast<Sint16>(BAND * band + PATTERN_Y + TILE * row), 0, 0};
                    SDL_BlitSurface(tile, nullptr, pic, &at);
                }
        }
    picture.patr = s.gamma_r;
    picture.patg = s.gamma_g;
    picture.patb = s.gamma_b;
    picture.built = true;
}

bool PictureCurrent()
{
    return picture.built && picture.patr == s.gamma_r && picture.patg == s.gamma_g &&
           picture.patb == s.gamma_b;
}

bool SameFormat(const SDL_PixelFormat *a, const SDL_PixelFormat *b)
{
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->BitsPerPixel > 8;
}

// Copies the picture onto the screen at row PICTURE_Y. It is made in the
// screen's format, so this is a copy of rows; SDL's blit of the same surfaces
// goes pixel by pixel on sdl12-compat and costs several times more.
void CopyToScreen(SDL_Surface *pic, SDL_Surface *screen)
{
    if (!SameFormat(pic->format, screen->format)) {
        SDL_Rect at{0, PICTURE_Y, 0, 0};
        SDL_BlitSurface(pic, nullptr, screen, &at);
        return;
    }
    const int rows = std::min(pic->h, screen->h - PICTURE_Y);
    const size_t bytes =
        static_cast<size_t>(std::min(pic->w, screen->w)) * pic->format->BytesPerPixel;
    if (rows <= 0 || SDL_LockSurface(screen) < 0) return;
    if (SDL_LockSurface(pic) == 0) {
        for (int y = 0; y < rows; ++y)
            std::memcpy(static_cast<Uint8 *>(screen->pixels) + (PICTURE_Y + y) * screen->pitch,
                        static_cast<const Uint8 *>(pic->pixels) + y * pic->pitch, bytes);
        SDL_UnlockSurface(pic);
    }
    SDL_UnlockSurface(screen);
}

bool Shows(int channel)
{
    return gamma_mode == channel || gamma_mode == MODE_ALL;
}

} // namespace

int GammaLevel(int tenths)
{
    if (tenths <= 0) return 0;
    return static_cast<int>(255.0 * std::pow(0.5, 10.0 / tenths));
}

void StepGamma(settings &rec, int mode, int step)
{
    int *values[3] = {&rec.gamma_r, &rec.gamma_g, &rec.gamma_b};
    for (int c = 0; c < 3; ++c) {
        if (mode != c && mode != MODE_ALL) continue;
        int &v = *values[c];
        if (step < 0 && v > 1) --v;
        if (step > 0 && v < 50) ++v;
    }
}

void DrawGammaMenu()
{
    SDL_Surface *screen = SDL_GetVideoSurface();
    if (!picture.tiles_ready) picture.tiles_ready = MakeTiles();
    if (picture.tiles_ready && screen && !PictureCurrent()) BuildPicture(screen);

    DrawPageTop("Vantor Gamma Correction");
    TextC(20, 5, "Please match the brightness of the patterns below:", palette::TEXT);
    if (picture.built && screen) CopyToScreen(picture.surfp.get(), screen);
    const int values[3] = {s.gamma_r, s.gamma_g, s.gamma_b};
    for (int c = 0; c < 3; ++c)
        if (Shows(c))
            TextC(static_cast<float>(10 + 10 * c), 17, GammaText(values[c]).text,
                  palette::CHANNELS[static_cast<size_t>(c)]);
}

void GammaMenu()
{
    gamma_mode = MODE_ALL;
    int highlighted = 3; // "All"
    for (;;) {
        const int result = ShowPage(DrawGammaMenu, static_cast<int>(gamma_items.size()),
                                    gamma_items.data(), highlighted);
        if (result == 0) return; // "Return", or Escape
        const int k = result - 1;
        if (k <= MODE_ALL)
            gamma_mode = k;
        else if (k == 4)
            StepGamma(s, gamma_mode, -1);
        else if (k == 5)
            StepGamma(s, gamma_mode, +1);
        highlighted = k;
    }
}
