// platform.h - the operating-system services that the display library and the
// setup programs share: replacing a file whole, reading a small file,
// telling an absent file from one that cannot be read, making writes beyond the file-size limit
// fail like any other write, the user's application-data folder and the message of a fatal error.
// Paths are UTF-8 std::strings on every system; the Windows layer speaks to Windows in UTF-16, so
// that names beyond the user's code page (a user or folder named in another script) work.
//
// One implementation per family of systems (posix.cpp, windows.cpp), each
// behind this same interface. Nothing here throws. The programs' process
// entry is a file of its own per family (posix_entry.cpp, windows_entry.cpp),
// linked into the programs only.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

// Makes a write that would pass the process's file-size limit fail (EFBIG)
// instead of ending the process by signal, so that the writer reports it and
// cleans up. Called once at start-up by each program; nothing to do on
// systems without such a signal.
void IgnoreFileSizeLimitSignal();

// Whether nothing at all is at `path` (no such file, or a folder on the way
// is missing). A file that is there but cannot be read is not absent: its
// reader gets to report why.
bool Absent(const char *path);

// What ReadFileHead found at a path.
struct file_read {
    enum class status {
        read,   // `bytes` holds the file's first bytes (all of a small file)
        absent, // nothing at the path (a link to nothing included)
        refused // something is there that was not read: `reason` says why
    };
    status state = status::absent;
    std::string bytes;
    std::string reason; // in plain words, without a full stop; empty unless refused
};

// Reads at most `max_bytes` from the start of the regular file at `path`
// (a small file such as the settings: the bound keeps a huge file from
// costing anything). Only a regular file is read: a folder, a device or a
// named pipe is refused without reading from it, so that opening one never
// waits for a writer. A file that exists but cannot be opened (no
// permission, a loop of links, on Windows one that another program holds
// without sharing) is refused with the system's reason, never taken as
// absent. Paths are UTF-8 on every system.
file_read ReadFileHead(const char *path, size_t max_bytes);

// The folder for the current user's application data, created (with the
// folders above it) when missing: on Windows the shell's roaming
// application-data folder; elsewhere $XDG_CONFIG_HOME when it is an absolute
// path (a relative one would name a different folder from every working
// folder, so the XDG base-directory rules ignore it), else $HOME/.config.
// Empty when no such folder can be had.
std::string AppDataFolder();

// Why no display can be opened, or null when one may be. On X11 and Wayland
// systems a display is reached through DISPLAY or WAYLAND_DISPLAY; with
// neither set and no video driver chosen through SDL_VIDEODRIVER, SDL 2 under
// sdl12-compat falls back to a driver that shows nothing, and a program would
// run on with no window anywhere. A driver the user chose (the tests' dummy
// driver, for one) is left to SDL. Windows always has its display.
const char *MissingDisplay();

// Tells the user about a failure the program cannot go on after, just before
// it ends: "Vantor: <msg>" on the standard error stream, ended by a newline
// unless `msg` ends with one, and not at all when `on_stderr_already` says
// the message has been written there. On Windows, where programs have no
// console, a message box instead (no owner window, captioned "Vantor", an
// error icon and an OK button, returning when the user closes it); but when
// a parent program reads the standard error or output through a pipe (the
// setup running the display test), the line on the stream, and no box that
// would wait for a user the parent is about to stop waiting for. This is
// also how a mistaken command line is told.
void ShowFatalError(const char *msg, bool on_stderr_already);

// A file written whole or not at all. The new content goes to a temporary
// file beside the file, named for this writer alone (the file's name, the
// process id and a count, ending in ".new"), so that two programs saving at
// once never write into one temporary file. Commit replaces the file with it
// only after every write, the flush, the sync to disk and the close have
// succeeded, in one step (a rename): a reader sees the old file or the new
// one, and a save that reports success has its content in the file at that
// moment. The replaced file keeps its permission bits.
//
// What is replaced: the file at `path`, or, when `path` is a symbolic link
// (of a chain, or to a file that does not exist yet), the file the link
// leads to, a link's relative target taken from the link's own folder; the
// link stays a link. Refused from the start, with nothing created or
// replaced and Reason() saying why:
//   - something other than a regular file (a folder, a device such as
//     /dev/null, a named pipe): "not a regular file";
//   - a file without any write permission (POSIX: no write bit in its mode,
//     which holds for root too; Windows: the read-only attribute): "the file
//     is read-only";
//   - a link that leads nowhere (a loop, too long a chain): "too many levels
//     of symbolic links".
//
// Until Commit succeeds the previous file is left as it was; every way that
// does not end in a successful Commit (a failed write, a failed Commit, Abort,
// the owner going away) removes the temporary file, and only this writer's.
//
// A text file is written the way the system writes text: on Windows each line
// break becomes a carriage return and a line feed; elsewhere text and bytes
// are the same. Paths are UTF-8 on every system.
class file_replacement {
  public:
    enum class kind { bytes, text };

    // Creates the temporary file for `path`, or refuses (file() null).
    explicit file_replacement(const char *path, kind k = kind::bytes);
    ~file_replacement() { Abort(); }
    file_replacement(const file_replacement &) = delete;
    file_replacement &operator=(const file_replacement &) = delete;

    // The temporary file, open for writing; null when it could not be
    // created or the file is refused, and after Commit or Abort.
    std::FILE *file() const { return file_; }

    // Puts what was written in place of the file. False when anything failed
    // (a write before it included): the previous file stays.
    bool Commit();

    // Drops what was written: closes and removes the temporary file.
    void Abort();

    // Why the replacement was refused or failed, in plain words without a
    // full stop ("the file is read-only", "no space left on device"); empty
    // while all went well.
    const std::string &Reason() const { return reason_; }

  private:
    void Fail(const char *reason); // keeps the first reason given

    // Flushes the temporary file: false, with the reason, when that or an
    // earlier write failed. The same on every system, so it is here.
    bool Flushed(std::FILE *f)
    {
        const int write_error = errno; // a failed write's, when ferror says one failed
        if (std::fflush(f) != 0) {
            Fail(std::strerror(errno));
            return false;
        }
        if (!std::ferror(f)) return true;
        Fail(write_error ? std::strerror(write_error) : "a write failed");
        return false;
    }

    std::string target_; // the file replaced, links followed
    std::string temp_;   // this writer's temporary file beside it
    std::string reason_;
    std::FILE *file_ = nullptr;
};

} // namespace platform
