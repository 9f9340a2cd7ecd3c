// helixsoft end to end in private Xvfb servers, as the Linux build or as the
// Windows build under Wine (see launcher.h): it takes a 640x480 screen at
// depths 24, 16 and (Linux) 15, shows the shaded tube in the depth's own format
// and ends with status 0 on a key or a close request; on a palette display, a
// screen of another size or with no display at all it ends with status 255
// and says nothing. The start spin
// and the frame on screen are unknowable from outside, so the picture is judged
// by what every frame of the tube shares: red and blue shading, never green.
#include "launcher.h"
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <thread>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kWindowTimeoutMs = 15000;
constexpr int kPictureTimeoutMs = 15000;
constexpr int kExitTimeoutMs = 15000;
constexpr int kOpenFailedStatus = 255;  // -1 as the shell sees it
// Every frame of the tube lights 45-79 % of the screen (the renderer's frames
// 1-4000 at eight start spins); the margins leave room for dark shades that a
// 5-bit channel drops to black.
constexpr double kMinLitShare = 0.30;
constexpr double kMaxLitShare = 0.90;

// Empty when the tests can run here, else why they cannot.
std::string skipReason()
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        return reason;
    }
    const bool xvfb = access("/usr/bin/Xvfb", X_OK) == 0 || access("/usr/local/bin/Xvfb", X_OK) == 0;
    return xvfb ? std::string() : "Xvfb is not installed";
}

int exitTimeoutMs()
{
    return kExitTimeoutMs + kLauncher.startupMs;
}

