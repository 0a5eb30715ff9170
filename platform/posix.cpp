// posix.cpp - the platform layer on POSIX systems (platform.h).
//
// Replacing a file: the temporary file is created with O_EXCL after removing
// whatever had its name, so a link planted there is never written through.
// rename() then swaps the complete file in, in one step: a reader sees the old
// file or the new one, never a part. The new file takes the old one's
// permission bits before it is synced, so a private file stays private.
//
// The application-data folder follows the XDG base-directory rules; the
// folders are made private (0700) when they are created.

#include "platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The path with every symbolic link resolved; the path itself when it cannot
// be resolved (a file that does not exist yet).
std::string ResolvedPath(const char *path)
{
    if (char *real = realpath(path, nullptr)) {
        std::string resolved = real;
        std::free(real);
        return resolved;
    }
    return path;
}

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

} // namespace

std::string AppDataFolder()
{
    try {
        const char *xdg = std::getenv("XDG_CONFIG_HOME");
        if (xdg && xdg[0] == '/') return MakeFolder(xdg) ? xdg : std::string{};
        const char *home = std::getenv("HOME");
        if (!home || !*home) return {};
        std::string folder = std::string(home) + "/.config";
        return MakeFolder(folder) ? folder : std::string{};
    } catch (const std::bad_alloc &) {
        return {};
    }
}

void ShowFatalError(const char *msg, bool on_stderr_already)
{
    if (on_stderr_already) return;
    const size_t length = std::strlen(msg);
    std::fprintf(stderr, length && msg[length - 1] == '\n' ? "Vantor: %s" : "Vantor: %s\n", msg);
}

void IgnoreFileSizeLimitSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Absent(const char *path)
{
    struct stat st;
    return stat(path, &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

file_replacement::file_replacement(const char *path, kind)
{
    try {
        target_ = ResolvedPath(path);
        temp_ = target_ + ".new";
    } catch (const std::bad_alloc &) {
        return;
    }
    unlink(temp_.c_str());
    const int fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return;
    file_ = fdopen(fd, "wb");
    if (file_) return;
    close(fd);
    unlink(temp_.c_str());
}

bool file_replacement::Commit()
{
    if (!file_) return false;
    std::FILE *f = std::exchange(file_, nullptr);
    const int fd = fileno(f);
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    struct stat old;
    if (ok && stat(target_.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    ok = ok && fsync(fd) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) return true;
    unlink(temp_.c_str());
    return false;
}

void file_replacement::Abort()
{
    if (!file_) return;
    std::fclose(std::exchange(file_, nullptr));
    unlink(temp_.c_str());
}

namespace {
// True when the variable is set to something; SDL treats an empty value as unset.
bool IsSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}
} // namespace

const char *MissingDisplay()
{
    if (IsSet("SDL_VIDEODRIVER") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return nullptr;
    return "no display found: DISPLAY and WAYLAND_DISPLAY are not set";
}

} // namespace platform
