// display.h - opening the SDL back-end under the dummy driver (in the build
// folder, where vantor.ttf is staged), reading its pixels, making events.
#pragma once

#include "image_internal.h"
#include "portable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Starts SDL and opens the SDL back-end, windowed, software gamma (tenths).
inline void OpenDisplay(int width = 600, int height = 375, int gamma = 22)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::atexit(SDL_Quit);
    ASSERT_EQ(
        ImageInit(BACKEND_SDL, width, height, 0, 2, gamma, gamma, gamma, IMAGE_SOFTWARE_GAMMA), 0)
        << ImageError();
}

// A scratch folder, the working folder for the object's lifetime. Made after
// the display is open, which reads vantor.ttf from the build folder.
struct scratch_dir {
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantor-test-" + std::to_string(process_id()));
    scratch_dir()
    {
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    ~scratch_dir()
    {
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }
};

inline SDL_Surface *Screen()
{
    return SDL_GetVideoSurface();
}

// A screen pixel (32 bits a pixel) as 0xRRGGBB.
inline Uint32 PixelAt(int x, int y)
{
    const SDL_Surface *s = Screen();
    Uint8 r, g, b;
    SDL_GetRGB(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x], s->format, &r, &g, &b);
    return Uint32{r} << 16 | Uint32{g} << 8 | b;
}

// A frame read back: 0xRRGGBB pixels, top row first.
struct frame {
    int width = 0, height = 0;
    std::vector<Uint32> pixels;

    Uint32 At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool operator==(const frame &) const = default;

    // The smallest rectangle of the region [x0, x1) x [y0, y1) holding every
    // pixel that is not black; w = 0 when there is none.
    SDL_Rect Bounds(int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const
    {
        x1 = x1 < 0 ? width : x1, y1 = y1 < 0 ? height : y1;
        int minx = x1, miny = y1, maxx = -1, maxy = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (At(x, y)) {
                    minx = std::min(minx, x), maxx = std::max(maxx, x);
                    miny = std::min(miny, y), maxy = std::max(maxy, y);
                }
        if (maxx < 0) return SDL_Rect{0, 0, 0, 0};
        return SDL_Rect{static_cast<Sint16>(minx), static_cast<Sint16>(miny),
                        static_cast<Uint16>(maxx - minx + 1), static_cast<Uint16>(maxy - miny + 1)};
    }
    // The same as "x,y wxh"; "none" when all are black.
    std::string Lit(int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const
    {
        const SDL_Rect r = Bounds(x0, y0, x1, y1);
        if (r.w == 0) return "none";
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
               std::to_string(r.h);
    }
};

// The SDL back-end's screen surface.
inline frame ReadScreen()
{
    frame f{Screen()->w, Screen()->h, {}};
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) f.pixels.push_back(PixelAt(x, y));
    return f;
}

// The lit part of a region of the SDL back-end's screen, as frame::Lit.
inline std::string Lit(int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    return ReadScreen().Lit(x0, y0, x1, y1);
}

// The status line of a 600 x 375 frame, drawn over a bar of colour `bar` at
// columns 10 to 30 of its row 23: pure green text, on black for a third of a
// unit around it, and the bar beyond.
inline void ExpectStatusOnBand(const frame &f, Uint32 bar)
{
    auto text_or_black = [&](int x, int y) { return (f.At(x, y) & 0xFF00FF) == 0; };
    int left = 450, right = 150;
    for (int y = 345; y < 360; ++y)
        for (int x = 150; x < 450; ++x)
            if (f.At(x, y) && text_or_black(x, y))
                left = std::min(left, x), right = std::max(right, x);
    ASSERT_LT(left, right) << "no status text";
    for (int y = 345; y < 360; ++y) {
        for (int x = left - 5; x <= right + 5; ++x)
            ASSERT_TRUE(text_or_black(x, y)) << std::hex << f.At(x, y) << " at " << x << "," << y;
        ASSERT_EQ(f.At(151, y), bar);
        ASSERT_EQ(f.At(448, y), bar);
    }
}

// The colour word drawn for a linear colour under software gamma.
inline Uint32 Corrected(Uint32 col)
{
    return vimage::ImageGammaRGB(col);
}

inline SDL_Event KeyEvent(SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_Event ev{};
    ev.type = ev.key.type = SDL_KEYDOWN;
    ev.key.state = SDL_PRESSED;
    ev.key.keysym.sym = sym;
    ev.key.keysym.mod = mod;
    return ev;
}

inline SDL_Event OfType(Uint8 type)
{
    SDL_Event ev{};
    ev.type = type;
    return ev;
}
