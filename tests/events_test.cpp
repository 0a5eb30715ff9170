// Waiting for input: the library's keys, the tick; gamepad input as keys, the translation and its
// repeat. The numeric entry's pad steps: the pages' entry table; the pages driven by a pad: the
// flows' pad rows.

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

SDL_Event Hat(int value, Uint8 which = 0, Uint8 hat = 0)
{
    return {.jhat = {SDL_JOYHATMOTION, which, hat, static_cast<Uint8>(value)}};
}
SDL_Event Axis(Uint8 axis, int value, Uint8 which = 0)
{
    return {.jaxis = {SDL_JOYAXISMOTION, which, axis, static_cast<Sint16>(value)}};
}
SDL_Event Button(Uint8 button, bool down = true)
{
    return {.jbutton = {down ? Uint8{SDL_JOYBUTTONDOWN} : Uint8{SDL_JOYBUTTONUP}, 0, button, down}};
}
const SDL_Event TICK = Event(SDL_USEREVENT);

// "+U" a key down (U D L R, Ret, Esc), "-U" a key up, "j" the pad's own event, "t" a tick.
std::string Said(const SDL_Event &ev)
{
    const std::string sign = ev.type == SDL_KEYDOWN ? "+" : "-";
    const std::pair<SDLKey, const char *> names[] = {{SDLK_UP, "U"},       {SDLK_DOWN, "D"},
                                                     {SDLK_LEFT, "L"},     {SDLK_RIGHT, "R"},
                                                     {SDLK_RETURN, "Ret"}, {SDLK_ESCAPE, "Esc"}};
    for (auto [sym, name] : names)
        if ((ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) && ev.key.keysym.sym == sym)
            return sign + name + " ";
    return ev.type == SDL_USEREVENT ? "t " : "j ";
}

} // namespace

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
}

// The timer queues a tick only while none waits: ticks never pile up behind a busy caller.
TEST(Events, OneTickWaitsNotOnePerInterval)
{
    StartSDL(); // the timer's function alone, without the library's timer thread
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vimage::TimerFunc(10, nullptr), 10u);
    SDL_Event ticks[4];
    SDL_PumpEvents();
    EXPECT_EQ(SDL_PeepEvents(ticks, 4, SDL_GETEVENT, SDL_EVENTMASK(SDL_USEREVENT)), 1);
}

TEST(Pad, KeysTheyStandForRepeatHandedOnEntrySteps)
{
    // Events at times (ms; a tick asks for a due repeat) and what comes out.
    // clang-format off
    const std::pair<std::vector<std::pair<Uint32, SDL_Event>>, std::string> rows[] = {
        {{{0, Hat(SDL_HAT_UP)}, {0, Hat(SDL_HAT_CENTERED)}, {0, Hat(SDL_HAT_UP, 0, 1)}}, "+U j -U j j "},
        {{{0, Hat(SDL_HAT_RIGHTUP)}, {0, Hat(SDL_HAT_RIGHT)}, {0, Hat(SDL_HAT_LEFT)}}, "+U j -U +R j -R +L j "},
        // The stick counts from half its travel; vertical before horizontal; axis 2 is no stick.
        {{{0, Axis(1, 16383)}, {0, Axis(1, 16384)}, {0, Axis(1, -16384)}, {0, Axis(1, -16383)}}, "j +D j -D +U j -U j "},
        {{{0, Axis(0, 20000)}, {0, Axis(1, -32768)}, {0, Axis(2, 32767)}}, "+R j -R +U j j "},
        {{{0, Button(0)}, {0, Button(0, false)}, {0, Button(1)}, {0, Button(7)}, {0, Button(6)}, {0, Button(2)}},
         "+Ret j -Ret j +Esc j +Ret j j j "},
        // Held: 500 ms, then every 30, once for a late tick; a stick moving on within its
        // direction does not restart it.
        {{{1000, Hat(SDL_HAT_DOWN)}, {1499, TICK}, {1500, TICK}, {1529, TICK}, {1530, TICK}, {1700, TICK},
          {1701, TICK}, {1740, Hat(SDL_HAT_CENTERED)}, {1800, TICK}}, "+D j +D +D +D -D j "},
        {{{0, Axis(1, 20000)}, {300, Axis(1, 25000)}, {500, TICK}}, "+D j j +D "},
        // The direction pushed last repeats: another control or pad letting go ends nothing. Each
        // pad counts.
        {{{0, Axis(1, 30000)}, {100, Axis(1, -100, 1)}, {500, TICK}, {600, Hat(SDL_HAT_UP)}, {1099, TICK},
          {1100, Axis(1, 0)}, {1100, TICK}, {1200, Hat(SDL_HAT_LEFT, 1)}}, "+D j j +D +U j -D j +U +L j "},
    };
    // clang-format on
    for (const auto &[steps, said] : rows) {
        vimage::pad_state p;
        std::string out;
        for (const auto &[now, ev] : steps) {
            SDL_Event key;
            if (ev.type == SDL_USEREVENT && vimage::PadRepeat(p, now, key)) out += Said(key);
            const vimage::pad_events got = vimage::PadInput(p, ev, now);
            for (int i = 0; i < got.count && ev.type != SDL_USEREVENT; ++i)
                out += Said(got.events[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(out, said);
    }

    // Through ImageWaitEvent, pushed into SDL's queue with no pad open: a waiting tick gives way
    // to a button or a hat, the stick before it keeping its place; with the keys off, the pad's
    // own events come alone.
    Open();
    SDL_Event ev;
    auto next = [&ev](int n, std::string said = "") {
        while (n-- > 0 && ImageWaitEvent(&ev)) said += Said(ev);
        return said;
    };
    for (SDL_Event e : {TICK, Axis(1, 30000), Button(1)}) SDL_PushEvent(&e);
    const std::string keys_on = next(4);
    EXPECT_EQ(ImagePadKeys(0), 0);
    for (SDL_Event e : {Button(0), Hat(SDL_HAT_UP)}) SDL_PushEvent(&e);
    EXPECT_EQ(keys_on + next(2), "+D j +Esc j j j ");
    EXPECT_EQ(ImagePadKeys(-1), 0);
    EXPECT_EQ(ImagePadKeys(1), 1);
}
