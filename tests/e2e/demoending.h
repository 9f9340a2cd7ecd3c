// What the desktop end-to-end tests of both demos share: ending a running demo
// as a user or the system would, watching the video mode change and come back,
// and reading the --fps lines a demo prints while it runs.
#pragma once

#include "launcher.h"
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A demo test that runs only where the launcher can (the Windows build is named).
class LaunchedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string reason;
        if (!launcherAvailable(reason)) {
            GTEST_SKIP() << reason;
        }
    }
};

// Messages compared without the carriage returns that end Windows lines.
std::string withoutCarriageReturns(std::string text);

enum class DemoEnding { Key, CloseRequest, Interrupt, Terminate, HangUp, TwoSignals };

inline constexpr DemoEnding kAllEndings[] = {DemoEnding::Key,       DemoEnding::CloseRequest,
                                         DemoEnding::Interrupt, DemoEnding::Terminate,
                                         DemoEnding::HangUp,    DemoEnding::TwoSignals};

std::string endingName(DemoEnding ending);
// The exit status the ending gives: 0, or 128 + the (first) signal's number.
int endingStatus(DemoEnding ending);
// Escape, WM_DELETE_WINDOW, or the signals (SIGINT and then SIGTERM for two).
bool endChild(const std::string& display, const ChildProcess& child, DemoEnding ending);

// Starts Xorg's dummy driver, which switches modes as a desktop does: "" when
// it runs, else why the test must skip (under Wine, which the tests tell to
// offer only the X screen's own mode, or without the driver).
std::string modeSwitchingServerStart(XServerProcess& server, bool native);

// Waits until the display's video mode is width x height; false after timeoutMs.
bool waitForMode(const std::string& display, int width, int height, int timeoutMs);

// Waits until the running child's standard error holds an --fps line; its rate.
bool waitForFpsLine(const ChildProcess& child, int timeoutMs, double& rate);
// text without the --fps lines ("N frames in T seconds = F FPS").
std::string withoutFpsLines(const std::string& text);

// On a mode-switching server: the demo started by start(args) takes width x
// height while it runs and gives the server's 1920x1080 back after every
// ending, each judged by expectEnd(child, status); with --window the mode never
// changes.
void expectModeTakenAndGivenBackHoweverItEnds(
    const std::string& display, int width, int height, int startTimeoutMs,
    const std::function<void(ChildProcess&, const std::vector<std::string>&)>& start,
    const std::function<void(ChildProcess&, int)>& expectEnd);
