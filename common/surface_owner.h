// surface_owner.h - the owner of an SDL surface, freed when its owner goes.
//
// Shared by the display library and the setup's gamma page. Apart from
// owners.h because it needs SDL's header, which the build's tools do not.
// Not part of the public interface: the game includes only image.h.
#pragma once

#include <SDL.h>

#include <memory>

struct surface_deleter {
    void operator()(SDL_Surface *surface) const { SDL_FreeSurface(surface); }
};
using surface_ptr = std::unique_ptr<SDL_Surface, surface_deleter>;
