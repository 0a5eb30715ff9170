// windows.cpp - the platform layer on Windows (platform.h), and the text
// conversions the Windows platform files share (windows_text.h).
//
// Every path reaches Windows in UTF-16 through the wide calls (CreateFileW,
// _wopen, MoveFileExW, SHGetFolderPathW), so that names outside the user's
// ANSI code page work; the program keeps them in UTF-8.
//
// What is at a path is told from an open handle: GetFileType says whether it
// is a file on a disk at all (not the NUL device, a console or a pipe), and
// GetFileInformationByHandle whether it is a folder or read-only. Handles
// are opened sharing reading, writing and deletion with every other program,
// so that a file another program has open is still read; one that another
// program holds without sharing is refused as in use.
//
// Replacing a file: the temporary file, named for this process and a count,
// is created with _O_EXCL, taking the next count while the name is taken.
// Commit flushes the C library's buffer, then asks Windows to put the file's
// data on the disk (FlushFileBuffers on its handle), closes it and swaps it
// in with MoveFileExW, replacing the old file and returning only when the
// move itself is on the disk. A read-only file (the attribute) is not
// replaced: Windows refuses to, and so does this layer where the file system
// would let it (Wine), so the user's choice holds everywhere.
//
// A fatal message is a message box, since the programs have no console;
// but a program whose standard error or output a parent reads through a pipe
// (the display test run by the setup) writes the message there instead: the
// parent shows it, and a box would wait for a user who is not looking.
//
// The application-data folder is the shell's roaming one (CSIDL_APPDATA),
// which the shell creates when missing. A file-size limit signal does not
// exist here: a write that does not fit fails like any other.

#include "platform.h"
#include "windows_text.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <new>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <sys/stat.h>

namespace platform {

bool ToWide(const std::string &utf8, std::wstring &wide)
{
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (length == 0 && !utf8.empty()) return false;
    try {
        wide.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc &) {
        return false;
    }
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return true;
}

std::string ToUtf8(const wchar_t *wide, size_t length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8;
    try {
        utf8.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc &) {
        return {};
    }
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), size, nullptr,
                        nullptr);
    return utf8;
}

std::string SystemMessage(DWORD error)
{
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text / sizeof *text, nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' ||
                          text[length - 1] == L'.' || text[length - 1] == L' '))
        --length;
    if (length > 1 && std::iswupper(text[0]) && std::iswlower(text[1]))
        text[0] = static_cast<wchar_t>(std::towlower(text[0]));
    if (length > 0) return ToUtf8(text, length);
    try {
        return "Windows error " + std::to_string(error);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

namespace {

constexpr const char *not_regular = "not a regular file";
constexpr const char *read_only = "the file is read-only";
constexpr const char *not_utf8 = "the file name is not valid UTF-8";

// An open handle, closed when it goes.
struct handle_owner {
    HANDLE h;
    explicit handle_owner(HANDLE handle) : h(handle) {}
    ~handle_owner()
    {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    handle_owner(const handle_owner &) = delete;
    handle_owner &operator=(const handle_owner &) = delete;
};

// Opens what is at `path` for `access` (0: only to look at it), a folder
// too, sharing it with every other program.
HANDLE OpenShared(const std::wstring &path, DWORD access)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Why what `h` is open on is not a file to read or replace, or null. `info`
// receives its attributes.
const char *NotRegular(HANDLE h, BY_HANDLE_FILE_INFORMATION &info)
{
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return not_regular;
    return nullptr;
}

// The reason for a failed open, in the words the POSIX layer uses where
// there are such.
std::string OpenFailure(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "the file is in use by another program";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    default:
        return SystemMessage(error);
    }
}

bool NothingThere(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Removes file `path` (UTF-8, valid).
void Remove(const std::string &path)
{
    std::wstring wide;
    if (ToWide(path, wide)) DeleteFileW(wide.c_str());
}

} // namespace

void IgnoreFileSizeLimitSignal() {}

bool Absent(const char *path)
{
    std::wstring wide;
    if (!ToWide(path, wide)) return false;
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    return NothingThere(GetLastError());
}

file_read ReadFileHead(const char *path, size_t max_bytes)
{
    file_read got;
    std::wstring wide;
    got.state = file_read::status::refused;
    if (!ToWide(path, wide)) {
        got.reason = not_utf8;
        return got;
    }
    const handle_owner file(OpenShared(wide, GENERIC_READ));
    BY_HANDLE_FILE_INFORMATION info;
    if (file.h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (NothingThere(error))
            got.state = file_read::status::absent;
        else
            got.reason = OpenFailure(error);
        return got;
    }
    if (const char *why = NotRegular(file.h, info)) {
        got.reason = why;
        return got;
    }
    try {
        got.bytes.resize(max_bytes);
    } catch (const std::bad_alloc &) {
        got.reason = "out of memory";
        return got;
    }
    size_t have = 0;
    while (have < got.bytes.size()) {
        const size_t want = got.bytes.size() - have;
        DWORD read = 0;
        const DWORD chunk = want < 0x10000000 ? static_cast<DWORD>(want) : 0x10000000;
        if (!ReadFile(file.h, got.bytes.data() + have, chunk, &read, nullptr)) {
            got.bytes.clear();
            got.reason = SystemMessage(GetLastError());
            return got;
        }
        if (read == 0) break;
        have += read;
    }
    got.bytes.resize(have);
    got.state = file_read::status::read;
    return got;
}

std::string AppDataFolder()
{
    wchar_t folder[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                         folder) != S_OK)
        return {};
    return ToUtf8(folder, wcslen(folder));
}

namespace {

// Whether a parent program reads standard stream `id` through a pipe.
bool ToParent(DWORD id)
{
    const HANDLE h = GetStdHandle(id);
    return h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_PIPE;
}

} // namespace

void ShowFatalError(const char *msg, bool on_stderr_already)
{
    const bool to_stderr = ToParent(STD_ERROR_HANDLE);
    if (to_stderr || ToParent(STD_OUTPUT_HANDLE)) {
        if (to_stderr && on_stderr_already) return;
        std::FILE *stream = to_stderr ? stderr : stdout;
        const size_t length = std::strlen(msg);
        std::fprintf(stream, length && msg[length - 1] == '\n' ? "Vantor: %s" : "Vantor: %s\n",
                     msg);
        std::fflush(stream);
        return;
    }
    std::wstring wide;
    if (ToWide(msg, wide))
        MessageBoxW(nullptr, wide.c_str(), L"Vantor", MB_ICONERROR | MB_OK);
    else
        MessageBoxA(nullptr, msg, "Vantor", MB_ICONERROR | MB_OK);
}

// The C library's messages begin with a capital ("No space left on device").
void file_replacement::Fail(const char *reason)
{
    if (!reason_.empty()) return;
    try {
        reason_ = reason;
    } catch (const std::bad_alloc &) {
        return;
    }
    if (reason_.size() > 1 && std::isupper(static_cast<unsigned char>(reason_[0])) &&
        std::islower(static_cast<unsigned char>(reason_[1])))
        reason_[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason_[0])));
}

