// events.cpp - input, the tick timer, the status line and error messages.
//
// ImageWaitEvent is the only way callers wait for input. It answers the
// library's own keys (help, antialiasing switches, gamma sample, screenshot,
// frame rate, quit) and hands every other event back.
//
// The tick: a timer on SDL's timer thread pushes an SDL_USEREVENT every 10 ms
// unless one is already waiting, so a waiting caller wakes regularly to
// animate, and ticks never pile up while it is busy. A tick never delays
// input: when a tick comes out of the queue while a key press, a mouse button
// or a quit request waits behind it, that event is taken instead.
//
// Depends on: present.cpp (the overlay flags), the bound back-end record
// (the antialiasing keys).

#include "image_internal.h"

#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace vimage {

// The message of the last failure, formatted here: the texts it is made from
// (SDL's error, strerror's) change with later calls. Null until the first
// failure.
static std::array<char, 256> error_text{};
static const char *image_error = nullptr;

// How many calls that talk to the display the main thread is inside.
static int display_calls = 0;

display_call::display_call()
{
    ++display_calls;
}
display_call::~display_call()
{
    --display_calls;
}

// An exit from inside such a call comes from below SDL: the X library ends
// the process when the display connection is lost. The application's exit
// handler (SDL_Quit) would then talk to the lost display again, or wait for
// the tick timer's thread blocked on the event queue that the interrupted
// wait still holds, and the process would hang instead of ending. So such an
// exit ends at once, with the status the X library gives it.
static void EndDuringDisplayCall()
{
    if (display_calls == 0) return;
    std::fflush(nullptr);
    std::_Exit(1);
}

void GuardExitDuringDisplayCalls()
{
    static const bool registered = std::atexit(EndDuringDisplayCall) == 0;
    (void)registered;
}

// Every failure is recorded and reported once, as the line "Vantor: <message>"
// on the standard error stream; a program that ends with ImageError() need not
// print it again.
int SetError(const char *format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(error_text.data(), error_text.size(), format, args);
    va_end(args);
    if (!error_text[0])
        std::snprintf(error_text.data(), error_text.size(), "An unknown error occurred.");
    image_error = error_text.data();
    std::fprintf(stderr, "Vantor: %s\n", image_error);
    return -1;
}

Uint32 TimerFunc(Uint32 interval, void *)
{
    SDL_Event tick{}; // no field left to chance, the user fields included
    if (SDL_PeepEvents(&tick, 1, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT)) == 0) {
        tick.type = SDL_USEREVENT;
        SDL_PushEvent(&tick);
    }
    return interval;
}

static void Toggle(int &flag)
{
    flag = !flag;
}

bool LibraryKey(const SDL_keysym &key)
{
    if (key.sym >= SDLK_NUMLOCK && key.sym <= SDLK_COMPOSE) return true; // a modifier alone
    switch (key.sym) {
    case SDLK_F1:
        Toggle(overlay.show_help);
        return true;
    case SDLK_F5:
    case SDLK_F6:
    case SDLK_F7:
        bound->antialias_key(key.sym, key.mod); // the SDL back-end's ignores them
        return true;
    case SDLK_F8:
        Toggle(overlay.show_gamma);
        return true;
    case SDLK_F11:
        overlay.save_screenshot = 1;
        return true;
    case SDLK_F12:
        Toggle(overlay.show_fps);
        ImageStatus(overlay.show_fps ? "FPS display enabled." : "FPS display disabled.");
        return true;
    case SDLK_q:
        if (key.mod & (KMOD_CTRL | KMOD_ALT | KMOD_META)) std::exit(0);
        return false;
    default:
        return false;
    }
}

Uint32 FlashAt(Uint32 col, Uint32 ticks)
{
    const double phase = ticks % 1024;
    const double fact = 1.0 + std::fabs(phase - 512.0) / 256.0;
    auto scale = [fact](Uint32 c) {
        const double v = c * fact + 0.5;
        return v >= 255.0 ? Uint32{255} : static_cast<Uint32>(v);
    };
    return scale(col >> 16) << 16 | scale((col >> 8) & 0xff) << 8 | scale(col & 0xff);
}

} // namespace vimage

using namespace vimage;

extern "C" int ImageWaitEvent(SDL_Event *eventp)
{
    constexpr Uint32 input_mask = SDL_EVENTMASK(SDL_KEYDOWN) | SDL_EVENTMASK(SDL_MOUSEBUTTONDOWN) |
                                  SDL_EVENTMASK(SDL_MOUSEBUTTONUP) | SDL_EVENTMASK(SDL_QUIT);
    for (;;) {
        int got;
        {
            display_call talking;
            got = SDL_WaitEvent(eventp);
        }
        if (!got) {
            SetError("%s", SDL_GetError());
            return 0;
        }
        // A tick gives way to input waiting behind it.
        if (eventp->type == SDL_USEREVENT &&
            SDL_PeepEvents(eventp, 1, SDL_GETEVENT, input_mask) != 1) {
            eventp->type = SDL_USEREVENT; // a failed peek may have written to it
            return 1;
        }
        if (eventp->type != SDL_KEYDOWN || !LibraryKey(eventp->key.keysym)) return 1;
    }
}

extern "C" void ImageStatus(const char *msg, ...)
{
    std::va_list args;
    va_start(args, msg);
    // vsnprintf cuts a long message at 63 characters and terminates it.
    std::vsnprintf(overlay.status.data(), overlay.status.size(), msg, args);
    va_end(args);
    overlay.status_time = SDL_GetTicks();
}

extern "C" const char *ImageError(void)
{
    return image_error;
}

extern "C" Uint32 ImageFlash(Uint32 col)
{
    return FlashAt(col, SDL_GetTicks());
}

extern "C" void ImagePleaseWait(void)
{
    TextC(20.0f, 12.0f, "Please wait...", 0xFFFFFF);
}
