// The Windows build's programs under Wine. $TUBE_WINE_TESTS names the Windows
// build folder; its Wine prefix is wine/ there, prepared by
// scripts/test-windows.sh (Wine set to offer only the X screen's own mode).
// Wine's server outlives each program and stays bound to the X display it
// first met, so it is ended after every run.
#include "launcher.h"

#include <cstdlib>

namespace {

constexpr const char* kBuildVariable = "TUBE_WINE_TESTS";
constexpr const char* kWine = "/usr/bin/wine";
constexpr int kServerStopMs = 10000;

std::string windowsBuild()
{
    const char* dir = std::getenv(kBuildVariable);
    return dir == nullptr ? std::string() : std::string(dir);
}

std::string programPath(const std::string& program)
{
    if (program == "helixsoft") {
        return windowsBuild() + "/helixsoft/helixsoft.exe";
    }
    if (program == "vesselgl") {
        return windowsBuild() + "/vesselgl/vesselgl.exe";
    }
    if (program == "tube-checksums") {
        return windowsBuild() + "/tools/tube_checksums/tube-checksums.exe";
    }
    return windowsBuild() + "/tools/helixsoft_capture/helixsoft-capture.exe";
}

}  // namespace

// A cold Wine start takes a few seconds before the program's first line runs;
// a Windows program's data lies beside it.
const Launcher kLauncher{false, 5000, "."};

bool launcherAvailable(std::string& reason)
{
    if (windowsBuild().empty()) {
        reason = std::string(kBuildVariable) + " is not set (scripts/test-windows.sh sets it)";
        return false;
    }
    return true;
}

std::vector<std::string> launcherCommand(const std::string& program,
                                         const std::vector<std::string>& args)
{
    std::vector<std::string> command = {kWine, programPath(program)};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

void launcherPrepare(ChildOptions& options)
{
    options.setEnv.push_back({"WINEPREFIX", windowsBuild() + "/wine"});
    options.setEnv.push_back({"WINEDEBUG", "-all"});
    options.setEnv.push_back({"WINEDLLOVERRIDES", "mscoree,mshtml="});
}

void launcherFinish()
{
    ChildOptions options;
    launcherPrepare(options);
    for (const char* step : {"-k", "-w"}) {  // kill, then wait until it is gone
        ChildProcess server;
        int status = 0;
        if (childStart(server, {"/usr/bin/wineserver", step}, options) &&
            !childWait(server, kServerStopMs, status)) {
            childKill(server);
        }
    }
}
