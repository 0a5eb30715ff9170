// windows_entry.cpp - the process entry of the Windows programs.
//
// The programs are GUI programs (no console window). The C runtime splits the
// command line the way Windows programs do and calls main, which hands it to
// the program's entry operation SDL_main and ends the process with its result
// (exit, so that what was registered with atexit runs).
//
// Before that, standard output and standard error go to the files
// "stdout.txt" and "stderr.txt" in the current folder, unbuffered (so that
// what was said is there even when the process is ended from outside; the C
// runtime here has no line buffering), each file removed at exit when nothing
// was written to it. The current folder is the user's own (the Start-menu
// shortcuts start the programs in %LOCALAPPDATA%\Vantor), never the programs'
// folder, which the user may not be able to write and which the uninstaller
// owns. Where the current folder cannot be written, the streams go nowhere.
//
// A stream that a parent program handed over as a pipe (as when the setup
// runs the display test and reads its verdict) stays as it is.
//
// This takes the place of SDL's start-up glue (SDLmain), which would write
// the files beside the program.

#include <cstdio>
#include <cstdlib>

#include <windows.h>

extern "C" int SDL_main(int argc, char *argv[]);

namespace {

// A standard stream and the file it goes to (empty: none).
struct redirected_stream {
    std::FILE *stream;
    DWORD handle_id;
    const char *name;
    char path[MAX_PATH];
};

redirected_stream streams[] = {{stdout, STD_OUTPUT_HANDLE, "stdout.txt", {}},
                               {stderr, STD_ERROR_HANDLE, "stderr.txt", {}}};

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
    if (!_fullpath(r.path, r.name, sizeof r.path) || !std::freopen(r.path, "w", r.stream)) {
        r.path[0] = '\0';
        std::freopen("NUL", "w", r.stream);
    }
}

void RemoveEmptyFiles()
{
    for (redirected_stream &r : streams) {
        std::fclose(r.stream);
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (r.path[0] && GetFileAttributesExA(r.path, GetFileExInfoStandard, &file) &&
            file.nFileSizeLow == 0 && file.nFileSizeHigh == 0)
            DeleteFileA(r.path);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    for (redirected_stream &r : streams) {
        Redirect(r);
        std::setvbuf(r.stream, nullptr, _IONBF, 0);
    }
    std::atexit(RemoveEmptyFiles);
    std::exit(SDL_main(argc, argv));
}
