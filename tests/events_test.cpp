// Waiting for input: ticks giving way to input, the library's own keys and
// their status messages, the status line, the flash colour and the error
// record.

#include "display.h"

#include <cstring>
#include <string>

using vimage::overlay;

namespace {

SDL_Event KeyDown(SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN;
    ev.key.type = SDL_KEYDOWN;
    ev.key.state = SDL_PRESSED;
    ev.key.keysym.sym = sym;
    ev.key.keysym.mod = mod;
    return ev;
}

SDL_Event OfType(Uint8 type)
{
    SDL_Event ev{};
    ev.type = type;
    return ev;
}

void Push(SDL_Event ev)
{
    ASSERT_EQ(SDL_PushEvent(&ev), 0);
}

// Empties SDL's queue, so that only the events a test pushes are waiting.
void Drain()
{
    SDL_PumpEvents();
    SDL_Event ev;
    while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0) {
    }
}

std::string Status()
{
    return overlay.status.data();
}

class Events : public ::testing::Test {
  protected:
    void SetUp() override
    {
        OpenDisplay();
        Drain();
    }
};

} // namespace

TEST_F(Events, TickGivesWayToInputWaitingBehindIt)
{
    Push(OfType(SDL_USEREVENT));
    Push(OfType(SDL_MOUSEMOTION));
    Push(KeyDown(SDLK_a));
    SDL_Event ev;
    ASSERT_EQ(ImageWaitEvent(&ev), 1);
    EXPECT_EQ(ev.type, SDL_KEYDOWN); // the tick is dropped, the motion waits
    EXPECT_EQ(ev.key.keysym.sym, SDLK_a);
    ASSERT_EQ(ImageWaitEvent(&ev), 1);
    EXPECT_EQ(ev.type, SDL_MOUSEMOTION);
}

TEST_F(Events, MotionIsNeverPreferredOverATick)
{
    Push(OfType(SDL_USEREVENT));
    Push(OfType(SDL_MOUSEMOTION));
    SDL_Event ev;
    ASSERT_EQ(ImageWaitEvent(&ev), 1);
    EXPECT_EQ(ev.type, SDL_USEREVENT);
}

TEST_F(Events, QuitAndButtonsAlsoOvertakeATick)
{
    for (Uint8 type : {SDL_QUIT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        Drain();
        Push(OfType(SDL_USEREVENT));
        Push(OfType(type));
        SDL_Event ev;
        ASSERT_EQ(ImageWaitEvent(&ev), 1);
        EXPECT_EQ(ev.type, type);
    }
}

TEST_F(Events, TheTimerKeepsOneTickWaiting)
{
    SDL_Delay(60);
    SDL_PumpEvents();
    SDL_Event ev[8];
    EXPECT_EQ(SDL_PeepEvents(ev, 8, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT)), 1);
    SDL_Event tick;
    ASSERT_EQ(ImageWaitEvent(&tick), 1);
    EXPECT_EQ(tick.type, SDL_USEREVENT);
}

TEST_F(Events, LibraryKeysAreSwallowed)
{
    // Modifier keys alone, F1, F8, F11, F12 and, in this back-end, F5 to F7
    // never reach the caller; the next key does.
    for (SDLKey sym : {SDLK_LSHIFT, SDLK_RCTRL, SDLK_NUMLOCK, SDLK_COMPOSE, SDLK_F1, SDLK_F5,
                       SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F11, SDLK_F12})
        Push(KeyDown(sym));
    Push(KeyDown(SDLK_ESCAPE));
    SDL_Event ev;
    ASSERT_EQ(ImageWaitEvent(&ev), 1);
    EXPECT_EQ(ev.key.keysym.sym, SDLK_ESCAPE);
    EXPECT_EQ(overlay.show_help, 1);
    EXPECT_EQ(overlay.show_gamma, 1);
    EXPECT_EQ(overlay.save_screenshot, 1);
    EXPECT_EQ(overlay.show_fps, 1);
    EXPECT_EQ(Status(), "FPS display enabled.");
}

TEST_F(Events, KeysThatAreHandedBack)
{
    for (SDLKey sym : {SDLK_q, SDLK_F2, SDLK_F9, SDLK_F10, SDLK_PAUSE, SDLK_RETURN}) {
        Push(KeyDown(sym, sym == SDLK_q ? KMOD_LSHIFT : KMOD_NONE));
        SDL_Event ev;
        ASSERT_EQ(ImageWaitEvent(&ev), 1);
        EXPECT_EQ(ev.key.keysym.sym, sym);
    }
}

