// process_posix.cpp - running a child program and finding our own, on POSIX
// systems (process.h).
//
// The child is started with posix_spawn: its standard input from /dev/null,
// its standard output and error into one pipe whose reading end this process
// keeps non-blocking, so that Running() takes what is there and goes on. The
// pipe's ends are close-on-exec, so no other child inherits them. Signals
// that this process ignores or blocks (SIGXFSZ, and whatever SDL set up) are
// put back to their defaults in the child. waitpid with WNOHANG tells an
// ended child from a running one without waiting.
//
// The child leads a process group of its own (set in the child before it
// runs the program, and again here, whichever comes first), which whatever
// it starts joins: a display test started through a wrapper script is the
// script's child. Stop signals the whole group, so the asking reaches the
// program that has the display and the forcing leaves nothing running; the
// group's id stays valid while any member lives, even after the child has
// been reaped.

#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

void SleepMs(long ms)
{
    timespec pause{0, ms * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

// The spawn attributes and file actions, released on every way out.
struct spawn_setup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    spawn_setup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~spawn_setup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    spawn_setup(const spawn_setup &) = delete;
    spawn_setup &operator=(const spawn_setup &) = delete;
};

} // namespace

std::string OwnPath()
{
    char *real = realpath("/proc/self/exe", nullptr);
    if (!real) return {};
    std::string path = real;
    std::free(real);
    return path;
}

bool child_process::Start(const std::string &program, const std::vector<std::string> &args,
                          std::string &error)
{
    Stop(stop_grace_ms);
    output_.clear();
    status_ = -1;

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    spawn_setup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, ends[1], 1);
    posix_spawn_file_actions_adddup2(&setup.actions, ends[1], 2);
    sigset_t all, none;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setpgroup(&setup.attributes, 0); // a group of its own, led by the child
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                                    POSIX_SPAWN_SETPGROUP);

    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    close(ends[1]);
    if (failed) {
        close(ends[0]);
        error = std::strerror(failed);
        return false;
    }
    setpgid(pid, pid); // fails harmlessly once the child has done it and runs the program
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    process_ = pid;
    group_ = pid;
    pipe_ = ends[0];
    running_ = true;
    return true;
}

void child_process::Drain()
{
    if (pipe_ < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(static_cast<int>(pipe_), buffer, sizeof buffer);
        if (got > 0) {
            output_.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break; // nothing more for now (EAGAIN), or the end of the output
    }
    if (output_.size() > output_limit) output_.erase(0, output_.size() - output_limit);
}

// wait_status as waitpid gave it; null when waitpid could not tell.
void child_process::Ended(const int *wait_status)
{
    running_ = false;
    status_ = wait_status && WIFEXITED(*wait_status) ? WEXITSTATUS(*wait_status) : -1;
    Drain(); // what it wrote just before it ended
    close(static_cast<int>(pipe_));
    pipe_ = -1;
    process_ = -1;
}

bool child_process::Running()
{
    if (!running_) return false;
    Drain();
    int wait_status = 0;
    const pid_t got = waitpid(static_cast<pid_t>(process_), &wait_status, WNOHANG);
    if (got == 0 || (got < 0 && errno == EINTR)) return true;
    Ended(got > 0 ? &wait_status : nullptr);
    return false;
}

void child_process::Stop(int grace_ms)
{
    if (!Running()) return;
    const auto group = static_cast<pid_t>(group_), child = static_cast<pid_t>(process_);
    if (kill(-group, SIGTERM) != 0) kill(child, SIGTERM); // no group after all: the child alone
    // Until the child has ended and no other member of its group is left.
    constexpr int step_ms = 10;
    for (int waited = 0; waited < grace_ms; waited += step_ms) {
        SleepMs(step_ms);
        if (!Running() && kill(-group, 0) != 0) return;
    }
    kill(-group, SIGKILL);
    if (!running_) return;
    kill(child, SIGKILL);
    int wait_status = 0;
    pid_t got;
    while ((got = waitpid(child, &wait_status, 0)) < 0 && errno == EINTR) {
    }
    Ended(got > 0 ? &wait_status : nullptr);
}

} // namespace platform
