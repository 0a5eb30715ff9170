// command_line.cpp - the options of both programs, from one table.
//
// Every option is a row: its name, the value it takes (if any), the programs
// that know it and its line of help. An option of the other program is as
// unknown as a misspelt one. The usage text is built from the same rows, so
// the help never lists an option the parser does not take, or misses one.
//
// --settings takes exactly nine decimal integers separated by white space,
// the settings file's line: anything else is refused rather than read as far
// as it goes, since a record the user did not mean would be tested instead.

#include "command_line.h"

#include "platform.h"
#include "window_scale.h"

#include <array>
#include <cstdio>
#include <string_view>

#ifndef VANTOR_VERSION
#error "VANTOR_VERSION: the build's version, defined by the build"
#endif

namespace {

enum class option_id { settings, confirm, config, reset, scale, help, version };

constexpr unsigned FOR_SETUP = 1;
constexpr unsigned FOR_TEST = 2;
constexpr unsigned FOR_BOTH = FOR_SETUP | FOR_TEST;

struct option_spec {
    const char *name;
    option_id id;
    const char *value; // how the help names its value; null for none
    unsigned programs;
    const char *help;
};

constexpr std::array<option_spec, 7> options{{
    {"--settings", option_id::settings, "\"N N N N N N N N N\"", FOR_TEST,
     "open the display with these nine settings, in the\n"
     "    settings file's order, instead of the saved ones"},
    {"--confirm", option_id::confirm, nullptr, FOR_TEST,
     "ask \"Keep these settings?\"; no answer within 15 s reverts"},
    {"--config", option_id::config, "FILE", FOR_BOTH,
     "use the settings file FILE instead of \"Vantor Settings\"\n"
     "    in the configuration folder"},
    {"--reset", option_id::reset, nullptr, FOR_SETUP,
     "write the default settings to the settings file, print\n"
     "    its path and end"},
    {"--scale", option_id::scale, "N", FOR_SETUP,
     "draw the window N times 600 x 375 pixels (a whole number;\n"
     "    at most what fits the screen)"},
    {"--help", option_id::help, nullptr, FOR_BOTH, "print this help and end"},
    {"--version", option_id::version, nullptr, FOR_BOTH, "print the version and end"},
}};

struct program_info {
    const char *name;
    unsigned bit;
    const char *summary;
    const char *epilogue;
};

constexpr program_info setup_info{
    "vantor-setup", FOR_SETUP, "Choose how Vantor Haulage draws its screen.",
    "Without options, the pages open; \"Save and exit\" writes the settings file."};
constexpr program_info test_info{
    "vantor-display-test", FOR_TEST,
    "Open Vantor Haulage's display with the saved settings and show what it got.",
    "Exit status: 0 closed (or kept, with --confirm), 1 the display could not be\n"
    "opened, 2 a command-line error, 3 reverted (with --confirm)."};

const program_info &Info(program_id program)
{
    return program == program_id::setup ? setup_info : test_info;
}

const option_spec *Find(std::string_view name, unsigned program_bit)
{
    for (const option_spec &opt : options)
        if ((opt.programs & program_bit) && name == opt.name) return &opt;
    return nullptr;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Nine decimal integers, each an optional sign and digits, separated and
// surrounded by white space only; out-of-range numbers take the nearest
// value in range, as in the settings file.
std::optional<settings> NineIntegers(std::string_view text)
{
    int count = 0;
    for (size_t i = 0;;) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i == text.size()) break;
        if (text[i] == '+' || text[i] == '-') ++i;
        if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i < text.size() && !IsSpace(text[i])) return std::nullopt;
        ++count;
    }
    if (count != static_cast<int>(settings_fields.size())) return std::nullopt;
    settings rec = defaults;
    ParseSettings(text, rec);
    return rec;
}

std::string Quoted(std::string_view text)
{
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) about
    // "'" + std::string(text).
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

} // namespace

command_line ParseCommandLine(program_id program, int argc, const char *const *argv)
{
    command_line cl;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i] ? argv[i] : "";
        std::optional<std::string_view> joined;
        if (const size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            joined = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const option_spec *opt = Find(name, Info(program).bit);
        if (!opt) {
            cl.error = (name.starts_with("-") ? "unknown option " : "unexpected argument ") +
                       Quoted(argv[i] ? argv[i] : "");
            return cl;
        }
        std::string value;
        if (opt->value) {
            if (!joined && i + 1 >= argc) {
                cl.error = Quoted(opt->name) + " needs a value: " + opt->name + " " + opt->value;
                return cl;
            }
            value = joined ? std::string(*joined) : std::string(argv[++i] ? argv[i] : "");
        } else if (joined) {
            cl.error = Quoted(opt->name) + " takes no value";
            return cl;
        }
        switch (opt->id) {
        case option_id::settings:
            cl.tested = NineIntegers(value);
            if (!cl.tested) {
                cl.error = "--settings needs nine integers, such as \"0 800 600 1 0 2 22 22 22\"";
                return cl;
            }
            break;
        case option_id::confirm:
            cl.confirm = true;
            break;
        case option_id::config:
            // "--config --reset" forgot the name: never a file called "--reset"
            // (./--reset names one, if that is really meant).
            if (value.empty() || value.starts_with("--")) {
                cl.error = "--config needs a file name" +
                           (value.empty() ? std::string() : ", not " + Quoted(value));
                return cl;
            }
            cl.config = value;
            break;
        case option_id::reset:
            cl.reset = true;
            break;
        case option_id::scale:
            cl.scale = PositiveWhole(value.c_str());
            if (cl.scale == 0) {
                cl.error = "--scale needs a positive whole number, such as 2";
                return cl;
            }
            break;
        case option_id::help:
            cl.help = true;
            break;
        case option_id::version:
            cl.version = true;
            break;
        }
    }
    return cl;
}

std::string Usage(program_id program)
{
    const program_info &info = Info(program);
    std::string text =
        std::string("Usage: ") + info.name + " [OPTION]...\n" + info.summary + "\n\n";
    for (const option_spec &opt : options) {
        if (!(opt.programs & info.bit)) continue;
        text += std::string("  ") + opt.name;
        if (opt.value) text += std::string(" ") + opt.value;
        text += std::string("\n    ") + opt.help + "\n";
        if (opt.id == option_id::settings) { // the fields' names, in that order
            text += "   ";
            for (const settings_field &field : settings_fields)
                text += std::string(" ") + field.name;
            text += "\n";
        }
    }
    return text + "\n" + info.epilogue + "\n";
}

std::string VersionLine(program_id program)
{
    return std::string(Info(program).name) + " " + VANTOR_VERSION;
}

std::optional<int> FollowCommandLine(program_id program, const command_line &cl)
{
    if (!cl.error.empty()) {
        platform::ShowFatalError((cl.error + "\n" + Usage(program)).c_str(), false);
        return 2;
    }
    if (cl.help) {
        std::fputs(Usage(program).c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("%s\n", VersionLine(program).c_str());
        return 0;
    }
    if (cl.config) SetConfFile(cl.config->c_str());
    if (cl.reset) {
        if (std::string why; !SaveSettings(defaults, &why)) {
            std::fprintf(stderr, "Vantor: could not write %s: %s\n", ConfFile(), why.c_str());
            return 1;
        }
        std::printf("%s\n", ConfFile());
        return 0;
    }
    return std::nullopt;
}
