// owners.h - owners of the C libraries' handles, one set for the whole tree.
//
// The display library, the setup programs and the build's own tools (data/,
// bench/) hold open files, SDL surfaces and malloc'd buffers; these are their
// owners, each releasing its handle when it goes. Not part of the public
// interface: the game includes only image.h.
//
// Depends on: the C library; SDL for the surface owner, whose release lives
// in the display library (sdl/sdl_backend.cpp), so that this header needs no
// SDL header and the build's tools that never touch a surface need no SDL.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

// An open file, closed when its owner goes.
struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// An SDL surface, freed when its owner goes.
struct SDL_Surface;
struct surface_deleter {
    void operator()(SDL_Surface *s) const;
};
using surface_ptr = std::unique_ptr<SDL_Surface, surface_deleter>;

// Memory from malloc, freed when its owner goes.
struct free_deleter {
    void operator()(void *p) const { std::free(p); }
};
template <class T>
using malloc_ptr = std::unique_ptr<T, free_deleter>;
