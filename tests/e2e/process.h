// Child processes for the end-to-end tests: start a program with a chosen
// working directory and environment, collect what it prints, wait with a limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    std::string outPath;  // where standard output and error go while it runs
    std::string errPath;
    std::string out;  // standard output and error, once it has ended
    std::string err;
    int endSignal = 0;  // the signal that killed it; 0 when it ended by itself
};

struct ChildOptions {
    std::string workDir;                                       // "" = current
    std::vector<std::pair<std::string, std::string>> setEnv;   // e.g. {"DISPLAY", ":7"}
    std::vector<std::string> unsetEnv;                         // e.g. {"DISPLAY", "WAYLAND_DISPLAY"}
};

bool childStart(ChildProcess& child, const std::vector<std::string>& argv,
                const ChildOptions& options);
// Waits at most timeoutMs for the child to end. On true, out and err hold what
// it wrote and exitStatus is the exit code (0-255), or 128 + signal number.
bool childWait(ChildProcess& child, int timeoutMs, int& exitStatus);
// Kills the child if still running and reaps it.
void childKill(ChildProcess& child);

// The whole file, "" when it cannot be read.
std::string readFile(const std::string& path);
// The first line of `actual` that differs from `expected`'s, or "" when they agree.
std::string firstDifference(const std::string& actual, const std::string& expected);
