// windows_text.h - text between the program and Windows, for the Windows
// platform files only (windows.cpp, process_windows.cpp, windows_entry.cpp).
//
// Paths and messages are UTF-8 std::strings in the program; Windows takes
// them in UTF-16 through its wide ("W") calls, so that a name outside the
// user's ANSI code page (a user named in Japanese on an English Windows)
// reaches the file system whole. The ANSI ("A") calls would turn such a name
// into question marks. Defined in windows.cpp. Nothing here throws.
#pragma once

#include <string>

#include <windows.h>

namespace platform {

// `utf8` in UTF-16 into `wide`; false when it is not valid UTF-8 or memory
// runs out.
bool ToWide(const std::string &utf8, std::wstring &wide);

// `wide` (`length` code units) in UTF-8; empty when memory runs out.
std::string ToUtf8(const wchar_t *wide, size_t length);

// Windows' own message for error code `error`, in UTF-8, as the middle of a
// sentence: its capital and its full stop and line break dropped
// ("the system cannot find the path specified").
std::string SystemMessage(DWORD error);

} // namespace platform
