// Waiting for input: ticks giving way to input, the library's own keys and
// their status messages, the status line, the flash colour and the error
// record.

#include "display.h"

#include <string>

using vimage::overlay;

namespace {

// Pushes the events after emptying SDL's queue; returns what ImageWaitEvent
// hands back first.
SDL_Event WaitAfter(std::vector<SDL_Event> events)
{
    SDL_PumpEvents();
    SDL_Event ev;
    while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0) {
    }
    for (SDL_Event e : events) SDL_PushEvent(&e);
    ev = {};
    EXPECT_EQ(ImageWaitEvent(&ev), 1);
    return ev;
}

std::string Status()
{
    return overlay.status.data();
}

} // namespace

TEST(Events, TickGivesWayToInputWaitingBehindIt)
{
    OpenDisplay();
    SDL_Event ev = WaitAfter({OfType(SDL_USEREVENT), OfType(SDL_MOUSEMOTION), KeyEvent(SDLK_a)});
    EXPECT_EQ(ev.key.keysym.sym, SDLK_a); // the tick is dropped, the motion waits
    ASSERT_EQ(ImageWaitEvent(&ev), 1);
    EXPECT_EQ(ev.type, SDL_MOUSEMOTION);
    for (Uint8 type : {SDL_QUIT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
        EXPECT_EQ(WaitAfter({OfType(SDL_USEREVENT), OfType(type)}).type, type);
    // Motion alone never overtakes a tick.
    EXPECT_EQ(WaitAfter({OfType(SDL_USEREVENT), OfType(SDL_MOUSEMOTION)}).type, SDL_USEREVENT);
    // The timer keeps one tick waiting, not one per interval: six intervals
    // after the first tick (which a busy machine may be late with).
    SDL_Event ticks[8];
    auto waiting = [&ticks] {
        SDL_PumpEvents();
        return SDL_PeepEvents(ticks, 8, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT));
    };
    for (int ms = 0; ms < 2000 && waiting() == 0; ms += 10) SDL_Delay(10);
    SDL_Delay(60);
    EXPECT_EQ(waiting(), 1);
    EXPECT_TRUE(ticks[0].user.code == 0 && !ticks[0].user.data1 && !ticks[0].user.data2);
}

TEST(Events, LibraryKeysAreSwallowedOthersHandedBack)
{
    OpenDisplay();
    // Modifier keys alone, F1, F8, F11, F12 and, in this back-end, F5 to F7.
    std::vector<SDL_Event> keys;
    for (SDLKey sym : {SDLK_LSHIFT, SDLK_RCTRL, SDLK_NUMLOCK, SDLK_COMPOSE, SDLK_F1, SDLK_F5,
                       SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F11, SDLK_F12, SDLK_ESCAPE})
        keys.push_back(KeyEvent(sym));
    EXPECT_EQ(WaitAfter(keys).key.keysym.sym, SDLK_ESCAPE);
    EXPECT_EQ(overlay.show_help, 1);
    EXPECT_EQ(overlay.show_gamma, 1);
    EXPECT_EQ(overlay.save_screenshot, 1);
    EXPECT_EQ(overlay.show_fps, 1);
    EXPECT_EQ(Status(), "FPS display enabled.");
    for (SDLKey sym : {SDLK_q, SDLK_F2, SDLK_F9, SDLK_F10, SDLK_PAUSE, SDLK_RETURN})
        EXPECT_EQ(
            WaitAfter({KeyEvent(sym, sym == SDLK_q ? KMOD_LSHIFT : KMOD_NONE)}).key.keysym.sym,
            sym);
}

// The OpenGL back-end's antialiasing keys, on its record alone.
TEST(AntialiasKeys, MessagesFollowWhatTheContextHas)
{
    vimage::Bind(vimage::gl_backend); // its keys alone, without a context
    vimage::gl_state &gl = vimage::backend.gl;
    auto press = [](SDLKey sym, SDLMod mod = KMOD_NONE) {
        EXPECT_TRUE(vimage::LibraryKey(SDL_keysym{0, sym, mod, 0}));
        return Status();
    };
    gl = {};
    gl.samples = 64;
    EXPECT_EQ(press(SDLK_F5), "Antialiasing not available.");
    EXPECT_EQ(press(SDLK_F7), "Antialiasing not available.");
    EXPECT_EQ(press(SDLK_F6), "64x supersampling.");
    EXPECT_EQ(press(SDLK_F6, KMOD_RSHIFT), "63x supersampling.");
    gl.samples = 2;
    EXPECT_EQ(press(SDLK_F6, KMOD_LSHIFT), "2x supersampling.");

    // An accumulation buffer without glBlendColor: see GLKeys in a real context.
    gl = {};
    gl.glBlendColorp = [](float, float, float, float) {};
    EXPECT_EQ(press(SDLK_F7), "No accumulation buffer available.");
    gl.have_accum = 1;
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer enabled.");
    EXPECT_EQ(press(SDLK_F7), "Accumulation buffer disabled.");
    EXPECT_EQ(press(SDLK_F5), "Antialiasing enabled.");
    EXPECT_EQ(gl.accum, 0); // with a blend colour F5 leaves the method alone
}

TEST(QuitKey, QWithCtrlAltOrMetaEndsTheProcess)
{
    for (SDLMod mod :
         {KMOD_RCTRL, KMOD_LALT, KMOD_LMETA, static_cast<SDLMod>(KMOD_LCTRL | KMOD_LSHIFT)})
        EXPECT_EXIT(vimage::LibraryKey(SDL_keysym{0, SDLK_q, mod, 0}), ::testing::ExitedWithCode(0),
                    "");
}

TEST(Status, LongMessagesAreCutAndTheLastErrorKept)
{
    const std::string long_text(100, 'x');
    ImageStatus("%s", long_text.c_str());
    EXPECT_EQ(Status(), long_text.substr(0, 63));
    ImageStatus("%dx supersampling.", 12);
    EXPECT_EQ(Status(), "12x supersampling.");
    EXPECT_EQ(ImageError(), nullptr);
    SDL_SetError("first");
    EXPECT_EQ(vimage::SetError("%s", SDL_GetError()), -1);
    SDL_SetError("second"); // SDL's text changes, the record does not
    EXPECT_STREQ(ImageError(), "first");
    vimage::SetError("%s %d", "second", 2);
    EXPECT_STREQ(ImageError(), "second 2");
}

TEST(Flash, TriangleWaveOverOneSecond)
{
    const Uint32 cases[][3] = {
        {0x000000, 0, 0x000000},     {0xFFFFFF, 300, 0xFFFFFF},  {0x808080, 512, 0x808080},
        {0x808080, 0, 0xFFFFFF},     {0x808080, 1536, 0x808080}, // periodic
        {0x204060, 0, 0x60C0FF},                                 // blue saturates
        {0x204060, 768, 0x4080C0},                               // factor 2 halfway back up
        {0x290b3e, 384, 0x3E115D},                               // factor 1.5, rounded
        {0x01000000, 512, 0xFF0000},                             // bits above red count as red
    };
    for (const auto &c : cases)
        EXPECT_EQ(vimage::FlashAt(c[0], c[1]), c[2]) << std::hex << c[0] << " at " << c[1];
}