file_replacement::file_replacement(const char *path, kind k)
{
    static std::atomic<unsigned> count{0};
    try {
        target_ = path;
        std::wstring wide;
        if (!ToWide(target_, wide)) {
            Fail(not_utf8);
            return;
        }
        const handle_owner old(OpenShared(wide, 0));
        BY_HANDLE_FILE_INFORMATION info;
        if (old.h != INVALID_HANDLE_VALUE) {
            if (const char *why = NotRegular(old.h, info)) {
                Fail(why);
                return;
            }
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                Fail(read_only);
                return;
            }
        } else if (const DWORD error = GetLastError(); !NothingThere(error)) {
            Fail(OpenFailure(error).c_str());
            return;
        }
        const int mode = k == kind::text ? _O_TEXT : _O_BINARY;
        const std::string stem = target_ + "." + std::to_string(GetCurrentProcessId()) + ".";
        int fd = -1;
        for (int tries = 0; fd < 0 && tries < 100; ++tries) {
            temp_ = stem + std::to_string(count++) + ".new";
            if (!ToWide(temp_, wide)) break;
            fd = _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | mode,
                        _S_IREAD | _S_IWRITE);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) {
            Fail(std::strerror(errno));
            return;
        }
        file_ = _fdopen(fd, k == kind::text ? "wt" : "wb");
        if (file_) return;
        Fail(std::strerror(errno));
        _close(fd);
        Remove(temp_);
    } catch (const std::bad_alloc &) {
        Fail("out of memory");
    }
}

bool file_replacement::Commit()
{
    if (!file_) {
        Fail("nothing was written"); // refused, or ended already
        return false;
    }
    std::FILE *f = std::exchange(file_, nullptr);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    bool ok = Flushed(f);
    if (ok && (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle))) {
        ok = false;
        Fail(SystemMessage(GetLastError()).c_str());
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        Fail(std::strerror(errno));
    }
    std::wstring from, to;
    if (ok && !(ToWide(temp_, from) && ToWide(target_, to))) {
        ok = false;
        Fail("out of memory");
    }
    if (ok) {
        const DWORD attributes = GetFileAttributesW(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            ok = false;
            Fail(read_only);
        }
    }
    if (ok &&
        MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (ok) Fail(SystemMessage(GetLastError()).c_str());
    Remove(temp_);
    return false;
}

void file_replacement::Abort()
{
    if (!file_) return;
    std::fclose(std::exchange(file_, nullptr));
    Remove(temp_);
}

const char *MissingDisplay()
{
    return nullptr;
}

} // namespace platform
