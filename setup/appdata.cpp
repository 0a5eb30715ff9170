// appdata.cpp - where the settings file lives.
//
// In the user's application-data folder: on Windows the shell's roaming
// application-data folder, elsewhere $XDG_CONFIG_HOME, else $HOME/.config.
// As the XDG base-directory rules say, a relative $XDG_CONFIG_HOME is ignored:
// it would name a different folder from every working folder.
// The folder is created when missing. When no folder can be had, the bare file
// name is used, relative to the current directory. A file named on the
// command line (SetConfFile) replaces all of this, and no folder is made.

#include "settings.h"
#include "setup.h"

#include <cerrno>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

constexpr const char *conf_file = "Vantor Settings";

#ifdef _WIN32
std::string AppDataFolder()
{
    char home[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                         home) != S_OK)
        return {};
    return home;
}
#else
// Creates the folder and any missing folders above it.
bool MakeFolder(const std::string &path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
    struct stat st;
    return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

std::string AppDataFolder()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return MakeFolder(xdg) ? xdg : std::string{};
    const char *home = std::getenv("HOME");
    if (!home || !*home) return {};
    std::string folder = std::string(home) + "/.config";
    return MakeFolder(folder) ? folder : std::string{};
}
#endif

} // namespace

std::string SettingsPath()
{
    try {
        const std::string folder = AppDataFolder();
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
