// helixsoft end to end in private Xvfb servers, as the Linux build or as the
// Windows build under Wine (see launcher.h): it takes a 640x480 screen at
// depths 24, 16 and (Linux) 15, shows the shaded tube in the depth's own format
// and ends with status 0 on a key, a close request or (Linux) the loss of its
// display; on a palette display, a screen of another size or with no display
// at all it ends with status 255, saying a word only for the screen of another
// size. Full screen the start spin and the frame on screen are unknowable from
// outside, so the picture is judged by what every frame of the tube shares:
// red and blue shading, never green. In a window the frame is found among the
// renderer's own. On Xorg's dummy driver (Linux) the mode switches and comes back.
#include "demoending.h"
#include "launcher.h"
#include "process.h"
#include "runoptions.h"
#include "scene.h"
#include "version.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
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

// Screenshots until the tube is there (that share of the screen lit): the
// first frames may still be black.
bool waitForPicture(const std::string& display, Screenshot& shot, double share = kMinLitShare)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs + kLauncher.startupMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (xScreenshot(display, shot) && litShare(shot) >= share) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Runs the program to its end and judges how it ended and what it said
// besides its --fps lines.
void expectEnd(ChildProcess& child, int expectedStatus, const std::string& says = "")
{
    int status = -1;
    const bool ended = childWait(child, kTimeoutMs + kLauncher.startupMs, status);
    childKill(child);
    launcherFinish();
    ASSERT_TRUE(ended) << "still running";
    EXPECT_EQ(status, expectedStatus);
    EXPECT_EQ(child.out, "");
    const std::string err = withoutFpsLines(withoutCarriageReturns(child.err));
    if (kLauncher.native) {
        EXPECT_EQ(err, says);
    } else {  // Wine's own processes share standard error
        EXPECT_NE(err.find(says), std::string::npos) << err;
    }
}

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

class HelixsoftOnDepth : public LaunchedTest, public ::testing::WithParamInterface<DepthCase> {};

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

using HelixsoftWithoutScreen = LaunchedTest;

// A palette display, a screen whose only mode is not 640x480, and no display.
TEST_F(HelixsoftWithoutScreen, APaletteDisplayAnotherSizeOrNoneEndsWith255)
{
    const struct {
        int width, height, depth;
        const char* says;
    } screens[] = {{kWidth, kHeight, 8, ""},
                   {1024, 768, 24,
                    "helixsoft: the display offers no 640x480 mode; helixsoft --window runs it "
                    "in a window\n"},
                   {0, 0, 0, ""}};
    for (const auto& screen : screens) {
        XServerProcess server;
        ASSERT_TRUE(screen.depth == 0 || xvfbStart(server, screen.width, screen.height, screen.depth));
        ChildProcess child;
        ASSERT_TRUE(childStart(child, launcherCommand("helixsoft"), childOptions(server.display)));
        expectEnd(child, kOpenFailedStatus, screen.says);
        if (screen.depth != 0) {
            EXPECT_FALSE(xWaitForMappedWindow(server.display, 100)) << "a window left behind";
            xvfbStop(server);
        }
    }
}

constexpr int kWideWidth = 1920;
constexpr int kWideHeight = 1080;
constexpr int kWindowScale = 2;        // 1280x960 is the largest multiple that fits 1920x1080
constexpr double kRefreshHz = 60.0;    // Xvfb reports no rate: the program's default
constexpr double kRateTolerance = 0.05;
constexpr int kFpsLineTimeoutMs = 15000;  // the first line comes after 5 s
constexpr int kSearchFrames = 3000;       // 50 s of paced frames
constexpr double kMinWindowLitShare = 0.15;  // the tube in a window of 59 % (Wine: 39 %) of the screen

// The window's frame, from the top-left pixel of every block; false when a
// block is not of one colour, as a frame scaled by whole multiples makes it.
bool frameOfWindow(const Screenshot& shot, const XWindowInfo& window, std::vector<uint32_t>& frame)
{
    frame.assign(size_t{kWidth} * kHeight, 0);
    for (int y = 0; y < kHeight * kWindowScale; ++y) {
        for (int x = 0; x < kWidth * kWindowScale; ++x) {
            const uint32_t pixel =
                shot.rgb[size_t(window.y + y) * size_t(shot.width) + size_t(window.x + x)];
            uint32_t& framePixel = frame[size_t(y / kWindowScale) * kWidth + size_t(x / kWindowScale)];
            if (x % kWindowScale == 0 && y % kWindowScale == 0) {
                framePixel = pixel;
            } else if (framePixel != pixel) {
                return false;
            }
        }
    }
    return true;
}

// helixsoft seeds its start spin from the clock in seconds: the frame shown is
// one of the first of a run started in one of those seconds. 0 when none is.
int frameNumberOf(const std::vector<uint32_t>& frame, time_t from, time_t to)
{
    auto scene = std::make_unique<SceneState>();
    for (time_t second = from; second <= to; ++second) {
        std::srand(static_cast<unsigned>(second));
        std::rand();
        sceneStartup(*scene, SceneStart{true, 0});
        for (int n = 1; n <= kSearchFrames; ++n) {
            sceneRenderFrame(*scene);
            if (scene->pixels == frame) {
                return n;
            }
        }
    }
    return 0;
}

