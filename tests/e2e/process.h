// Child processes for the end-to-end tests: start a program with a chosen
// working directory and environment, collect what it prints, wait with a limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
    std::string out;   // everything read from standard output so far
    std::string err;   // everything read from standard error so far
};

struct ChildOptions {
    std::string workDir;                                       // "" = current
    std::vector<std::pair<std::string, std::string>> setEnv;   // e.g. {"DISPLAY", ":7"}
    std::vector<std::string> unsetEnv;                         // e.g. {"DISPLAY", "WAYLAND_DISPLAY"}
};

bool childStart(ChildProcess& child, const std::vector<std::string>& argv,
                const ChildOptions& options);
// Waits at most timeoutMs for the child to end, reading its output meanwhile.
// On true, exitStatus is the exit code (0-255), or 128 + signal number.
bool childWait(ChildProcess& child, int timeoutMs, int& exitStatus);
// Kills the child if still running and reaps it.
void childKill(ChildProcess& child);
