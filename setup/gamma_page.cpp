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
// surface (the setup's window is always the SDL back-end), without the
// library's colour correction, so that the user judges the display's own
// response. It is built in the screen's pixel format and only rebuilt when a
// value changed, so the redraw at every tick is one copy.
//
// Picture layout, at p pixels a canvas unit (15 in the 600 x 375 window): the
// canvas's whole width, 8 units high from 19/3 units down (at p = 15, 600 x
// 120 pixels at (0, 95)). Four bands of 2 units, white, red, green, blue; in
// each, the top 14/15 of a unit is the flat field and the rest the patterns,
// in three sections a third of the width each. However large the window, the
// patterns alternate every device pixel, counted from each section's top
// left corner: a window scaled by N covers the same part of the page with N
// times the pixels each way, never with patterns N pixels wide.

#include "gamma_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int TILE = 8;
constexpr int BANDS = 4;
constexpr int SECTIONS = 3;
// In fifteenths of a unit, the pixels of the 600 x 375 window.
constexpr int STEP = 15;
constexpr int CANVAS_W = 40; // units
constexpr int PICTURE_Y = 95, BAND = 30, FLAT_ROWS = 14;

// Where the picture's parts lie on a canvas of `unit` pixels a unit, in
// pixels from the picture's top left corner; placed at (x, y) on the screen.
struct picture_layout {
    int unit = 0, x = 0, y = 0;
    int width() const { return CANVAS_W * unit; }
    int height() const { return BANDS * Rows(BAND); }
    int Rows(int fifteenths) const { return (fifteenths * unit + STEP / 2) / STEP; }
    int Section(int k) const { return width() * k / SECTIONS; }
};

picture_layout LayoutOnScreen()
{
    picture_layout at;
    at.unit = ImageX(1) - ImageX(0);
    at.x = ImageX(0);
    at.y = ImageY(0) + PICTURE_Y * at.unit / STEP;
    return at;
}

// The codes of the page's items: the first four choose the channels
// (MODE_R + 1 ...), the next two step their gamma.
enum gamma_code { RETURN = 0, RED = 1, GREEN, BLUE, ALL, DARKER, LIGHTER };

constexpr std::array<menuitem, 7> gamma_items{{
    {7, 16, 6, "Red", RED},
    {17, 16, 6, "Green", GREEN},
    {27, 16, 6, "Blue", BLUE},
    {17, 19, 6, "All", ALL},
    {12, 21, 6, "Darker", DARKER},
    {22, 21, 6, "Lighter", LIGHTER},
    {10, 23, 20, "Return", RETURN},
}};

// The tiles' patterns: horizontal lines, checkerboard, vertical lines.
enum pattern { LINES, CHECKERBOARD, COLUMNS, PATTERNS };
constexpr int WHITE = 3; // the tiles' channel that lights all three

bool Lit(int kind, int x, int y)
{
    switch (kind) {
    case LINES:
        return y & 1;
    case CHECKERBOARD:
        return (x + y) & 1;
    default:
        return x & 1;
    }
}

// Tiles are 24 bits a pixel, red in the first byte.
bool MakeTiles(test_picture &picture)
{
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    constexpr Uint32 rmask = 0x0000ff, gmask = 0x00ff00, bmask = 0xff0000;
#else
    constexpr Uint32 rmask = 0xff0000, gmask = 0x00ff00, bmask = 0x0000ff;
#endif
    for (int t = 0; t < 4 * PATTERNS; ++t) {
        surface_ptr tile(
            SDL_CreateRGBSurface(SDL_SWSURFACE, TILE, TILE, 24, rmask, gmask, bmask, 0));
        if (!tile || SDL_LockSurface(tile.get()) < 0) return false;
        const int kind = t / 4, channel = t % 4;
        for (int y = 0; y < TILE; ++y) {
            Uint8 *row = static_cast<Uint8 *>(tile->pixels) + y * tile->pitch;
            for (int x = 0; x < TILE; ++x)
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] =
                        Lit(kind, x, y) && (channel == WHITE || channel == c) ? 255 : 0;
        }
        SDL_UnlockSurface(tile.get());
        picture.tiles[static_cast<size_t>(t)] = std::move(tile);
    }
    return true;
}

SDL_Rect Rect(int x, int y, int w, int h)
{
    return {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
            static_cast<Uint16>(h)};
}

// Covers `area` with the tile, repeated from the area's top left corner.
void Tile(SDL_Surface *tile, SDL_Surface *pic, SDL_Rect area)
{
    SDL_SetClipRect(pic, &area);
    for (int y = area.y; y < area.y + area.h; y += TILE)
        for (int x = area.x; x < area.x + area.w; x += TILE) {
            SDL_Rect at = Rect(x, y, 0, 0);
            SDL_BlitSurface(tile, nullptr, pic, &at);
        }
    SDL_SetClipRect(pic, nullptr);
}

