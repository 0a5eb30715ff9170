// png_corpus.h - a corpus of PNG files made with libpng's writer, and what
// each must decode to: every colour type and bit depth, interlaced and not,
// tRNS, gAMA, odd sizes, and damaged copies (truncated, bad CRCs, bad
// signatures, impossible headers). Used by the loader's tests and as the seed
// corpus of its fuzz target.
#pragma once

#include <string>
#include <vector>

struct corpus_entry {
    std::string name;                 // a file name, unique in the corpus
    std::vector<unsigned char> bytes; // the file
    bool valid = true;                // whether it decodes
    int width = 0, height = 0;
    // The expected decoding as 8-bit R, G, B, A, top row first, each byte
    // within `tolerance` of the decoder's (0: exact).
    std::vector<unsigned char> rgba;
    int tolerance = 0;
    // For a file that must fail: the message; empty when the file may also
    // decode (damage that zlib may or may not notice).
    std::string message;
};

// The corpus, with the pixels expected when decoding for `screen_gamma`.
std::vector<corpus_entry> MakeCorpus(double screen_gamma);

// One chunk: length, type, data and CRC.
std::vector<unsigned char> PngChunk(const char *type, const std::vector<unsigned char> &data);
