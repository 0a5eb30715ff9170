// platform.h - the operating-system services that the display library and the
// setup programs share: replacing a file whole, telling an absent file from
// one that cannot be read, making writes beyond the file-size limit fail like
// any other write, the user's application-data folder and the message of a
// fatal error.
//
// One implementation per family of systems (posix.cpp, windows.cpp), each
// behind this same interface. Nothing here throws. The programs' process
// entry is a file of its own per family (posix_entry.cpp, windows_entry.cpp),
// linked into the programs only.
#pragma once

#include <cstdio>
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
// it ends: on Windows a message box with no owner window, captioned "Vantor",
// with an error icon and an OK button, returning when the user closes it;
// elsewhere "Vantor: <msg>" on the standard error stream, ended by a newline
// unless `msg` ends with one, and not at all when `on_stderr_already` says
// the message has been written there. Programs on Windows have no console,
// so this is also how a mistaken command line is told.
void ShowFatalError(const char *msg, bool on_stderr_already);

// A file written whole or not at all. The new content goes to a temporary
// file, the name with ".new" appended, beside the file; Commit replaces the
// file with it only after every write, the flush, the sync to disk and the
// close have succeeded. On POSIX systems, through a symbolic link the file it
// points to is replaced, keeping its permission bits, and the link stays.
//
// Until Commit succeeds the previous file is left as it was; every way that
// does not end in a successful Commit (a failed write, a failed Commit, Abort,
// the owner going away) removes the temporary file.
//
// A text file is written the way the system writes text: on Windows each line
// break becomes a carriage return and a line feed; elsewhere text and bytes
// are the same.
class file_replacement {
  public:
    enum class kind { bytes, text };

    // Creates the temporary file for `path`, afresh: whatever was left under
    // its name (an interrupted write's file, a link) is removed first.
    explicit file_replacement(const char *path, kind k = kind::bytes);
    ~file_replacement() { Abort(); }
    file_replacement(const file_replacement &) = delete;
    file_replacement &operator=(const file_replacement &) = delete;

    // The temporary file, open for writing; null when it could not be
    // created, and after Commit or Abort.
    std::FILE *file() const { return file_; }

    // Puts what was written in place of the file. False when anything failed
    // (a write before it included): the previous file stays.
    bool Commit();

    // Drops what was written: closes and removes the temporary file.
    void Abort();

  private:
    std::string target_; // the file replaced, a link resolved
    std::string temp_;   // target_ + ".new"
    std::FILE *file_ = nullptr;
};

} // namespace platform
