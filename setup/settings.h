// settings.h - the nine display settings and the file that keeps them.
//
// The file "Vantor Settings" in the user's application-data folder holds one
// line of nine decimal integers in the record's order, separated by single
// spaces: with the defaults "0 800 600 1 0 2 22 22 22". It is what the setup
// leaves for the game, and the record is the display library's own
// image_config, so that what is read opens the display as it stands.
//
// Every field is described once, in `settings_fields`: its name, default,
// the range the pages produce and what "Test display" tries of it. Reading,
// writing, the command line's --settings and its help, the revert of a
// tried display and the tests all follow that table.
#pragma once

#include "image.h"
#include "platform.h"

#include <array>
#include <string>
#include <string_view>

using settings = image_config;

// One field of the record.
struct settings_field {
    const char *name;      // as the usage text names it
    int settings::*member; // where it lives in the record
    int fallback;          // the default, for a first run and a short file
    int low, high;         // what the pages produce; a file may hold anything
    int tried;             // the bits "Test display" tries and a revert puts back
};

inline constexpr int ALL_BITS = ~0;
inline constexpr int TRIED_FLAGS = IMAGE_FULLSCREEN | IMAGE_ACCUM; // not IMAGE_SOFTWARE_GAMMA
inline constexpr int MAX_SIZE = 9999; // the widest and highest display typed in
inline constexpr int MIN_SAMPLES = 2; // supersampling samples per pixel
inline constexpr int MAX_SAMPLES = 64;
inline constexpr int MIN_GAMMA = 1;  // gamma in tenths: 0.1 ..
inline constexpr int MAX_GAMMA = 50; // .. 5.0

// In the file's order.
inline constexpr std::array<settings_field, 9> settings_fields{{
    {"backend", &settings::backend, BACKEND_GL, BACKEND_GL, BACKEND_SDL, ALL_BITS},
    {"width", &settings::width, 800, IMAGE_MIN_WIDTH, MAX_SIZE, ALL_BITS},
    {"height", &settings::height, 600, IMAGE_MIN_HEIGHT, MAX_SIZE, ALL_BITS},
    {"flags", &settings::flags, IMAGE_FULLSCREEN, 0,
     IMAGE_FULLSCREEN | IMAGE_ACCUM | IMAGE_SOFTWARE_GAMMA, TRIED_FLAGS},
    {"antialias", &settings::antialias, 0, 0, 1, ALL_BITS},
    {"samples", &settings::samples, MIN_SAMPLES, MIN_SAMPLES, MAX_SAMPLES, ALL_BITS},
    {"red-gamma", &settings::gamma_r, 22, MIN_GAMMA, MAX_GAMMA, 0},
    {"green-gamma", &settings::gamma_g, 22, MIN_GAMMA, MAX_GAMMA, 0},
    {"blue-gamma", &settings::gamma_b, 22, MIN_GAMMA, MAX_GAMMA, 0},
}};

inline constexpr settings defaults = [] {
    settings rec{};
    for (const settings_field &f : settings_fields) rec.*f.member = f.fallback;
    return rec;
}();

// The path of the settings file, the same text on every call.
const char *ConfFile();

// Makes ConfFile() the given path instead (the command line's --config). To
// be called before anything reads or writes the settings.
void SetConfFile(const char *path);

// How much of the settings file is read: its one line, with room to spare.
inline constexpr size_t SETTINGS_READ_LIMIT = 4096;

// Fills the record from the settings file: the defaults, then the numbers the
// file supplies. Returns what was found at the path: read (with the bytes
// read), absent (only then is it a first run), or refused with the reason
// (a file that cannot be read, or something other than a regular file).
platform::file_read LoadSettings(settings &rec);

// Replaces the settings file with the record. True when the whole file was
// written; otherwise the previous file is left as it was, and `why` (when
// given) says why in a few words ("the file is read-only").
bool SaveSettings(const settings &rec, std::string *why = nullptr);

// The same for an explicit path.
platform::file_read LoadSettingsFrom(const char *path, settings &rec);
bool SaveSettingsTo(const char *path, const settings &rec, std::string *why = nullptr);

// Whether what is at the path now (`now`, read as LoadSettings reads) is
// not what was found there `before`: another program wrote, removed or
// locked the file meanwhile.
bool ChangedSince(const platform::file_read &before, const platform::file_read &now);

// Reads up to nine numbers from the text into the record, in order, and
// returns how many were read. A UTF-8 byte-order mark at the start is skipped.
// Each number is optional white space, an optional sign and decimal digits;
// reading stops at the first field that is not one.
// A number beyond the 32-bit range takes the nearest value in range.
int ParseSettings(std::string_view text, settings &s);

// The file's line, line break included.
std::string FormatSettings(const settings &s);

// Puts back the bits of every field that "Test display" tries (back-end,
// size, the full-screen and accumulation-buffer bits of flags, antialias,
// samples) from `from`; gamma and the other bits of flags stay.
void RestoreDisplayFields(settings &rec, const settings &from);