void expectWindowShowsAFrame(const std::string& display, time_t started)
{
    std::vector<XWindowInfo> windows = xMappedWindows(display);
    std::erase_if(windows, [](const XWindowInfo& w) { return w.title != "Spindra by (Quelmot)"; });
    ASSERT_EQ(windows.size(), 1u);
    const XWindowInfo w = windows[0];
    EXPECT_EQ(w.width, kWidth * kWindowScale);
    EXPECT_EQ(w.height, kHeight * kWindowScale);
    EXPECT_EQ(w.x, (kWideWidth - w.width) / 2);
    EXPECT_EQ(w.y, (kWideHeight - w.height) / 2);
    int frame = 0;
    for (int attempt = 0; attempt < 2 && frame == 0; ++attempt) {  // a shot mid-present misses
        Screenshot shot;
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(xScreenshot(display, shot));
        ASSERT_TRUE(frameOfWindow(shot, w, pixels)) << "not scaled by whole multiples";
        frame = frameNumberOf(pixels, started, std::time(nullptr));
    }
    EXPECT_GT(frame, 0) << "no frame of the renderer's first " << kSearchFrames;
}

using HelixsoftInAWindow = LaunchedTest;

// Xvfb has no retrace: the clock paces the frames. The screen keeps its size
// and mode all along. At 2x (1920x1080) the frame is judged, natively: Wine's
// C library draws other random numbers. The rate is judged at 1x (1024x768),
// where drawing a frame costs a quarter of 2x, so that a loaded machine still
// keeps up with the clock; there Ctrl+C ends it by itself, with 128 + SIGINT.
TEST_F(HelixsoftInAWindow, ShowsTheFramesScaledByWholeMultiplesPacedToTheRefreshRate)
{
    const struct {
        int width, height;
        bool judgeFrame;
    } screens[] = {{kWideWidth, kWideHeight, true}, {1024, 768, false}};
    for (const auto& screen : screens) {
        if (screen.judgeFrame && !kLauncher.native) {
            continue;
        }
        XServerProcess server;
        ChildProcess child;
        ASSERT_TRUE(xvfbStart(server, screen.width, screen.height, 24));
        const time_t started = std::time(nullptr);
        ASSERT_TRUE(childStart(child, launcherCommand("helixsoft", {"--window", "--paced", "--fps"}),
                               childOptions(server.display)));
        Screenshot shot;
        ASSERT_TRUE(waitForPicture(server.display, shot, kMinWindowLitShare));
        if (screen.judgeFrame) {
            expectWindowShowsAFrame(server.display, started);
        } else {
            double rate = 0.0;
            EXPECT_TRUE(waitForFpsLine(child, kFpsLineTimeoutMs + kLauncher.startupMs, rate));
            EXPECT_NEAR(rate, kRefreshHz, kRefreshHz * kRateTolerance);
        }
        EXPECT_TRUE(waitForMode(server.display, screen.width, screen.height, 0));
        if (screen.judgeFrame) {
            EXPECT_TRUE(xRequestClose(server.display));
            expectEnd(child, 0);
        } else {  // Ctrl+C in its terminal; Wine hands it to the console's handler
            EXPECT_EQ(kill(child.pid, SIGINT), 0);
            expectEnd(child, 128 + SIGINT);
            EXPECT_EQ(child.endSignal, 0) << "killed by the signal, not ended by itself";
        }
        xvfbStop(server);
    }
}

using HelixsoftArguments = LaunchedTest;

// Unpaced, full screen, it runs far above any refresh rate; an unknown
// argument is reported with the usage and changes nothing else.
TEST_F(HelixsoftArguments, UnknownOnesAreReportedAndTheDemoRunsUnpacedAsBefore)
{
    XServerProcess server;
    ChildProcess child;
    ASSERT_TRUE(xvfbStart(server, kWidth, kHeight, 24));
    ASSERT_TRUE(childStart(child, launcherCommand("helixsoft", {"--fps", "--bogus"}),
                           childOptions(server.display)));
    Screenshot shot;
    EXPECT_TRUE(waitForPicture(server.display, shot));
    double rate = 0.0;
    EXPECT_TRUE(waitForFpsLine(child, kFpsLineTimeoutMs + kLauncher.startupMs, rate));
    EXPECT_GT(rate, kLauncher.native ? 2 * kRefreshHz : 0.0);  // Wine's DirectDraw draws on llvmpipe
    EXPECT_TRUE(xSendKey(server.display, "Escape"));
    expectEnd(child, 0,
              "helixsoft: unknown option '--bogus', ignored\n" + runOptionsUsage(kHelixsoftProgram));
    xvfbStop(server);
    // --help and --version take the same way out.
    ASSERT_TRUE(childStart(child, launcherCommand("helixsoft", {"--version"}), childOptions("")));
    int status = -1;
    ASSERT_TRUE(childWait(child, kTimeoutMs + kLauncher.startupMs, status));
    launcherFinish();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(withoutCarriageReturns(child.out), "helixsoft " + std::string(kTubeVersion) + "\n");
}

using HelixsoftOnXorg = LaunchedTest;

// A server that switches modes: the display is 640x480 while the demo runs and
// 1920x1080 again after every ending; in a window the mode never changes.
TEST_F(HelixsoftOnXorg, TakesTheModeAndGivesItBackHoweverItEnds)
{
    XServerProcess server;
    const std::string skip = modeSwitchingServerStart(server, kLauncher.native);
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    expectModeTakenAndGivenBackHoweverItEnds(
        server.display, kWidth, kHeight, kTimeoutMs,
        [&](ChildProcess& child, const std::vector<std::string>& args) {
            ASSERT_TRUE(childStart(child, launcherCommand("helixsoft", args),
                                   childOptions(server.display)));
        },
        [](ChildProcess& child, int status) { expectEnd(child, status); });
    xServerStop(server);
}

}  // namespace
