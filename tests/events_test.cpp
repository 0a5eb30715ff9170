// Waiting for input, the library's keys.

#include "display.h"

using vimage::overlay;

namespace {

// What ImageWaitEvent hands back first after these events alone.
SDL_Event WaitAfter(std::vector<SDL_Event> events)
{
    SDL_Event ev;
    while (SDL_PumpEvents(), SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0) continue;
    for (SDL_Event e : events) SDL_PushEvent(&e);
    EXPECT_EQ(ImageWaitEvent(&ev), 1);
    return ev;
}

} // namespace

// The library's keys and what they say; the tick giving way to input.
TEST(Events, LibraryKeysAntialiasingMessagesTickGivesWayToInput)
{
    // OpenGL's antialiasing keys for each mix of accumulation buffer and blend colour.
    vimage::Bind(vimage::gl_backend); // its keys alone, without a context
    auto noop = [](float, float, float, float) {};
    const std::tuple<bool, int, int, SDLKey, SDLMod, const char *, int> presses[] = {
        {false, 0, 64, SDLK_F5, KMOD_NONE, "Antialiasing not available.", 0},
        {false, 0, 64, SDLK_F6, KMOD_NONE, "64x supersampling.", 0},
        {false, 0, 64, SDLK_F6, KMOD_RSHIFT, "63x supersampling.", 0},
        {false, 0, 2, SDLK_F6, KMOD_LSHIFT, "2x supersampling.", 0},
        {false, 1, 2, SDLK_F5, KMOD_NONE, "Antialiasing enabled.", 1},
        {false, 1, 2, SDLK_F7, KMOD_NONE, "Accumulation buffer is mandatory.", 1},
        {false, 1, 2, SDLK_F5, KMOD_NONE, "Antialiasing disabled.", 1},
        {true, 0, 2, SDLK_F7, KMOD_NONE, "No accumulation buffer available.", 1},
        {true, 1, 2, SDLK_F7, KMOD_NONE, "Accumulation buffer disabled.", 0},
        {true, 1, 2, SDLK_F7, KMOD_NONE, "Accumulation buffer enabled.", 1},
        {true, 1, 2, SDLK_F7, KMOD_NONE, "Accumulation buffer disabled.", 0},
        {true, 1, 2, SDLK_F5, KMOD_NONE, "Antialiasing enabled.", 0}};
    for (const auto &[blend, have_accum, samples, sym, mod, status, accum] : presses) {
        vimage::gl_state &gl = vimage::backend.gl;
        gl.glBlendColorp = blend ? +noop : nullptr, gl.have_accum = have_accum;
        gl.samples = samples;
        EXPECT_TRUE(vimage::LibraryKey({0, sym, mod, 0}));
        EXPECT_STREQ(vimage::overlay.status.data(), status);
        EXPECT_EQ(gl.accum, accum) << status;
    }
    // Modifiers alone, F1, F8, F11, F12 and here F5 to F7 are the library's.
    Open();
    std::vector<SDL_Event> keys;
    for (SDLKey sym : {SDLK_LSHIFT, SDLK_RCTRL, SDLK_NUMLOCK, SDLK_COMPOSE, SDLK_F1, SDLK_F5,
                       SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F11, SDLK_F12, SDLK_ESCAPE})
        keys.push_back(Event(SDL_KEYDOWN, sym));
    EXPECT_EQ(WaitAfter(keys).key.keysym.sym, SDLK_ESCAPE);
    EXPECT_EQ(std::vector({overlay.show_help, overlay.show_gamma, overlay.save_screenshot,
                           overlay.show_fps}),
              std::vector({1, 1, 1, 1}));
    EXPECT_STREQ(overlay.status.data(), "FPS display enabled.");
    for (SDLKey sym : {SDLK_q, SDLK_F2, SDLK_F9, SDLK_F10, SDLK_PAUSE, SDLK_RETURN})
        EXPECT_EQ(WaitAfter({Event(SDL_KEYDOWN, sym, KMOD_LSHIFT)}).key.keysym.sym, sym);
    for (SDLMod mod : {KMOD_RCTRL, KMOD_LALT, KMOD_LMETA}) // Q with these ends the process
        EXPECT_EXIT(vimage::LibraryKey({0, SDLK_q, mod, 0}), testing::ExitedWithCode(0), "");
    // A tick with input behind it is dropped; the events keep their order.
    SDL_Event ev =
        WaitAfter({Event(SDL_USEREVENT), Event(SDL_MOUSEMOTION), Event(SDL_KEYDOWN, SDLK_a)});
    EXPECT_EQ(ev.type, SDL_MOUSEMOTION);
    EXPECT_TRUE(ImageWaitEvent(&ev) == 1 && ev.key.keysym.sym == SDLK_a);
    for (Uint8 type : {SDL_QUIT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
        EXPECT_EQ(WaitAfter({Event(SDL_USEREVENT), Event(type)}).type, type);
    // Motion alone never overtakes a tick.
    EXPECT_EQ(WaitAfter({Event(SDL_USEREVENT), Event(SDL_MOUSEMOTION)}).type, SDL_USEREVENT);
    EXPECT_EQ(WaitAfter({}).type, SDL_USEREVENT); // the timer ticks by itself
}

// The timer queues a tick only while none waits: ticks never pile up behind a busy caller.
TEST(Events, OneTickWaitsNotOnePerInterval)
{
    StartSDL(); // the timer's function alone, without the library's timer thread
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vimage::TimerFunc(10, nullptr), 10u);
    SDL_Event ticks[4];
    SDL_PumpEvents();
    ASSERT_EQ(SDL_PeepEvents(ticks, 4, SDL_GETEVENT, SDL_EVENTMASK(SDL_USEREVENT)), 1);
    EXPECT_TRUE(ticks[0].user.code == 0 && !ticks[0].user.data1 && !ticks[0].user.data2);
}
