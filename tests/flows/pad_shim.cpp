// pad-shim - a gamepad for the flows, which have none: preloaded into the program under test
// (LD_PRELOAD), it reads the file named by VANTOR_PAD_FIFO (a FIFO the flow writes) and pushes
// the joystick events it names into SDL's queue, from a thread of its own, as pad 0 would send
// them. Lines: "button N" (pressed, then let go), "hat VALUE" (hat 0), "axis N VALUE". Built for
// the flows only; never installed.

#include <SDL.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr Uint32 FULL_QUEUE_WAIT_MS = 5; // SDL's queue holds 128 events: let the program catch up

void Push(SDL_Event ev)
{
    while (SDL_PushEvent(&ev) != 0) SDL_Delay(FULL_QUEUE_WAIT_MS);
}

void Feed(const std::string &path)
{
    std::ifstream in(path); // waits for the flow to open the FIFO
    std::string kind;
    int index = 0, value = 0;
    while (in >> kind >> index) {
        SDL_Event ev{};
        if (kind == "button") {
            ev.jbutton = {SDL_JOYBUTTONDOWN, 0, static_cast<Uint8>(index), SDL_PRESSED};
            Push(ev);
            ev.jbutton = {SDL_JOYBUTTONUP, 0, static_cast<Uint8>(index), SDL_RELEASED};
        } else if (kind == "hat") {
            ev.jhat = {SDL_JOYHATMOTION, 0, 0, static_cast<Uint8>(index)};
        } else if (kind == "axis" && in >> value) {
            ev.jaxis = {SDL_JOYAXISMOTION, 0, static_cast<Uint8>(index),
                        static_cast<Sint16>(value)};
        } else {
            continue;
        }
        Push(ev);
    }
}

// As the program is loaded. The variables go, so that the programs it starts (the setup's
// display test, the sanitizers' symbolizer) neither read the same FIFO nor load the shim.
__attribute__((constructor)) void Start()
{
    unsetenv("LD_PRELOAD");
    const char *path = std::getenv("VANTOR_PAD_FIFO");
    if (!path) return;
    std::thread(Feed, std::string(path)).detach();
    unsetenv("VANTOR_PAD_FIFO");
}

} // namespace
