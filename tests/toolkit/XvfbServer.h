#pragma once
// Starts Xvfb on a free display (it picks one and reports it through -displayfd) and stops it
// again. Sets DISPLAY for the process while it runs.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace guitest
{

class XvfbServer
{
public:
    XvfbServer()
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0)
        {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            // Quiet: the server's start-up chatter is of no interest to the test log.
            freopen("/dev/null", "w", stderr);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0)
        {
            close(fds[0]);
            return;
        }
        // The display number arrives once the server accepts connections.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 10000) > 0)
        {
            char c;
            const ssize_t n = read(fds[0], &c, 1);
            if (n <= 0 || c == '\n') break;
            number += c;
        }
        close(fds[0]);
        if (number.empty())
        {
            stop();
            return;
        }
        display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);
    }
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return !display.empty(); }
    const std::string& name() const { return display; }

private:
    void stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
        display.clear();
    }
    pid_t pid = -1;
    std::string display;
};

} // namespace guitest
