// xvfb.cpp - a private X server for one test or benchmark process.
//
// Xvfb writes its display number to a descriptor (-displayfd) once it accepts
// connections; the number is read from a pipe with a deadline. The server is
// asked to end at exit, after SDL_Quit (registered later, so run earlier) has
// closed the connection, and it is told to end by the kernel if this process
// dies first (PR_SET_PDEATHSIG), so no server outlives its test.

#include "xvfb.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t server = 0;
pid_t owner = 0; // the process that started it; a forked child leaves it alone

void StopServer()
{
    if (server <= 0 || getpid() != owner) return;
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    server = 0;
}

[[noreturn]] void RunServer(pid_t parent, int fd)
{
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1); // the parent is already gone
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    const std::string displayfd = std::to_string(fd);
    execlp("Xvfb", "Xvfb", "-displayfd", displayfd.c_str(), "-screen", "0", "1024x768x24",
           "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
    _exit(127);
}

// The display number the server writes, or "" after 10 s or at end of file.
std::string ReadNumber(int fd)
{
    std::string number;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) return "";
        char c;
        if (read(fd, &c, 1) != 1) return "";
        if (c == '\n') return number;
        number += c;
    }
}

} // namespace

bool StartOwnXvfb()
{
    if (server > 0) return true;
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        RunServer(parent, fds[1]);
    }
    close(fds[1]);
    if (pid < 0) {
        std::perror("fork");
        close(fds[0]);
        return false;
    }
    const std::string number = ReadNumber(fds[0]);
    close(fds[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb did not start (is the xvfb package installed?)\n");
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    server = pid;
    owner = parent;
    std::atexit(StopServer);
    return true;
}
