// command_line.h - the options of vantor-setup and vantor-display-test.
//
// Both programs read their command line before SDL starts, so that --help and
// --version work without a display. One table lists every option with the
// programs that take it; parsing, the usage text and the checks come from it.
// Without options both programs behave as they always did.
#pragma once

#include "settings.h"

#include <optional>
#include <string>

enum class program_id { setup, display_test };

// What the command line asks for. `error` is set, and the rest means
// nothing, when the command line cannot be followed.
struct command_line {
    bool help = false;
    bool version = false;
    bool reset = false;                // vantor-setup: write the defaults and end
    bool confirm = false;              // vantor-display-test: ask "Keep these settings?"
    int scale = 0;                     // vantor-setup: its window's scale; 0 when not given
    std::optional<std::string> config; // the settings file to use instead of the usual one
    std::optional<settings> tested;    // vantor-display-test: the record to open
    std::string error;                 // what is wrong, for the user
};

// Reads the arguments after the program's name. Options are taken in any
// order, a value after the option or joined to it by "=" (--config=FILE); a
// later option of the same name replaces an earlier one.
command_line ParseCommandLine(program_id program, int argc, const char *const *argv);

// The text --help prints: how to call the program and its options.
std::string Usage(program_id program);

// The line --version prints: the program's name and the build's version.
std::string VersionLine(program_id program);

// Acts on what ends the program before it opens a window: a command-line
// error (the reason and the usage where the user sees them, status 2),
// --help and --version (status 0), vantor-setup's --reset (the defaults
// written to the settings file, its path printed; 0, or 1 when it cannot be
// written). Points the settings file at --config's. Returns the exit status
// when the program is to end, nothing when it is to go on.
std::optional<int> FollowCommandLine(program_id program, const command_line &cl);
