// posix.cpp - the platform layer on POSIX systems (platform.h).
//
// Reading a small file: opened without blocking (O_NONBLOCK: a named pipe
// with no writer opens at once) and without becoming a controlling terminal,
// then fstat on what was opened decides: anything but a regular file is
// refused before a byte is read, so no check can be raced by a swap of the
// path between it and the read.
//
// Replacing a file: the path's links are followed one by one with readlink
// (realpath cannot, when the last link leads to a file not yet made), at
// most 40 of them, the limit Linux itself keeps. The temporary file's name
// holds the process id and a count, and it is created with O_EXCL, taking
// the next count while the name is taken (by a stale file, by a planted
// link, which is so never written through). rename() then swaps the complete
// file in, in one step. The new file takes the old one's permission bits
// before it is synced, so a private file stays private. A file without a
// write bit is refused though root could write it: the user made it
// read-only, and that choice holds for every user.
//
// The application-data folder follows the XDG base-directory rules; the
// folders are made private (0700) when they are created.

#include "platform.h"

#include <atomic>
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

// Sets `out` to `why` in the plain words of a sentence's middle, the system's
// capital dropped ("Permission denied": "permission denied"); leaves `out`
// empty when memory runs out.
void SetReason(std::string &out, const char *why)
{
    try {
        out = why;
    } catch (const std::bad_alloc &) {
        return;
    }
    if (out.size() > 1 && out[0] >= 'A' && out[0] <= 'Z' && out[1] >= 'a' && out[1] <= 'z')
        out[0] = static_cast<char>(out[0] - 'A' + 'a');
}

constexpr const char *not_regular = "not a regular file";

// The file that `path` leads to: `path` itself unless it is a symbolic link,
// else the final target of its chain of links, a relative target taken from
// the folder of the link that names it. That file need not exist. False,
// with the reason, when the chain cannot be followed.
bool FollowLinks(const char *path, std::string &target, std::string &reason)
{
    constexpr int max_links = 40;
    target = path;
    for (int links = 0;; ++links) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return true; // a file to make
            SetReason(reason, std::strerror(errno));
            return false;
        }
        if (!S_ISLNK(st.st_mode)) return true;
        if (links == max_links) {
            SetReason(reason, std::strerror(ELOOP));
            return false;
        }
        std::string next(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(target.c_str(), next.data(), next.size());
        if (length < 0 || static_cast<size_t>(length) >= next.size()) { // or grew meanwhile
            SetReason(reason, std::strerror(length < 0 ? errno : ENAMETOOLONG));
            return false;
        }
        next.resize(static_cast<size_t>(length));
        const size_t slash = target.rfind('/');
        if (next.empty() || next[0] == '/' || slash == std::string::npos)
            target = next;
        else
            target = target.substr(0, slash + 1) + next;
    }
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

file_read ReadFileHead(const char *path, size_t max_bytes)
{
    file_read got;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return got;
    got.state = file_read::status::refused;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        SetReason(got.reason, std::strerror(errno));
    } else if (!S_ISREG(st.st_mode)) {
        SetReason(got.reason, not_regular);
    } else {
        try {
            got.bytes.resize(max_bytes);
        } catch (const std::bad_alloc &) {
            SetReason(got.reason, std::strerror(ENOMEM));
        }
        size_t have = 0;
        while (have < got.bytes.size()) {
            const ssize_t n = read(fd, got.bytes.data() + have, got.bytes.size() - have);
            if (n == 0) break;
            if (n > 0) {
                have += static_cast<size_t>(n);
            } else if (errno != EINTR) {
                SetReason(got.reason, std::strerror(errno));
                break;
            }
        }
        got.bytes.resize(have);
        if (got.reason.empty()) got.state = file_read::status::read;
    }
    if (fd >= 0) close(fd);
    if (got.state != file_read::status::read) got.bytes.clear();
    return got;
}

void file_replacement::Fail(const char *reason)
{
    if (reason_.empty()) SetReason(reason_, reason);
}

file_replacement::file_replacement(const char *path, kind)
{
    static std::atomic<unsigned> count{0};
    try {
        if (!FollowLinks(path, target_, reason_)) return;
        struct stat st;
        if (stat(target_.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode)) {
                Fail(not_regular);
                return;
            }
            if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
                Fail("the file is read-only");
                return;
            }
        } else if (errno != ENOENT) {
            Fail(std::strerror(errno));
            return;
        }
        const std::string stem = target_ + "." + std::to_string(getpid()) + ".";
        int fd = -1;
        for (int tries = 0; fd < 0 && tries < 100; ++tries) {
            temp_ = stem + std::to_string(count++) + ".new";
            fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) {
            Fail(std::strerror(errno));
            return;
        }
        file_ = fdopen(fd, "wb");
        if (file_) return;
        Fail(std::strerror(errno));
        close(fd);
        unlink(temp_.c_str());
    } catch (const std::bad_alloc &) {
        Fail(std::strerror(ENOMEM));
    }
}

bool file_replacement::Commit()
{
    if (!file_) {
        Fail("nothing was written"); // refused, or ended already
        return false;
    }
    std::FILE *f = std::exchange(file_, nullptr);
    const int fd = fileno(f);
    bool ok = Flushed(f);
    struct stat old;
    if (ok && stat(target_.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    if (ok && fsync(fd) != 0) {
        ok = false;
        Fail(std::strerror(errno));
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        Fail(std::strerror(errno));
    }
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) return true;
    if (ok) Fail(std::strerror(errno));
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
