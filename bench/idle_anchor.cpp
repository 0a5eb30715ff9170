// idle_anchor.cpp - the idle benchmark's anchor: a bare window that clears
// and presents itself at every tick of a 10 ms timer, as a program with no
// idea of idleness would.
//
// idle-anchor WIDTH HEIGHT opens a window of that size with the setup's
// video flags and runs until it is closed or killed. Each tick (an
// SDL_USEREVENT pushed by the timer unless one already waits, as the display
// library does) fills the whole screen surface and flips it. bench/idle.sh
// measures it beside the setup on the same runtime and X server.

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr Uint32 TICK_MS = 10;
constexpr Uint32 VIDEO_FLAGS = SDL_HWSURFACE | SDL_ANYFORMAT | SDL_DOUBLEBUF;

Uint32 Tick(Uint32 interval, void *)
{
    SDL_Event tick{};
    if (SDL_PeepEvents(&tick, 1, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT)) == 0) {
        tick.type = SDL_USEREVENT;
        SDL_PushEvent(&tick);
    }
    return interval;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) return 2;
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) return 1;
    std::atexit(SDL_Quit);
    SDL_WM_SetCaption("Idle anchor", "Idle anchor");
    SDL_Surface *screen = SDL_SetVideoMode(width, height, 32, VIDEO_FLAGS);
    if (!screen || !SDL_AddTimer(TICK_MS, Tick, nullptr)) return 1;
    SDL_Event ev;
    while (SDL_WaitEvent(&ev) && ev.type != SDL_QUIT) {
        if (ev.type != SDL_USEREVENT) continue;
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
        SDL_Flip(screen);
    }
    return 0;
}