// The OpenGL back-end's antialiasing keys, on its record alone.
TEST(AntialiasKeys, MessagesFollowWhatTheContextHas)
{
    vimage::backend_id = BACKEND_GL;
    vimage::gl_state &gl = vimage::backend.gl;
    auto press = [](SDLKey sym, SDLMod mod = KMOD_NONE) {
        SDL_keysym k{0, sym, mod, 0};
        EXPECT_TRUE(vimage::LibraryKey(k));
        return Status();
    };
    static void (*const blend)(float, float, float, float) = [](float, float, float, float) {};

    gl = {};
    gl.samples = 64;
    EXPECT_EQ(press(SDLK_F5), "Antialiasing not available.");
    EXPECT_EQ(press(SDLK_F7), "Antialiasing not available.");
    EXPECT_EQ(press(SDLK_F6), "64x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_RSHIFT), "63x supersampling.");
    gl.samples = 2;
    EXPECT_EQ(press(SDLK_F6, KMOD_LSHIFT), "2x supersampling.");

    // An accumulation buffer without glBlendColor: F5 always forces accum on.
    gl = {};
    gl.have_accum = 1;
    EXPECT_EQ(press(SDLK_F5), "Antialiasing enabled.");
    EXPECT_EQ(gl.accum, 1);
    gl.accum = 0;
    EXPECT_EQ(press(SDLK_F5), "Antialiasing disabled.");
    EXPECT_EQ(gl.accum, 1);
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer is mandatory.");
    EXPECT_EQ(gl.accum, 1);

    gl = {};
    gl.glBlendColorp = blend;
    EXPECT_EQ(press(SDLK_F7), "No accumulation buffer available.");
    gl.have_accum = 1;
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer enabled.");
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer disabled.");
    EXPECT_EQ(press(SDLK_F5), "Antialiasing enabled.");
    EXPECT_EQ(gl.accum, 0); // with a blend colour F5 leaves the method alone
}

TEST(QuitKey, QWithCtrlAltOrMetaEndsTheProcess)
{
    for (SDLMod mod : {KMOD_LCTRL, KMOD_RCTRL, KMOD_LALT, KMOD_RALT, KMOD_LMETA,
                       static_cast<SDLMod>(KMOD_LCTRL | KMOD_LSHIFT)}) {
        SDL_keysym q{0, SDLK_q, mod, 0};
        EXPECT_EXIT(vimage::LibraryKey(q), ::testing::ExitedWithCode(0), "");
    }
}

TEST(Status, LongMessagesAreCutAndTerminated)
{
    const std::string long_text(100, 'x');
    ImageStatus("%s", long_text.c_str());
    EXPECT_EQ(Status(), long_text.substr(0, 63));
    ImageStatus("%dx supersampling.", 12);
    EXPECT_EQ(Status(), "12x supersampling.");
}

TEST(Errors, TheLastMessageIsKept)
{
    EXPECT_EQ(ImageError(), nullptr);
    vimage::SetError("first");
    vimage::SetError("second");
    EXPECT_STREQ(ImageError(), "second");
}

TEST(Flash, TriangleWaveOverOneSecond)
{
    using vimage::FlashAt;
    EXPECT_EQ(FlashAt(0x000000, 0), 0x000000u);
    EXPECT_EQ(FlashAt(0xFFFFFF, 300), 0xFFFFFFu);
    EXPECT_EQ(FlashAt(0x808080, 512), 0x808080u);
    EXPECT_EQ(FlashAt(0x808080, 0), 0xFFFFFFu);
    EXPECT_EQ(FlashAt(0x808080, 1024 + 512), 0x808080u); // periodic
    EXPECT_EQ(FlashAt(0x204060, 0), 0x60C0FFu);          // blue saturates
    EXPECT_EQ(FlashAt(0x204060, 768), 0x4080C0u);        // factor 2 halfway back up
    EXPECT_EQ(FlashAt(0x290b3e, 384), 0x3E115Du);        // factor 1.5, rounded
}

TEST(Flash, BitsAboveRedCountAsRed)
{
    EXPECT_EQ(vimage::FlashAt(0x01000000, 512), 0xFF0000u);
}
