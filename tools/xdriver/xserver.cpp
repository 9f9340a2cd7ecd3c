// Starting and stopping a private Xvfb. The server picks a free display number
// itself (-displayfd) so that parallel tests never collide, and it dies with
// the process that started it.
#include "xdriver.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr int startTimeoutMs = 10000;
constexpr int stopTimeoutMs = 3000;

[[noreturn]] void execXvfb(int writeFd, int width, int height, int depth)
{
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    const std::string fd = std::to_string(writeFd);
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
}

// Reads the display number that Xvfb writes once it is ready for clients.
bool readDisplayNumber(int readFd, std::string& number)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
    char buffer[32];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{readFd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        const ssize_t got = read(readFd, buffer, sizeof buffer);
        if (got <= 0) {
            return false;  // the server ended before it was ready
        }
        number.append(buffer, static_cast<size_t>(got));
        if (number.find('\n') != std::string::npos) {
            number.erase(number.find('\n'));
            return !number.empty();
        }
    }
    return false;
}

bool serverAnswers(const std::string& display)
{
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    XCloseDisplay(connection);
    return true;
}

}  // namespace

bool xvfbStart(XServerProcess& server, int width, int height, int depth)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // Only the write end may survive exec.
        fcntl(fds[1], F_SETFD, 0);
        execXvfb(fds[1], width, height, depth);
    }
    close(fds[1]);
    std::string number;
    const bool ready = readDisplayNumber(fds[0], number);
    close(fds[0]);
    server.pid = pid;
    server.display = ":" + number;
    if (!ready || !serverAnswers(server.display)) {
        xvfbStop(server);
        return false;
    }
    return true;
}

void xvfbStop(XServerProcess& server)
{
    if (server.pid <= 0) {
        return;
    }
    kill(server.pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(stopTimeoutMs);
    while (waitpid(server.pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(server.pid, SIGKILL);
            waitpid(server.pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server.pid = -1;
    server.display.clear();
}
