// Starting and stopping private X servers: Xvfb, and Xorg with the dummy video
// driver, which switches modes through RandR as a desktop's server does. The
// server picks a free display number itself (-displayfd) so that parallel tests
// never collide, and it dies with the process that started it. Xorg gets its
// configuration, an empty configuration folder and its log in a private
// temporary folder, removed when it stops.
#include "xdriver.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int startTimeoutMs = 10000;
constexpr int stopTimeoutMs = 3000;
constexpr const char* kDummyDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";

// The dummy driver adds its usual modes to these; 1920x1080 comes first, so
// the server starts in it. No input devices: XTEST's keyboard is all it needs,
// and a server that switches no VT runs without a console of its own.
constexpr const char* kDummyConfig = R"(Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 32768
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
  Modeline "640x480" 25.175 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080" "640x480"
    Virtual 1920 1080
  EndSubSection
EndSection
)";

[[noreturn]] void execServer(std::vector<std::string> args)
{
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
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

void serverKill(XServerProcess& server)
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

// Starts a server whose arguments follow "-displayfd FD".
bool serverStart(XServerProcess& server, const std::string& program,
                 const std::vector<std::string>& args)
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
        std::vector<std::string> command = {program, "-displayfd", std::to_string(fds[1])};
        command.insert(command.end(), args.begin(), args.end());
        execServer(command);
    }
    close(fds[1]);
    std::string number;
    const bool ready = readDisplayNumber(fds[0], number);
    close(fds[0]);
    server.pid = pid;
    server.display = ":" + number;
    if (!ready || !serverAnswers(server.display)) {
        serverKill(server);
        return false;
    }
    return true;
}

// The last error line of Xorg's log, or its last line.
std::string lastLogError(const std::string& logPath)
{
    std::ifstream log(logPath);
    std::string line;
    std::string last;
    std::string lastError;
    while (std::getline(log, line)) {
        last = line.empty() ? last : line;
        lastError = line.find("(EE)") != std::string::npos && line.size() > 8 ? line : lastError;
    }
    return lastError.empty() ? last : lastError;
}

bool makeDummyFolder(XServerProcess& server)
{
    char pattern[] = "/tmp/xorg_dummy_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return false;
    }
    server.folder = pattern;
    std::error_code error;
    std::filesystem::create_directory(server.folder + "/conf.d", error);
    std::ofstream config(server.folder + "/xorg.conf");
    config << kDummyConfig;
    return !error && config.flush().good();
}

}  // namespace

bool xvfbStart(XServerProcess& server, int width, int height, int depth)
{
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    return serverStart(server, "Xvfb", {"-screen", "0", screen, "-nolisten", "tcp", "-noreset"});
}

bool xorgDummyStart(XServerProcess& server, std::string& reason)
{
    if (geteuid() != 0) {
        reason = "Xorg with the dummy driver runs as root here, and this is not root";
        return false;
    }
    if (access(kDummyDriver, R_OK) != 0) {
        reason = std::string("no Xorg dummy driver (") + kDummyDriver +
                 "; scripts/install-deps.sh installs it)";
        return false;
    }
    if (!makeDummyFolder(server)) {
        reason = "cannot write the server's configuration into a temporary folder";
        xServerStop(server);
        return false;
    }
    const std::string folder = server.folder;
    const std::string log = folder + "/Xorg.log";
    if (!serverStart(server, "Xorg",
                     {"-config", folder + "/xorg.conf", "-configdir", folder + "/conf.d",
                      "-logfile", log, "-nolisten", "tcp", "-noreset", "-novtswitch",
                      "-sharevts"})) {
        reason = "Xorg did not start: " + lastLogError(log);
        xServerStop(server);
        return false;
    }
    return true;
}

void xvfbStop(XServerProcess& server)
{
    xServerStop(server);
}

void xServerStop(XServerProcess& server)
{
    serverKill(server);
    if (!server.folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(server.folder, ignored);  // its log, now that it is gone
        server.folder.clear();
    }
}
