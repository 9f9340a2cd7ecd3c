// Child processes for the end-to-end tests. Output is drained while waiting so
// that a chatty program can never block on a full pipe, and every child is
// killed with its parent, so a failed test leaves no demo running.
#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, const ChildOptions& options,
                            int outFd, int errFd)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) {
        _exit(126);
    }
    for (const std::string& name : options.unsetEnv) {
        unsetenv(name.c_str());
    }
    for (const auto& [name, value] : options.setEnv) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Reads whatever is available on the two pipes, waiting at most waitMs.
void drainOutput(ChildProcess& child, int waitMs)
{
    pollfd fds[2] = {{child.stdoutFd, POLLIN, 0}, {child.stderrFd, POLLIN, 0}};
    if (poll(fds, 2, waitMs) <= 0) {
        return;
    }
    char buffer[4096];
    int* owners[2] = {&child.stdoutFd, &child.stderrFd};
    std::string* sinks[2] = {&child.out, &child.err};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) {
            continue;
        }
        const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
        if (got > 0) {
            sinks[i]->append(buffer, static_cast<size_t>(got));
        } else {
            closeFd(*owners[i]);
        }
    }
}

}  // namespace

bool childStart(ChildProcess& child, const std::vector<std::string>& argv,
                const ChildOptions& options)
{
    int outPipe[2];
    int errPipe[2];
    if (argv.empty() || pipe2(outPipe, O_CLOEXEC) != 0) {
        return false;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        execChild(argv, options, outPipe[1], errPipe[1]);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return false;
    }
    child = ChildProcess{};
    child.pid = pid;
    child.stdoutFd = outPipe[0];
    child.stderrFd = errPipe[0];
    return true;
}

bool childWait(ChildProcess& child, int timeoutMs, int& exitStatus)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (child.pid > 0) {
        int status = 0;
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) {
            // Collect what is still in the pipes (grandchildren may hold them open briefly).
            for (int i = 0; i < 50 && (child.stdoutFd >= 0 || child.stderrFd >= 0); ++i) {
                drainOutput(child, 20);
            }
            closeFd(child.stdoutFd);
            closeFd(child.stderrFd);
            child.pid = -1;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        drainOutput(child, 10);
    }
    return false;
}

void childKill(ChildProcess& child)
{
    if (child.pid > 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, nullptr, 0);
        child.pid = -1;
    }
    closeFd(child.stdoutFd);
    closeFd(child.stderrFd);
}
