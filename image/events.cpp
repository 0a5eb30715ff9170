// events.cpp - input, the tick timer, the status line and error messages.
//
// ImageWaitEvent is the only way callers wait for input. It answers the
// library's own keys (help, antialiasing switches, gamma sample, screenshot,
// frame rate, quit), turns gamepad input into the keys it stands for, and
// hands every other event back.
//
// The tick: a timer on SDL's timer thread pushes an SDL_USEREVENT every 10 ms
// unless one is already waiting, so a waiting caller wakes regularly to
// animate, and ticks never pile up while it is busy. A tick never delays
// input: a tick that comes out of the queue while a key press, a mouse button
// or a quit request (or a pad's button or hat) waits behind it is dropped,
// and the events come in the order they were queued, so that a stick let go
// or the mouse moved onto an item counts before the press that follows it.
//
// Gamepads drive the pages as the keyboard does, so that the menu, the
// setup's numeric entry and a game's own key handling need nothing of their
// own. Each pad event comes out as the key events it stands for, then as
// itself (unless ImagePadKeys turned the keys off):
//   - hat 0, and the left stick (axes 0 and 1) pushed past half its travel,
//     are the arrow keys: a key down as a direction comes, a key up as it
//     goes. Where two directions are pushed at once (a diagonal), the
//     vertical one counts, since pages are columns of items;
//   - button 0 (A on an Xbox-style pad, as Steam Input presents the Steam
//     Deck) and button 7 (Start) are Return, button 1 (B) is Escape; other
//     buttons stand for nothing.
// The direction pushed last repeats while it is held, as a held key does
// with the repeat ImageInit gives SDL: after KEY_REPEAT_DELAY, then every
// KEY_REPEAT_INTERVAL. The tick drives it (a due repeat comes out in the
// tick's place), so a repeat is at most one tick late, and a busy caller
// gets one repeat when it next waits, not a burst. Each pad keeps its own
// controls, so that one pad's resting stick cannot let go of another's hat.
//
// Depends on: present.cpp (the overlay flags), the bound back-end record
// (the antialiasing keys).

#include "image_internal.h"

#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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
    if (key.sym != SDLK_q) pacing.redraw = 1; // each of the others changes what frames show
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

pad_state pad;

namespace {

constexpr Uint8 PAD_HAT = 0;
constexpr Uint8 STICK_X = 0, STICK_Y = 1; // the left stick's axes
constexpr int HAT_CONTROL = 0, STICK_CONTROL = 1;
constexpr Uint8 BUTTON_A = 0, BUTTON_B = 1, BUTTON_START = 7;

SDLKey HatKey(Uint8 hat)
{
    if (hat & SDL_HAT_UP) return SDLK_UP;
    if (hat & SDL_HAT_DOWN) return SDLK_DOWN;
    if (hat & SDL_HAT_LEFT) return SDLK_LEFT;
    if (hat & SDL_HAT_RIGHT) return SDLK_RIGHT;
    return SDLK_UNKNOWN;
}

SDLKey StickKey(int x, int y)
{
    if (y <= -AXIS_PUSHED) return SDLK_UP;
    if (y >= AXIS_PUSHED) return SDLK_DOWN;
    if (x <= -AXIS_PUSHED) return SDLK_LEFT;
    if (x >= AXIS_PUSHED) return SDLK_RIGHT;
    return SDLK_UNKNOWN;
}

SDLKey ButtonKey(Uint8 button)
{
    switch (button) {
    case BUTTON_A:
    case BUTTON_START:
        return SDLK_RETURN;
    case BUTTON_B:
        return SDLK_ESCAPE;
    default:
        return SDLK_UNKNOWN;
    }
}

SDL_Event KeyEvent(Uint8 type, SDLKey sym)
{
    SDL_Event ev{};
    ev.key.type = type;
    ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = sym;
    return ev;
}

void Add(pad_events &out, const SDL_Event &ev)
{
    out.events[static_cast<size_t>(out.count++)] = ev;
}

// A direction control of a pad going from key `was` to key `is`.
void Direction(pad_state &p, pad_events &out, int which, int control, SDLKey was, SDLKey is,
               Uint32 now)
{
    if (is == was) return;
    if (was != SDLK_UNKNOWN) Add(out, KeyEvent(SDL_KEYUP, was));
    if (is != SDLK_UNKNOWN) {
        Add(out, KeyEvent(SDL_KEYDOWN, is));
        p.held = is, p.held_pad = which, p.held_control = control;
        p.next_repeat = now + KEY_REPEAT_DELAY;
    } else if (p.held_pad == which && p.held_control == control) {
        p.held = SDLK_UNKNOWN;
    }
}

bool IsPadEvent(Uint8 type)
{
    return type == SDL_JOYAXISMOTION || type == SDL_JOYBALLMOTION || type == SDL_JOYHATMOTION ||
           type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP;
}

// The pads ImageInit opened, closed as the process ends. The owners are made
// during ImageInit, after the application registered its SDL_Quit, so they
// go first; where SDL's joystick subsystem is down already (an SDL_Quit of
// the application's own), SDL has let go of the pads and they are left alone.
struct pad_closer {
    void operator()(SDL_Joystick *j) const
    {
        if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_JoystickClose(j);
    }
};
using pad_ptr = std::unique_ptr<SDL_Joystick, pad_closer>;

} // namespace

