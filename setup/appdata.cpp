// appdata.cpp - where the settings file lives.
//
// In the user's application-data folder (platform.h says which folder that is
// on each system, and creates it when missing). When no folder can be had,
// the bare file name is used, relative to the current directory. The
// separator is a forward slash, which Windows takes too.

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

const char *ConfFile()
{
    static const std::string filename = SettingsPath();
    return filename.c_str();
}
