// Single-key waiting on a POSIX console. Signal keys (Ctrl-C) count as a key
// press here, so the terminal's mode is always restored on the way out.
#include "console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// true when fd became readable (data or end of input) before the deadline.
bool pollReadable(int fd, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        if ((entry.revents & POLLNVAL) != 0) {
            // Not an open descriptor: there is no console to press a key on.
            std::this_thread::sleep_until(deadline);
            return false;
        }
        return true;
    }
}

bool ownsTerminal(int fd)
{
    // tcsetattr from a background job would stop the process with SIGTTOU.
    const pid_t foreground = tcgetpgrp(fd);
    return foreground == -1 || foreground == getpgrp();
}

}  // namespace

bool consoleWaitKey(int fd, int timeoutMs)
{
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    termios saved{};
    const bool terminal = isatty(fd) == 1 && tcgetattr(fd, &saved) == 0;
    if (terminal && !ownsTerminal(fd)) {
        std::this_thread::sleep_until(deadline);
        return false;
    }
    if (terminal) {
        termios single = saved;
        single.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
        single.c_cc[VMIN] = 1;
        single.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &single);
    }
    const bool pressed = pollReadable(fd, deadline);
    if (pressed) {
        char key = 0;
        // Consumed so that the key does not reach the shell; end of input reads 0 bytes.
        [[maybe_unused]] const ssize_t got = read(fd, &key, 1);
    }
    if (terminal) {
        tcsetattr(fd, TCSANOW, &saved);
    }
    return pressed;
}
