// Runs a built capture tool as a child through the shell, for the tests that
// judge it from outside: its exit status, what it prints and the files it leaves.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One row of an argument table: the arguments, and what the tool says of them.
struct ParseCase {
    std::vector<std::string> args;
    const char* says;  // nullptr: accepted; else a part of the reason
};

struct RunResult {
    int status;       // the exit status, or -1 when the tool did not exit by itself
    std::string out;
    std::string err;
};

// The whole file, or "" when it cannot be read.
std::string readAll(const std::filesystem::path& path);

// A fresh, empty scratch directory for one test.
std::filesystem::path scratchDir(const std::string& name);

// tool is the program's path; prefix wraps it (a limit, a timeout, a cd);
// stdoutTo replaces the capture of standard output (">'file'", ">&-").
// Standard error is always captured.
RunResult runTool(const std::string& tool, const std::string& args,
                  const std::filesystem::path& scratch, const std::string& prefix = "",
                  const std::string& stdoutTo = "");

// True when the shell finds the program (prlimit, for one).
bool hasProgram(const char* name);

// The names in dir, sorted.
std::vector<std::string> fileNames(const std::filesystem::path& dir);

// "rendered N frames in T ms (F frames/s)" and a line break, nothing more.
bool isSummaryLine(const std::string& text, int frames);