pad_events PadInput(pad_state &p, const SDL_Event &ev, Uint32 now)
{
    pad_events out;
    switch (ev.type) {
    case SDL_JOYHATMOTION: {
        pad_controls &c = p.pads[ev.jhat.which];
        if (ev.jhat.hat != PAD_HAT) break;
        Direction(p, out, ev.jhat.which, HAT_CONTROL, HatKey(c.hat), HatKey(ev.jhat.value), now);
        c.hat = ev.jhat.value;
        break;
    }
    case SDL_JOYAXISMOTION: {
        pad_controls &c = p.pads[ev.jaxis.which];
        if (ev.jaxis.axis != STICK_X && ev.jaxis.axis != STICK_Y) break;
        const SDLKey was = StickKey(c.x, c.y);
        (ev.jaxis.axis == STICK_X ? c.x : c.y) = ev.jaxis.value;
        Direction(p, out, ev.jaxis.which, STICK_CONTROL, was, StickKey(c.x, c.y), now);
        break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (const SDLKey sym = ButtonKey(ev.jbutton.button))
            Add(out, KeyEvent(ev.type == SDL_JOYBUTTONDOWN ? SDL_KEYDOWN : SDL_KEYUP, sym));
        break;
    default:
        break;
    }
    Add(out, ev);
    return out;
}

bool PadRepeat(pad_state &p, Uint32 now, SDL_Event &key)
{
    // Compared as a difference, so that it holds across the 49-day wrap.
    if (p.held == SDLK_UNKNOWN || static_cast<Sint32>(now - p.next_repeat) < 0) return false;
    key = KeyEvent(SDL_KEYDOWN, p.held);
    p.next_repeat = now + KEY_REPEAT_INTERVAL;
    return true;
}

void OpenPads()
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return;
    static std::vector<pad_ptr> opened;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (!SDL_JoystickOpened(i))
            if (pad_ptr j{SDL_JoystickOpen(i)}) opened.push_back(std::move(j));
    SDL_JoystickEventState(SDL_ENABLE);
}

// An exposed window, or one restored from an icon: what it showed is gone,
// so the next present shows the whole frame.
bool ShowsWindowAgain(const SDL_Event &ev)
{
    return ev.type == SDL_VIDEOEXPOSE ||
           (ev.type == SDL_ACTIVEEVENT && ev.active.gain && (ev.active.state & SDL_APPACTIVE));
}

} // namespace vimage

using namespace vimage;

extern "C" int ImageWaitEvent(SDL_Event *eventp)
{
    constexpr Uint32 input_mask = SDL_EVENTMASK(SDL_KEYDOWN) | SDL_EVENTMASK(SDL_MOUSEBUTTONDOWN) |
                                  SDL_EVENTMASK(SDL_MOUSEBUTTONUP) | SDL_EVENTMASK(SDL_QUIT) |
                                  SDL_EVENTMASK(SDL_JOYBUTTONDOWN) |
                                  SDL_EVENTMASK(SDL_JOYHATMOTION);
    for (;;) {
        if (pad.next_pending < pad.pending.count) {
            *eventp = pad.pending.events[static_cast<size_t>(pad.next_pending++)];
            return 1;
        }
        int got;
        {
            display_call talking;
            got = SDL_WaitEvent(eventp);
        }
        if (!got) {
            SetError("%s", SDL_GetError());
            return 0;
        }
        if (eventp->type == SDL_USEREVENT) {
            SDL_Event waiting;
            if (SDL_PeepEvents(&waiting, 1, SDL_PEEKEVENT, input_mask) == 1) continue;
            PadRepeat(pad, SDL_GetTicks(), *eventp); // or a held direction's repeat
            return 1;
        }
        if (pad.keys && IsPadEvent(eventp->type)) {
            pad.pending = PadInput(pad, *eventp, SDL_GetTicks());
            pad.next_pending = 0;
            continue;
        }
        if (ShowsWindowAgain(*eventp)) pacing.whole = 1;
        if (eventp->type != SDL_KEYDOWN || !LibraryKey(eventp->key.keysym)) return 1;
    }
}

extern "C" int ImagePadKeys(int on)
{
    if (on >= 0 && (on != 0) != (pad.keys != 0)) {
        // What the controls held was not followed meanwhile, or is no more.
        pad.keys = on != 0;
        pad.pads = {};
        pad.held = SDLK_UNKNOWN;
    }
    return pad.keys;
}

extern "C" void ImageStatus(const char *msg, ...)
{
    std::va_list args;
    va_start(args, msg);
    // vsnprintf cuts a long message to the line's storage and terminates it.
    std::vsnprintf(overlay.status.data(), overlay.status.size(), msg, args);
    va_end(args);
    overlay.status_time = SDL_GetTicks();
    pacing.redraw = 1;
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
