// appdata.cpp - where the settings file lives.
//
// In the user's application-data folder (platform.h says which folder that is
// on each system, and creates it when missing). When no folder can be had,
// the bare file name is used, relative to the current directory. The
// separator is a forward slash, which Windows takes too. A file named on the
// command line (SetConfFile) replaces all of this, and no folder is made.

#include "settings.h"
#include "setup.h"

#include "platform.h"

#include <new>

namespace {

constexpr const char *conf_file = "Vantor Settings";

} // namespace

std::string SettingsPath()
{
    try {
        const std::string folder = platform::AppDataFolder();
        return folder.empty() ? conf_file : folder + "/" + conf_file;
    } catch (const std::bad_alloc &) {
        return conf_file;
    }
}

namespace {
std::string chosen_file; // SetConfFile's path; empty when none was chosen
} // namespace

void SetConfFile(const char *path)
{
    chosen_file = path;
}

const char *ConfFile()
{
    if (!chosen_file.empty()) return chosen_file.c_str();
    static const std::string filename = SettingsPath();
    return filename.c_str();
}
