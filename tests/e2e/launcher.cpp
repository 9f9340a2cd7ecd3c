// The Linux build's programs, started directly.
#include "launcher.h"

const Launcher kLauncher{true, 0, TUBE_DATA_FROM_BIN};

bool launcherAvailable(std::string&)
{
    return true;
}

std::vector<std::string> launcherCommand(const std::string& program,
                                         const std::vector<std::string>& args)
{
    std::vector<std::string> command;
    if (program == "helixsoft") {
        command = {HELIXSOFT_PATH};
    } else if (program == "vesselgl") {
        command = {VESSELGL_PATH};
    } else if (program == "tube-checksums") {
        command = {TUBE_CHECKSUMS_PATH};
    } else {
        command = {HELIXSOFT_CAPTURE_PATH};
    }
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

void launcherPrepare(ChildOptions&) {}

void launcherFinish() {}
