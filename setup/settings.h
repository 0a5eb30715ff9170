// settings.h - the nine display settings and the file that keeps them.
//
// The file "Vantor Settings" in the user's application-data folder holds one
// line of nine decimal integers in the record's order, separated by single
// spaces: with the defaults "0 800 600 1 0 2 22 22 22". It is what the setup
// leaves for the game.
#pragma once

#include "image.h"

#include <cstdint>
#include <string>
#include <string_view>

struct settings {
    int32_t backend; // backend_id: 0 OpenGL, 1 SDL
    int32_t width;   // display size in pixels
    int32_t height;
    int32_t flags;     // image.h's IMAGE_FULLSCREEN, IMAGE_ACCUM and
                       // IMAGE_SOFTWARE_GAMMA; other bits are carried through
    int32_t antialias; // 0 off, 1 on
    int32_t samples;   // supersampling samples per pixel, 2..64
    int32_t gamma_r;   // gamma in tenths (22 means 2.2), 1..50
    int32_t gamma_g;
    int32_t gamma_b;
};

inline constexpr settings defaults{BACKEND_GL, 800, 600, IMAGE_FULLSCREEN, 0, 2, 22, 22, 22};

// The path of the settings file, the same text on every call.
const char *ConfFile();

// Makes ConfFile() the given path instead (the command line's --config). To
// be called before anything reads or writes the settings.
void SetConfFile(const char *path);

// Fills the record from the settings file. 0 when the file was opened,
// whatever it held; -1 when it cannot be opened, with the defaults in place.
int LoadSettings(settings *settingsp);

// Replaces the settings file with the record. 0 when the whole file was
// written; -1 otherwise, and then the previous file is left as it was.
int SaveSettings(const settings *settingsp);

// The same for an explicit path.
int LoadSettingsFrom(const char *path, settings *settingsp);
int SaveSettingsTo(const char *path, const settings *settingsp);

// Reads up to nine numbers from the text into the record, in order, and
// returns how many were read. A UTF-8 byte-order mark at the start is skipped.
// Each number is optional white space, an optional sign and decimal digits;
// reading stops at the first field that is not one.
// A number beyond the 32-bit range takes the nearest value in range.
int ParseSettings(std::string_view text, settings &s);

// The file's line, line break included.
std::string FormatSettings(const settings &s);
