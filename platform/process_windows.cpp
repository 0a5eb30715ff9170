// process_windows.cpp - running a child program and finding our own, on
// Windows (process.h).
//
// The child is started with CreateProcess: its standard input from NUL, its
// standard output and error into one anonymous pipe, whose reading end alone
// is kept here (not inherited) and read only as far as PeekNamedPipe says
// bytes are waiting, so that Running() never blocks. Asking the child to end
// posts WM_CLOSE to its windows, which SDL turns into a quit request; after
// the grace time TerminateProcess forces it.
//
// The child's output reaches the pipe only when its SDL start-up glue leaves
// the standard streams alone: SDL 1.2's SDLmain sends them to stdout.txt and
// stderr.txt unless SDL was built with --disable-stdio-redirect.

#include "process.h"

#include <windows.h>

namespace platform {

namespace {

HANDLE Handle(std::intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

// One argument as the C runtime's command-line parser reads it back: quoted
// when it holds white space or quotes, backslashes doubled before a quote.
std::string Quoted(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM process_id)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process_id)) PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

std::string OwnPath()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool child_process::Start(const std::string &program, const std::vector<std::string> &args,
                          std::string &error)
{
    Stop(stop_grace_ms);
    output_.clear();
    status_ = -1;

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) {
        error = "cannot make a pipe";
        return false;
    }
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr);

    std::string command = Quoted(program);
    for (const std::string &arg : args) command += " " + Quoted(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &startup, &started);
    const DWORD why = GetLastError();
    CloseHandle(write_end);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!ok) {
        CloseHandle(read_end);
        error = "Windows error " + std::to_string(why);
        return false;
    }
    CloseHandle(started.hThread);
    process_ = reinterpret_cast<std::intptr_t>(started.hProcess);
    pipe_ = reinterpret_cast<std::intptr_t>(read_end);
    running_ = true;
    return true;
}

void child_process::Drain()
{
    if (pipe_ == -1) return;
    char buffer[4096];
    DWORD waiting = 0;
    while (PeekNamedPipe(Handle(pipe_), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
        DWORD got = 0;
        const DWORD want = waiting < sizeof buffer ? waiting : DWORD{sizeof buffer};
        if (!ReadFile(Handle(pipe_), buffer, want, &got, nullptr) || got == 0) break;
        output_.append(buffer, got);
    }
    if (output_.size() > output_limit) output_.erase(0, output_.size() - output_limit);
}

// wait_status: the exit code (-1 for one beyond 255, such as an exception's);
// null when it could not be had.
void child_process::Ended(const int *wait_status)
{
    running_ = false;
    status_ = wait_status ? *wait_status : -1;
    Drain();
    CloseHandle(Handle(pipe_));
    CloseHandle(Handle(process_));
    pipe_ = -1;
    process_ = -1;
}

bool child_process::Running()
{
    if (!running_) return false;
    Drain();
    if (WaitForSingleObject(Handle(process_), 0) == WAIT_TIMEOUT) return true;
    DWORD code = 0;
    const bool known = GetExitCodeProcess(Handle(process_), &code) != 0;
    const int exit_code = code <= 255 ? static_cast<int>(code) : -1;
    Ended(known ? &exit_code : nullptr);
    return false;
}

void child_process::Stop(int grace_ms)
{
    if (!Running()) return;
    EnumWindows(CloseWindowOf, static_cast<LPARAM>(GetProcessId(Handle(process_))));
    constexpr int step_ms = 10;
    for (int waited = 0; waited < grace_ms; waited += step_ms) {
        Sleep(step_ms);
        if (!Running()) return;
    }
    TerminateProcess(Handle(process_), 1);
    WaitForSingleObject(Handle(process_), INFINITE);
    Ended(nullptr);
}

} // namespace platform
