// helixsoft end to end in private Xvfb servers, as the Linux build or as the
// Windows build under Wine (see launcher.h): it takes a 640x480 screen at
// depths 24, 16 and (Linux) 15, shows the shaded tube in the depth's own format
// and ends with status 0 on a key, a close request or (Linux) the loss of its
// display; on a palette display, a screen of another size or with no display
// at all it ends with status 255. It never says a word. The start spin and the frame on screen are unknowable from
// outside, so the picture is judged by what every frame of the tube shares:
// red and blue shading, never green.
#include "launcher.h"
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <thread>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Each wait's limit, beyond the launcher's own start-up.
constexpr int kTimeoutMs = 15000;
constexpr int kOpenFailedStatus = 255;  // -1 as the shell sees it
// Every frame of the tube lights 45-79 % of the screen (the renderer's frames
// 1-4000 at eight start spins); the margins leave room for dark shades that a
// 5-bit channel drops to black.
constexpr double kMinLitShare = 0.30;
constexpr double kMaxLitShare = 0.90;

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs + kLauncher.startupMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (xScreenshot(display, shot) && litShare(shot) >= kMinLitShare) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Runs the program to its end and judges how it ended.
void expectEnd(ChildProcess& child, int expectedStatus)
{
    int status = -1;
    const bool ended = childWait(child, kTimeoutMs + kLauncher.startupMs, status);
    childKill(child);
    launcherFinish();
    ASSERT_TRUE(ended) << "still running";
    EXPECT_EQ(status, expectedStatus);
    EXPECT_EQ(child.out, "");
    if (kLauncher.native) {  // Wine's own processes share standard error
        EXPECT_EQ(child.err, "");
    }
}

// Runs only where the launcher can (the Windows build is named).
class Launched : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string reason;
        if (!launcherAvailable(reason)) {
            GTEST_SKIP() << reason;
        }
    }
};

enum class Ending { Key, CloseRequest, DisplayLost };

struct DepthCase {
    int depth;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    Ending ending;
    const char* key;
};

void PrintTo(const DepthCase& c, std::ostream* os)
{
    *os << "depth " << c.depth << ", ending " << static_cast<int>(c.ending);
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
    uint32_t redBitsSeen = 0;
    uint32_t blueBitsSeen = 0;
    for (size_t i = 0; i < shot.raw.size(); ++i) {
        const uint32_t raw = shot.raw[i];
        // No vertex of the tube has green: a field written one bit off shows here.
        ASSERT_EQ(raw & c.greenMask, 0u) << "pixel " << i << " raw " << std::hex << raw;
        if (c.depth != 24) {
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

class HelixsoftOnDepth : public Launched, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(HelixsoftOnDepth, ShowsTheTubeInTheDisplaysFormatUntilItIsEnded)
{
    const DepthCase& c = GetParam();
    if (!kLauncher.native && c.depth == 15) {
        GTEST_SKIP() << "Wine makes no DirectDraw surface on a 15-bit screen";
    }
    if (!kLauncher.native && c.ending == Ending::DisplayLost) {
        GTEST_SKIP() << "the X connection is Wine's, not the program's";
    }
    XServerProcess server;
    ChildProcess child;
    ASSERT_TRUE(xvfbStart(server, kWidth, kHeight, c.depth));
    ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(server.display)));
    Screenshot shot;
    EXPECT_TRUE(waitForPicture(server.display, shot));
    expectTubeInFormat(shot, c);
    EXPECT_TRUE(writeScreenshotPng(shot, ::testing::TempDir() + "helixsoft_depth" +
                                             std::to_string(c.depth) + ".png"));  // for the eye
    int status = -1;
    EXPECT_FALSE(childWait(child, 0, status)) << "ended before it was asked to";
    if (c.ending == Ending::Key) {
        EXPECT_TRUE(xSendKey(server.display, c.key));
    } else if (c.ending == Ending::CloseRequest) {
        EXPECT_TRUE(xRequestClose(server.display));
    } else {
        kill(server.pid, SIGKILL);  // taken as a close request, without a word from Xlib
    }
    expectEnd(child, 0);
    xvfbStop(server);
}

// F10 comes to a Windows program as a system key.
INSTANTIATE_TEST_SUITE_P(
    Depths, HelixsoftOnDepth,
    ::testing::Values(DepthCase{24, 0xFF0000, 0xFF00, 0xFF, Ending::Key, "Escape"},
                      DepthCase{16, 0xF800, 0x7E0, 0x1F, Ending::Key, "F10"},
                      DepthCase{15, 0x7C00, 0x3E0, 0x1F, Ending::Key, "a"},
                      DepthCase{16, 0xF800, 0x7E0, 0x1F, Ending::CloseRequest, nullptr},
                      DepthCase{24, 0xFF0000, 0xFF00, 0xFF, Ending::DisplayLost, nullptr}));

class HelixsoftWithoutScreen : public Launched {};

// A palette display, a screen whose only mode is not 640x480, and no display.
TEST_F(HelixsoftWithoutScreen, APaletteDisplayAnotherSizeOrNoneEndsWith255)
{
    const struct {
        int width, height, depth;
    } screens[] = {{kWidth, kHeight, 8}, {1024, 768, 24}, {0, 0, 0}};
    for (const auto& screen : screens) {
        XServerProcess server;
        ASSERT_TRUE(screen.depth == 0 || xvfbStart(server, screen.width, screen.height, screen.depth));
        ChildProcess child;
        ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(server.display)));
        expectEnd(child, kOpenFailedStatus);
        if (screen.depth != 0) {
            EXPECT_FALSE(xWaitForMappedWindow(server.display, 100)) << "a window left behind";
            xvfbStop(server);
        }
    }
}

}  // namespace
