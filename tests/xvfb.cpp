// xvfb.cpp - the number read from -displayfd; stopped at exit, after SDL_Quit, or by the kernel.

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

} // namespace

bool StartOwnXvfb()
{
    if (server > 0) return true;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1); // the parent is already gone
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2}) dup2(null, fd);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0",
               "1024x768x24", "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The display number and a line break, or nothing after 10 s.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    for (char c = 0; pid > 0 && c != '\n' && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1;)
        if (c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb did not start (is the xvfb package installed?)\n");
        if (pid > 0) kill(pid, SIGTERM), waitpid(pid, nullptr, 0);
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    server = pid;
    owner = parent;
    std::atexit(StopServer);
    return true;
}