void BuildPicture(test_picture &picture, const settings &s, SDL_Surface *screen,
                  const picture_layout &at)
{
    if (!picture.surfp || picture.surfp->w != at.width() || picture.surfp->h != at.height()) {
        const SDL_PixelFormat *f = screen->format;
        picture.surfp.reset(SDL_CreateRGBSurface(SDL_HWSURFACE, at.width(), at.height(),
                                                 f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                                                 f->Amask));
        if (!picture.surfp) return;
    }
    SDL_Surface *pic = picture.surfp.get();
    const auto r = static_cast<Uint8>(GammaLevel(s.gamma_r));
    const auto g = static_cast<Uint8>(GammaLevel(s.gamma_g));
    const auto b = static_cast<Uint8>(GammaLevel(s.gamma_b));
    // The bands from the top: white, red, green, blue.
    const Uint32 flat[BANDS] = {SDL_MapRGB(pic->format, r, g, b), SDL_MapRGB(pic->format, r, 0, 0),
                                SDL_MapRGB(pic->format, 0, g, 0), SDL_MapRGB(pic->format, 0, 0, b)};
    constexpr int band_channel[BANDS] = {WHITE, 0, 1, 2};
    const int flat_rows = at.Rows(FLAT_ROWS), band_rows = at.Rows(BAND);
    for (int band = 0; band < BANDS; ++band) {
        const int top = band * band_rows;
        SDL_Rect field = Rect(0, top, at.width(), flat_rows);
        SDL_FillRect(pic, &field, flat[band]);
        for (int kind = 0; kind < PATTERNS; ++kind) {
            SDL_Surface *tile =
                picture.tiles[static_cast<size_t>(4 * kind + band_channel[band])].get();
            Tile(tile, pic,
                 Rect(at.Section(kind), top + flat_rows, at.Section(kind + 1) - at.Section(kind),
                      band_rows - flat_rows));
        }
    }
    picture.built_for = {s.gamma_r, s.gamma_g, s.gamma_b};
    picture.layout_unit = at.unit;
    picture.built = true;
}

bool PictureCurrent(const test_picture &picture, const settings &s, const picture_layout &at)
{
    return picture.built && picture.layout_unit == at.unit &&
           picture.built_for == std::array{s.gamma_r, s.gamma_g, s.gamma_b};
}

bool SameFormat(const SDL_PixelFormat *a, const SDL_PixelFormat *b)
{
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->BitsPerPixel > 8;
}

// Copies the picture onto the screen at its place. It is made in the
// screen's format, so this is a copy of rows; SDL's blit of the same surfaces
// goes pixel by pixel on sdl12-compat and costs several times more.
void CopyToScreen(SDL_Surface *pic, SDL_Surface *screen, const picture_layout &at)
{
    if (!SameFormat(pic->format, screen->format)) {
        SDL_Rect to = Rect(at.x, at.y, 0, 0);
        SDL_BlitSurface(pic, nullptr, screen, &to);
        return;
    }
    const int rows = std::min(pic->h, screen->h - at.y);
    const int bpp = pic->format->BytesPerPixel;
    const int columns = std::min(pic->w, screen->w - at.x);
    if (rows <= 0 || columns <= 0 || at.x < 0 || at.y < 0 || SDL_LockSurface(screen) < 0) return;
    if (SDL_LockSurface(pic) == 0) {
        for (int y = 0; y < rows; ++y)
            std::memcpy(static_cast<Uint8 *>(screen->pixels) + (at.y + y) * screen->pitch +
                            at.x * bpp,
                        static_cast<const Uint8 *>(pic->pixels) + y * pic->pitch,
                        static_cast<size_t>(columns * bpp));
        SDL_UnlockSurface(pic);
    }
    SDL_UnlockSurface(screen);
}

bool Shows(int mode, int channel)
{
    return mode == channel || mode == MODE_ALL;
}

void DrawGammaLines(const session &ses, gamma_state &state)
{
    test_picture &picture = state.picture;
    SDL_Surface *screen = SDL_GetVideoSurface();
    if (!picture.tiles_ready) picture.tiles_ready = MakeTiles(picture);
    const picture_layout at = LayoutOnScreen();
    if (picture.tiles_ready && screen && !PictureCurrent(picture, ses.rec, at))
        BuildPicture(picture, ses.rec, screen, at);

    TextC(20, 5, "Please match the brightness of the patterns below:", palette::TEXT);
    if (picture.built && screen) CopyToScreen(picture.surfp.get(), screen, at);
    const int values[3] = {ses.rec.gamma_r, ses.rec.gamma_g, ses.rec.gamma_b};
    for (int c = 0; c < 3; ++c)
        if (Shows(state.mode, c))
            TextC(static_cast<float>(10 + 10 * c), 17, GammaText(values[c]).text,
                  palette::CHANNELS[static_cast<size_t>(c)]);
}

outcome ChooseGamma(session &ses, gamma_state &state, int code)
{
    switch (code) {
    case RETURN:
        return LEAVE;
    case DARKER:
        StepGamma(ses.rec, state.mode, -1);
        break;
    case LIGHTER:
        StepGamma(ses.rec, state.mode, +1);
        break;
    default: // a channel, or all
        state.mode = code - RED + MODE_R;
        break;
    }
    return StayOn(code);
}

} // namespace

const page<gamma_state> gamma_page{"Vantor Gamma Correction", gamma_items, DrawGammaLines,
                                   ChooseGamma};

int GammaLevel(int tenths)
{
    if (tenths <= 0) return 0;
    return static_cast<int>(255.0 * std::pow(0.5, 10.0 / tenths));
}

void StepGamma(settings &rec, int mode, int step)
{
    int *values[3] = {&rec.gamma_r, &rec.gamma_g, &rec.gamma_b};
    for (int c = 0; c < 3; ++c) {
        if (!Shows(mode, c)) continue;
        int &v = *values[c];
        if (step < 0 && v > MIN_GAMMA) --v;
        if (step > 0 && v < MAX_GAMMA) ++v;
    }
}

void GammaMenu(session &ses)
{
    gamma_state state;
    RunPage(gamma_page, ses, state, ALL);
}
