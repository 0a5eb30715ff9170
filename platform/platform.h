// platform.h - the operating-system services that the display library and the
// setup programs share: replacing a file whole, telling an absent file from
// one that cannot be read, and making writes beyond the file-size limit fail
// like any other write.
//
// One implementation per family of systems (posix.cpp), each behind this same
// interface. Nothing here throws.
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

// A file written whole or not at all. The new content goes to a temporary
// file, the name with ".new" appended, beside the file; Commit replaces the
// file with it only after every write, the flush, the sync to disk and the
// close have succeeded. Through a symbolic link the file it points to is
// replaced, keeping its permission bits, and the link stays.
//
// Until Commit succeeds the previous file is left as it was; every way that
// does not end in a successful Commit (a failed write, a failed Commit, Abort,
// the owner going away) removes the temporary file.
class file_replacement {
  public:
    // Creates the temporary file for `path`, afresh: whatever was left under
    // its name (an interrupted write's file, a link) is removed first.
    explicit file_replacement(const char *path);
    ~file_replacement() { Abort(); }
    file_replacement(const file_replacement &) = delete;
    file_replacement &operator=(const file_replacement &) = delete;

    // The temporary file, open for writing bytes; null when it could not be
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
