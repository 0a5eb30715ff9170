// windows.cpp - the platform layer on Windows (platform.h).
//
// Replacing a file: the temporary file is created with _O_EXCL after removing
// whatever had its name. Commit flushes the C library's buffer, then asks
// Windows to put the file's data on the disk (FlushFileBuffers on its
// handle), closes it and swaps it in with MoveFileExA, replacing the old file
// and returning only when the move itself is on the disk. A read-only file
// (the attribute) is not replaced: Windows refuses to, and so does this
// layer where the file system would let it (Wine), so the user's choice holds
// everywhere; the old file stays, as on a read-only folder elsewhere.
//
// The application-data folder is the shell's roaming one (CSIDL_APPDATA),
// which the shell creates when missing. A file-size limit signal does not
// exist here: a write that does not fit fails like any other.

#include "platform.h"

#include <new>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <windows.h>

namespace platform {

void IgnoreFileSizeLimitSignal() {}

bool Absent(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string AppDataFolder()
{
    char folder[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                         folder) != S_OK)
        return {};
    try {
        return folder;
    } catch (const std::bad_alloc &) {
        return {};
    }
}

void ShowFatalError(const char *msg, bool)
{
    MessageBoxA(nullptr, msg, "Vantor", MB_ICONERROR | MB_OK);
}

file_replacement::file_replacement(const char *path, kind k)
{
    try {
        target_ = path;
        temp_ = target_ + ".new";
    } catch (const std::bad_alloc &) {
        return;
    }
    DeleteFileA(temp_.c_str());
    const int mode = k == kind::text ? _O_TEXT : _O_BINARY;
    const int fd = _open(temp_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | mode,
                         _S_IREAD | _S_IWRITE);
    if (fd < 0) return;
    file_ = _fdopen(fd, k == kind::text ? "wt" : "wb");
    if (file_) return;
    _close(fd);
    DeleteFileA(temp_.c_str());
}

bool file_replacement::Commit()
{
    if (!file_) return false;
    std::FILE *f = std::exchange(file_, nullptr);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    ok = ok && handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
    ok = std::fclose(f) == 0 && ok;
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    ok = ok && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY));
    if (ok && MoveFileExA(temp_.c_str(), target_.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp_.c_str());
    return false;
}

void file_replacement::Abort()
{
    if (!file_) return;
    std::fclose(std::exchange(file_, nullptr));
    DeleteFileA(temp_.c_str());
}

const char *MissingDisplay()
{
    return nullptr;
}

} // namespace platform
