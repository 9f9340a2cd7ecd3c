// How the end-to-end tests start a program: the Linux build as it is, or the
// Windows build under Wine. One implementation is linked into each test
// program, so the same tests judge both builds.
#pragma once

#include "process.h"

#include <string>
#include <vector>

struct Launcher {
    // true: the Linux build itself. false: Wine stands between the program and
    // the test (Wine's processes share standard error, hold the X connection
    // and the memory, and on a 15-bit screen Wine makes no DirectDraw surface).
    bool native;
    int startupMs;  // the launcher's own start-up, added to the time limits
    // Where an installed program's data lies, relative to the program's folder.
    const char* dataFromProgram;
};

extern const Launcher kLauncher;

// false, with a reason, when the launcher cannot run here: the tests skip.
bool launcherAvailable(std::string& reason);
// The command line of a program of the build: "helixsoft", "vesselgl",
// "helixsoft-capture" or "tube-checksums"; args follow the program.
std::vector<std::string> launcherCommand(const std::string& program,
                                         const std::vector<std::string>& args = {});
// Adds what the launcher needs to a child's environment.
void launcherPrepare(ChildOptions& options);
// Ends whatever the launcher left running after a program (Wine's server,
// which stays bound to the X display it first met), so the next run starts clean.
void launcherFinish();
