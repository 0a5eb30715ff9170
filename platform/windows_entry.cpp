// windows_entry.cpp - the process entry of the Windows programs.
//
// The programs are GUI programs (no console window). The C runtime splits the
// wide command line the way Windows programs do and calls wmain (the link
// option -municode), which hands it in UTF-8 to the program's entry
// operation SDL_main and ends the process with its result (exit, so that
// what was registered with atexit runs). The ANSI command line would have
// turned a name outside the user's code page (a --config file in a folder
// named in Japanese) into question marks.
//
// Before that, standard output and standard error go to the files
// "stdout.txt" and "stderr.txt" in the current folder, unbuffered (so that
// what was said is there even when the process is ended from outside; the C
// runtime here has no line buffering), each file removed at exit when nothing
// was written to it. The current folder is the user's own (the Start-menu
// shortcuts start the programs in %LOCALAPPDATA%\Vantor), never the programs'
// folder, which the user may not be able to write and which the uninstaller
// owns. Where the current folder cannot be written, the streams go nowhere.
// The files are named and opened through the wide calls, so that a current
// folder under a user or folder name outside the code page holds them too.
//
// A stream that a parent program handed over as a pipe (as when the setup
// runs the display test and reads its verdict) stays as it is.
//
// This takes the place of SDL's start-up glue (SDLmain), which would write
// the files beside the program, through the ANSI calls.

#include "windows_text.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <windows.h>

extern "C" int SDL_main(int argc, char *argv[]);

namespace {

// A standard stream and the file it goes to (empty: none).
struct redirected_stream {
    std::FILE *stream;
    DWORD handle_id;
    const wchar_t *name;
    wchar_t path[MAX_PATH];
};

redirected_stream streams[] = {{stdout, STD_OUTPUT_HANDLE, L"stdout.txt", {}},
                               {stderr, STD_ERROR_HANDLE, L"stderr.txt", {}}};

// Whether a parent program reads the stream through a pipe.
bool Handed(const redirected_stream &r)
{
    const HANDLE h = GetStdHandle(r.handle_id);
    return h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_PIPE;
}

void Redirect(redirected_stream &r)
{
    if (Handed(r)) return; // path stays empty: nothing of ours to remove
    // The full path, so that the file removed at exit is the one written.
    if (!_wfullpath(r.path, r.name, MAX_PATH) || !_wfreopen(r.path, L"w", r.stream)) {
        r.path[0] = L'\0';
        _wfreopen(L"NUL", L"w", r.stream);
    }
}

void RemoveEmptyFiles()
{
    for (redirected_stream &r : streams) {
        std::fclose(r.stream);
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (r.path[0] && GetFileAttributesExW(r.path, GetFileExInfoStandard, &file) &&
            file.nFileSizeLow == 0 && file.nFileSizeHigh == 0)
            DeleteFileW(r.path);
    }
}

} // namespace

extern "C" int wmain(int argc, wchar_t *wide_argv[])
{
    for (redirected_stream &r : streams) {
        Redirect(r);
        std::setvbuf(r.stream, nullptr, _IONBF, 0);
    }
    std::atexit(RemoveEmptyFiles);
    // The arguments in UTF-8, for as long as the program runs.
    static std::vector<std::string> args;
    static std::vector<char *> argv;
    for (int i = 0; i < argc; ++i)
        args.push_back(platform::ToUtf8(wide_argv[i], std::wcslen(wide_argv[i])));
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::exit(SDL_main(argc, argv.data()));
}
