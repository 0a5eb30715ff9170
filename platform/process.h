// process.h - running another program and finding our own: what the setup
// needs to run the display test installed beside it while its own window
// stays alive. (Telling the user about an error, before any window exists or
// after, is platform.h's ShowFatalError.)
//
// One implementation per family of systems (process_posix.cpp,
// process_windows.cpp), each behind this same interface. Paths are UTF-8.
// Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What the names of program files end with on this system.
#ifdef _WIN32
inline constexpr char program_suffix[] = ".exe";
#else
inline constexpr char program_suffix[] = "";
#endif

// The running program's own file with every symbolic link resolved, so that
// a program started through a link or a launcher finds the files installed
// beside it whatever the current folder. Empty when the system cannot tell.
std::string OwnPath();

// A program started by this one and watched without blocking: the caller
// polls it between its own work (a window to keep alive) and ends it when it
// takes too long. The child's standard input is empty; its standard output
// and standard error are captured together, in the order written.
//
// The owner going away ends a child that still runs (Stop), so that a program
// that exits while a child runs does not leave it behind.
class child_process {
  public:
    child_process() = default;
    ~child_process() { Stop(stop_grace_ms); }
    child_process(const child_process &) = delete;
    child_process &operator=(const child_process &) = delete;

    // Starts `program` (a path) with the arguments after its name, in the
    // current folder and environment. False when it could not be started,
    // with the reason in `error`. A child still running from an earlier
    // start is ended first.
    bool Start(const std::string &program, const std::vector<std::string> &args,
               std::string &error);

    // Collects what the child wrote since the last call, without waiting, and
    // tells whether it still runs. False once it has ended (or was never
    // started); its exit status is known from then on.
    bool Running();

    // Ends the child and what it started: asks them to end (on POSIX,
    // SIGTERM to the child's process group; on Windows, WM_CLOSE to the
    // windows of the processes in the child's job: an SDL program takes
    // either as a quit request and puts the display back as it found it),
    // waits up to `grace_ms` for them, then forces them. Returns once the
    // child has ended.
    void Stop(int grace_ms);

    // How the child ended: its exit status (0..255) when it ended by itself,
    // -1 when it was ended by a signal or has not ended.
    int ExitStatus() const { return status_; }

    // What the child wrote to its standard output and error so far; at most
    // the last output_limit bytes.
    const std::string &Output() const { return output_; }

    static constexpr size_t output_limit = 64 * 1024;
    static constexpr int stop_grace_ms = 1000;

  private:
    void Drain();
    void Ended(const int *wait_status);

    std::intptr_t process_ = -1; // POSIX: the process id; Windows: its handle
    std::intptr_t group_ = -1;   // the child and what it starts: POSIX, the process group's id;
                                 // Windows, the job object's handle
    std::intptr_t pipe_ = -1;    // the reading end of the child's output
    bool running_ = false;
    int status_ = -1;
    std::string output_;
};

} // namespace platform
