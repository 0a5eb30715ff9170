// png_corpus.h - PNG files and what each decodes to or why it is refused (tests, fuzz seeds).
#pragma once

#include <string>
#include <vector>

struct corpus_entry {
    std::string name;                 // a file name, unique in the corpus
    std::vector<unsigned char> bytes; // the file
    bool valid = true;                // whether it decodes
    int width = 0, height = 0;
    std::vector<unsigned char> rgba; // 8-bit R, G, B, A, top row first
    int tolerance = 0;               // of the colour bytes
    std::string message;             // of a refusal
};

// The corpus, with the pixels expected when decoding for `screen_gamma`.
std::vector<corpus_entry> MakeCorpus(double screen_gamma);
