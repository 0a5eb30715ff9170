// owners.h - owners of the C library's handles: open files and malloc'd
// buffers, each released when its owner goes.
//
// Shared by the display library, the setup programs and the tests' tools
// (bench/, fuzz/), which need nothing but the C library for them. The
// owner of an SDL surface is in surface_owner.h, so that the tools that never
// touch a surface need no SDL. Handles of a single library's own kinds have
// their owners beside their one user (FreeType's in font.cpp, libpng's read
// structures in png.cpp, its write structures in png_writer.h and, for the
// build's own PNG writer, png_write.cpp). Not part of
// the public interface: the game includes only image.h.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

// An open file, closed when its owner goes.
struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// Memory from malloc, freed when its owner goes.
struct free_deleter {
    void operator()(void *p) const { std::free(p); }
};
template <class T>
using malloc_ptr = std::unique_ptr<T, free_deleter>;