ChildOptions childOptions(const std::string& display)
{
    ChildOptions options;
    options.unsetEnv = {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
    if (display.empty()) {
        options.unsetEnv.push_back("DISPLAY");
    } else {
        options.setEnv.push_back({"DISPLAY", display});
    }
    // SDL and Xlib keep allocations until exit; only the program's own code is judged.
    options.setEnv.push_back({"ASAN_OPTIONS", "detect_leaks=0"});
    launcherPrepare(options);
    return options;
}

double litShare(const Screenshot& shot)
{
    const auto lit = std::count_if(shot.rgb.begin(), shot.rgb.end(),
                                   [](uint32_t p) { return (p & 0xFFFFFF) != 0; });
    return static_cast<double>(lit) / static_cast<double>(shot.rgb.size());
}

// Screenshots until the tube is there: the first frames may still be black.
bool waitForPicture(const std::string& display, Screenshot& shot)
{
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(kPictureTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (xScreenshot(display, shot) && litShare(shot) >= kMinLitShare) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

struct DepthCase {
    int depth;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    const char* key;  // the key that ends the run
};

void PrintTo(const DepthCase& c, std::ostream* os)
{
    *os << "depth " << c.depth << ", key " << c.key;
}

void expectTubeInFormat(const Screenshot& shot, const DepthCase& c)
{
    ASSERT_EQ(shot.width, kWidth);
    ASSERT_EQ(shot.height, kHeight);
    EXPECT_EQ(shot.redMask, c.redMask);
    EXPECT_EQ(shot.greenMask, c.greenMask);
    EXPECT_EQ(shot.blueMask, c.blueMask);
    const double share = litShare(shot);
    EXPECT_GE(share, kMinLitShare);
    EXPECT_LE(share, kMaxLitShare);  // the tube lies on a black ground
    const uint32_t channels = c.redMask | c.greenMask | c.blueMask;
    const bool packed16 = c.depth != 24;
    uint32_t redBitsSeen = 0;
    uint32_t blueBitsSeen = 0;
    for (size_t i = 0; i < shot.raw.size(); ++i) {
        const uint32_t raw = shot.raw[i];
        // No vertex of the tube has green: a field written one bit off shows here.
        ASSERT_EQ(raw & c.greenMask, 0u) << "pixel " << i << " raw " << std::hex << raw;
        if (packed16) {
            ASSERT_EQ(raw & ~channels, 0u) << "pixel " << i << " raw " << std::hex << raw;
        }
        redBitsSeen |= raw & c.redMask;
        blueBitsSeen |= raw & c.blueMask;
    }
    // Gouraud shading sweeps red and blue through every level, so each bit of
    // both fields is set somewhere; a converter for another layout leaves some
    // of them always clear.
    EXPECT_EQ(redBitsSeen, c.redMask);
    EXPECT_EQ(blueBitsSeen, c.blueMask);
}

class HelixsoftOnDepth : public ::testing::TestWithParam<DepthCase> {
protected:
    void SetUp() override
    {
        const std::string reason = skipReason();
        if (!reason.empty()) {
            GTEST_SKIP() << reason;
        }
        if (GetParam().depth == 15 && !kLauncher.native) {
            GTEST_SKIP() << "Wine makes no DirectDraw surface on a 15-bit screen";
        }
        ASSERT_TRUE(xvfbStart(server, kWidth, kHeight, GetParam().depth));
        ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(server.display)));
        ASSERT_TRUE(xWaitForMappedWindow(server.display, kWindowTimeoutMs + kLauncher.startupMs));
    }
    void TearDown() override
    {
        childKill(child);
        launcherFinish();
        xvfbStop(server);
    }

    void expectCleanExit()
    {
        int status = -1;
        ASSERT_TRUE(childWait(child, exitTimeoutMs(), status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(child.out, "");
        if (kLauncher.native) {
            EXPECT_EQ(child.err, "");
        }
    }

    XServerProcess server;
    ChildProcess child;
};

TEST_P(HelixsoftOnDepth, ShowsTheTubeInTheDisplaysFormatAndEndsOnAKey)
{
    Screenshot shot;
    ASSERT_TRUE(waitForPicture(server.display, shot));
    expectTubeInFormat(shot, GetParam());
    const std::string png = ::testing::TempDir() + "helixsoft_depth" +
                            std::to_string(GetParam().depth) + ".png";
    EXPECT_TRUE(writeScreenshotPng(shot, png));  // kept for a look by eye
    int status = -1;
    EXPECT_FALSE(childWait(child, 0, status)) << "ended before any key";
    ASSERT_TRUE(xSendKey(server.display, GetParam().key));
    expectCleanExit();
}

TEST_P(HelixsoftOnDepth, EndsOnACloseRequest)
{
    Screenshot shot;
    ASSERT_TRUE(waitForPicture(server.display, shot));
    ASSERT_TRUE(xRequestClose(server.display));
    expectCleanExit();
}

// A killed X server is taken as a close request: status 0 and not a word from Xlib.
TEST(HelixsoftLosingTheDisplay, EndsAsOnACloseRequestWithoutAWord)
{
    const std::string reason = skipReason();
    if (!reason.empty()) {
        GTEST_SKIP() << reason;
    }
    if (!kLauncher.native) {
        GTEST_SKIP() << "the X connection is Wine's, not the program's";
    }
    XServerProcess server;
    ChildProcess child;
    ASSERT_TRUE(xvfbStart(server, kWidth, kHeight, 24));
    ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(server.display)));
    Screenshot shot;
    EXPECT_TRUE(waitForPicture(server.display, shot));
    kill(server.pid, SIGKILL);
    xvfbStop(server);  // reaps it
    int status = -1;
    const bool ended = childWait(child, kExitTimeoutMs, status);
    childKill(child);
    ASSERT_TRUE(ended) << "still running without its display";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(child.out, "");
    EXPECT_EQ(child.err, "");
}

INSTANTIATE_TEST_SUITE_P(Depths, HelixsoftOnDepth,
                         // F10 comes to a Windows program as a system key.
                         ::testing::Values(DepthCase{24, 0xFF0000, 0xFF00, 0xFF, "Escape"},
                                           DepthCase{16, 0xF800, 0x7E0, 0x1F, "F10"},
                                           DepthCase{15, 0x7C00, 0x3E0, 0x1F, "a"}),
                         [](const ::testing::TestParamInfo<DepthCase>& info) {
                             return "Depth" + std::to_string(info.param.depth);
                         });

void expectSilentOpenFailure(const std::string& display)
{
    ChildProcess child;
    ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(display)));
    int status = -1;
    const bool ended = childWait(child, exitTimeoutMs(), status);
    childKill(child);
    launcherFinish();
    ASSERT_TRUE(ended);
    EXPECT_EQ(status, kOpenFailedStatus);
    EXPECT_EQ(child.out, "");
    if (kLauncher.native) {
        EXPECT_EQ(child.err, "");
    }
}

struct ScreenCase {
    int width;
    int height;
    int depth;
};

void PrintTo(const ScreenCase& c, std::ostream* os)
{
    *os << c.width << "x" << c.height << "x" << c.depth;
}

class HelixsoftOnUnusableScreen : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(HelixsoftOnUnusableScreen, EndsWith255Silently)
{
    const std::string reason = skipReason();
    if (!reason.empty()) {
        GTEST_SKIP() << reason;
    }
    const ScreenCase c = GetParam();
    XServerProcess server;
    ASSERT_TRUE(xvfbStart(server, c.width, c.height, c.depth));
    expectSilentOpenFailure(server.display);
    EXPECT_FALSE(xWaitForMappedWindow(server.display, 100));  // and left no window behind
    xvfbStop(server);
}

// A palette display, and a screen whose only mode is not 640x480.
INSTANTIATE_TEST_SUITE_P(Screens, HelixsoftOnUnusableScreen,
                         ::testing::Values(ScreenCase{640, 480, 8}, ScreenCase{1024, 768, 24}),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) {
                             return "Screen" + std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height) + "x" +
                                    std::to_string(info.param.depth);
                         });

TEST(HelixsoftWithoutScreen, NoDisplayAtAllEndsWith255Silently)
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        GTEST_SKIP() << reason;
    }
    expectSilentOpenFailure("");
}

}  // namespace
