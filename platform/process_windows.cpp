// process_windows.cpp - running a child program and finding our own, on
// Windows (process.h).
//
// The child is started with CreateProcessW (its path and command line in
// UTF-16, so that an installation folder named outside the user's code page
// works): its standard input from NUL, its standard output and error into
// one anonymous pipe, whose reading end alone is kept here (not inherited)
// and read only as far as PeekNamedPipe says bytes are waiting, so that
// Running() never blocks.
//
// The child is put into a job object before it runs a single instruction
// (started suspended, assigned, resumed), and whatever it starts joins the
// job: a display test started through a wrapper is the wrapper's child.
// Asking them to end posts WM_CLOSE to the windows of every process in the
// job, which SDL turns into a quit request; after the grace time
// TerminateJobObject forces them all. The job ends what is left in it when
// its handle is closed, also when this program ends without Stop. Where a
// job cannot be had (Windows before 8 inside another job), the child alone
// is asked and forced, as a process.
//
// The child's output reaches the pipe only when its SDL start-up glue leaves
// the standard streams alone: SDL 1.2's SDLmain sends them to stdout.txt and
// stderr.txt unless SDL was built with --disable-stdio-redirect.

#include "process.h"
#include "windows_text.h"

#include <new>

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

// The processes whose windows are asked to close.
struct process_ids {
    DWORD ids[64];
    DWORD count;
};

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM ids)
{
    const auto &of = *reinterpret_cast<const process_ids *>(ids);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    for (DWORD i = 0; i < of.count; ++i)
        if (owner == of.ids[i]) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// The processes in `job`; the child's alone without a job.
process_ids Members(HANDLE job, HANDLE process)
{
    process_ids of{{GetProcessId(process)}, 1};
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } in{};
    in.list.NumberOfAssignedProcesses = 64;
    if (job &&
        QueryInformationJobObject(job, JobObjectBasicProcessIdList, &in, sizeof in, nullptr)) {
        of.count = in.list.NumberOfProcessIdsInList < 64 ? in.list.NumberOfProcessIdsInList : 64;
        for (DWORD i = 0; i < of.count; ++i)
            of.ids[i] = static_cast<DWORD>(in.list.ProcessIdList[i]);
    }
    return of;
}

// Whether any process of `job` still runs.
bool JobRuns(HANDLE job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts{};
    return job &&
           QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts,
                                     sizeof counts, nullptr) &&
           counts.ActiveProcesses > 0;
}

// A job that ends its processes when its last handle is closed; null when
// none can be had.
HANDLE MakeJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return job;
    CloseHandle(job);
    return nullptr;
}

} // namespace

std::string OwnPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return ToUtf8(path.data(), length);
        try {
            path.resize(path.size() * 2);
        } catch (const std::bad_alloc &) {
            return {};
        }
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
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr);

    std::string command = Quoted(program);
    for (const std::string &arg : args) command += " " + Quoted(arg);
    std::wstring wide_program, wide_command;
    if (!ToWide(program, wide_program) || !ToWide(command, wide_command)) {
        CloseHandle(read_end);
        CloseHandle(write_end);
        if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
        error = "the command line is not valid UTF-8";
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(wide_program.c_str(), wide_command.data(), nullptr, nullptr,
                                   TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
    const DWORD why = GetLastError();
    CloseHandle(write_end);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!ok) {
        CloseHandle(read_end);
        error = SystemMessage(why);
        return false;
    }
    HANDLE job = MakeJob();
    if (job && !AssignProcessToJobObject(job, started.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    process_ = reinterpret_cast<std::intptr_t>(started.hProcess);
    group_ = job ? reinterpret_cast<std::intptr_t>(job) : -1;
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
    if (group_ != -1) CloseHandle(Handle(group_)); // what is left in the job ends
    pipe_ = -1;
    process_ = -1;
    group_ = -1;
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
    const HANDLE process = Handle(process_), job = group_ != -1 ? Handle(group_) : nullptr;
    process_ids members = Members(job, process);
    EnumWindows(CloseWindowOf, reinterpret_cast<LPARAM>(&members));
    // Until the child has ended and no other process of its job runs (not
    // through Running: the job's end, on its close there, would force them).
    constexpr int step_ms = 10;
    for (int waited = 0; waited < grace_ms; waited += step_ms) {
        Sleep(step_ms);
        Drain();
        if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT && !JobRuns(job)) break;
    }
    const bool ended = WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
    if (job) TerminateJobObject(job, 1);
    if (ended) {
        Running(); // its exit status and its last words
        return;
    }
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    Ended(nullptr);
}

} // namespace platform
