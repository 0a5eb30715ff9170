// png_seeds.cpp - writes the tests' PNG corpus into FOLDER, as the seed
// corpus of the PNG fuzz target. Usage: png-seeds FOLDER

#include "png_corpus.h"
#include "png_write.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const corpus_entry &e : MakeCorpus(2.2))
        if (!WriteBytes(std::string(argv[1]) + "/" + e.name, e.bytes)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], e.name.c_str());
            return 1;
        }
    return 0;
}
