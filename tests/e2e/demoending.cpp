// Endings, modes and --fps lines for the end-to-end tests, over xdriver.
#include "demoending.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

bool parseFpsLine(const std::string& line, double& rate)
{
    int frames = 0;
    double seconds = 0.0;
    char tail = 0;
    return std::sscanf(line.c_str(), "%d frames in %lf seconds = %lf FP%c", &frames, &seconds,
                       &rate, &tail) == 4 &&
           tail == 'S';
}

}  // namespace

std::string modeSwitchingServerStart(XServerProcess& server, bool native)
{
    if (!native) {
        return "Wine is told to offer only the X screen's own mode";
    }
    std::string reason;
    return xorgDummyStart(server, reason) ? "" : reason;
}

std::string endingName(DemoEnding ending)
{
    const char* names[] = {"key", "close request", "SIGINT", "SIGTERM", "SIGHUP", "two signals"};
    return names[static_cast<int>(ending)];
}

int endingStatus(DemoEnding ending)
{
    switch (ending) {
    case DemoEnding::Interrupt:
    case DemoEnding::TwoSignals: return 128 + SIGINT;
    case DemoEnding::Terminate: return 128 + SIGTERM;
    case DemoEnding::HangUp: return 128 + SIGHUP;
    default: return 0;
    }
}

bool endChild(const std::string& display, const ChildProcess& child, DemoEnding ending)
{
    switch (ending) {
    case DemoEnding::Key: return xSendKey(display, "Escape");
    case DemoEnding::CloseRequest: return xRequestClose(display);
    case DemoEnding::Interrupt: return kill(child.pid, SIGINT) == 0;
    case DemoEnding::Terminate: return kill(child.pid, SIGTERM) == 0;
    case DemoEnding::HangUp: return kill(child.pid, SIGHUP) == 0;
    case DemoEnding::TwoSignals: return kill(child.pid, SIGINT) == 0 && kill(child.pid, SIGTERM) == 0;
    }
    return false;
}

bool waitForMode(const std::string& display, int width, int height, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        int w = 0;
        int h = 0;
        if (xCurrentMode(display, w, h) && w == width && h == height) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < deadline);
    return false;
}

namespace {

// The rates of the --fps lines of text, and the other lines.
std::vector<double> splitFpsLines(const std::string& text, std::string& rest)
{
    std::vector<double> rates;
    std::istringstream lines(text);
    std::string line;
    double rate = 0.0;
    while (std::getline(lines, line)) {
        if (parseFpsLine(line, rate)) {
            rates.push_back(rate);
        } else {
            rest += line + "\n";
        }
    }
    return rates;
}

}  // namespace

bool waitForFpsLine(const ChildProcess& child, int timeoutMs, double& rate)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        std::string rest;
        const std::vector<double> rates = splitFpsLines(readFile(child.errPath), rest);
        if (!rates.empty()) {
            rate = rates.front();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (Clock::now() < deadline);
    return false;
}

std::string withoutFpsLines(const std::string& text)
{
    std::string rest;
    splitFpsLines(text, rest);
    return rest;
}

std::string withoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

void expectModeTakenAndGivenBackHoweverItEnds(
    const std::string& display, int width, int height, int startTimeoutMs,
    const std::function<void(ChildProcess&, const std::vector<std::string>&)>& start,
    const std::function<void(ChildProcess&, int)>& expectEnd)
{
    constexpr int kModeBackMs = 1000;  // the server's time to act on a mode change
    for (const DemoEnding ending : kAllEndings) {
        SCOPED_TRACE(endingName(ending));
        ChildProcess child;
        start(child, {});
        EXPECT_TRUE(waitForMode(display, width, height, startTimeoutMs));
        EXPECT_TRUE(xWaitForMappedWindow(display, startTimeoutMs));
        EXPECT_TRUE(endChild(display, child, ending));
        expectEnd(child, endingStatus(ending));
        EXPECT_TRUE(waitForMode(display, 1920, 1080, kModeBackMs)) << "left behind";
    }
    ChildProcess child;
    start(child, {"--window"});
    EXPECT_TRUE(xWaitForMappedWindow(display, startTimeoutMs));
    EXPECT_FALSE(waitForMode(display, width, height, kModeBackMs)) << "a window";
    EXPECT_TRUE(xRequestClose(display));
    expectEnd(child, 0);
}
