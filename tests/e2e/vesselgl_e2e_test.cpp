// vesselgl as a user runs it: in a private Xvfb, from a working directory that
// holds (or lacks) artery.tga, ended with Escape or by a close request, full
// screen or in a window; the Linux build, or the Windows build under Wine (see
// launcher.h). On Xorg's dummy driver (Linux) the mode switches and comes back.
// Messages are compared without the carriage returns that end Windows lines.
#include "bigtga.h"
#include "conventions.h"
#include "demoending.h"
#include "glscreen.h"
#include "launcher.h"
#include "picture_checks.h"
#include "process.h"
#include "runoptions.h"
#include "version.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// llvmpipe under the sanitizers starts slowly; these bound a hang, not speed.
constexpr int kWindowTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 20000;

std::string makeWorkDir(bool withTexture)
{
    char pattern[] = "/tmp/vesselgl_e2e_XXXXXX";
    const char* made = mkdtemp(pattern);
    const std::string dir = made == nullptr ? std::string() : std::string(made);
    if (!dir.empty() && withTexture) {
        std::ifstream from(VESSELGL_ASSET, std::ios::binary);
        std::ofstream to(dir + "/artery.tga", std::ios::binary);
        to << from.rdbuf();
    }
    return dir;
}

void removeWorkDir(const std::string& dir)
{
    if (!dir.empty()) {
        std::filesystem::remove_all(dir);
    }
}

ChildOptions childOptions(const std::string& dir, const std::string& display)
{
    ChildOptions options;
    options.workDir = dir;
    if (display.empty()) {
        options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
    } else {
        options.setEnv = {{"DISPLAY", display}};
        options.unsetEnv = {"WAYLAND_DISPLAY"};
    }
    // Mesa keeps allocations until exit by design, and its driver is unloaded
    // before the leak check, so its leaks cannot even be attributed. The
    // demo's own libraries are leak-checked by their unit tests instead.
    options.setEnv.push_back({"ASAN_OPTIONS", "detect_leaks=0"});
    launcherPrepare(options);
    return options;
}

using VesselglEndToEnd = LaunchedTest;

// One run of the demo in its own X server; everything is torn down on exit.
struct DemoRun {
    XServerProcess server;
    ChildProcess child;
    std::string dir;

    ~DemoRun()
    {
        childKill(child);
        launcherFinish();
        xvfbStop(server);
        removeWorkDir(dir);
    }
};


// The demo copied alone into the folder bin (made here), so that the texture
// beside the build's own program is not found; the command that starts the copy.
std::vector<std::string> commandOfACopy(const std::string& bin)
{
    namespace fs = std::filesystem;
    std::vector<std::string> command = launcherCommand("vesselgl");
    const fs::path copy = fs::path(bin) / fs::path(command.back()).filename();
    fs::create_directories(bin);
    fs::copy_file(command.back(), copy);
    command.back() = copy.string();
    return command;
}

// The demo with its texture and arguments on a screen of width x height.
bool demoStart(DemoRun& run, int width = kScreenWidth, int height = kScreenHeight,
               const std::vector<std::string>& args = {})
{
    run.dir = makeWorkDir(true);
    return !run.dir.empty() && xvfbStart(run.server, width, height, 24) &&
           childStart(run.child, launcherCommand("vesselgl", args),
                      childOptions(run.dir, run.server.display));
}

// The highest resident memory of a running process so far (VmHWM), 0 if unknown.
size_t peakResidentBytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return size_t(std::strtoull(line.c_str() + 6, nullptr, 10)) * 1024;  // given in kB
        }
    }
    return 0;
}

// Ended by itself with the status, not killed.
void expectCleanExit(DemoRun& run, const std::string& says = "", int expectedStatus = 0)
{
    int status = -1;
    ASSERT_TRUE(childWait(run.child, kExitTimeoutMs + kLauncher.startupMs, status))
        << "the demo did not end: " << run.child.out << run.child.err;
    EXPECT_EQ(status, expectedStatus) << run.child.err;
    EXPECT_EQ(run.child.endSignal, 0) << "killed by a signal";
    EXPECT_EQ(withoutCarriageReturns(run.child.out), says);
}

}  // namespace

TEST_F(VesselglEndToEnd, ShowsTheCapturedFramesFullScreenAndAnimates)
{
    DemoRun run;
    ASSERT_TRUE(demoStart(run));
    ASSERT_TRUE(xWaitForMappedWindow(run.server.display, kWindowTimeoutMs + kLauncher.startupMs));
    Screenshot first;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, first));

    // Under Wine other windows may be mapped beside the demo's.
    std::vector<XWindowInfo> windows = xMappedWindows(run.server.display);
    std::erase_if(windows, [](const XWindowInfo& w) { return w.title != "GLFW Window"; });
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].x, 0);
    EXPECT_EQ(windows[0].y, 0);
    EXPECT_EQ(windows[0].width, kScreenWidth);
    EXPECT_EQ(windows[0].height, kScreenHeight);

    // The program on the X server's GL and the capture tool on Mesa's
    // off-screen GL draw the same frames.
    PictureDiff best;
    const int frame = capturedFrameLike(pictureOf(first), VESSELGL_ASSET, best);
    EXPECT_GT(frame, 0) << "no captured frame like the screen; closest " << describeDiff(best);

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Screenshot second;
    ASSERT_TRUE(xScreenshot(run.server.display, second));
    EXPECT_LT(pictureCompare(pictureOf(first), pictureOf(second), 0).shareWithin, 0.95)
        << "the tube moves";

    ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
    expectCleanExit(run);
}

// Copied elsewhere with the texture where an installation keeps it, and
// started from a folder without one, it finds the installed texture: the
// tube shows (a missing texture would end it with the load message).
TEST_F(VesselglEndToEnd, FindsTheTextureInstalledWithItFromAnyFolder)
{
    DemoRun run;
    run.dir = makeWorkDir(false);
    ASSERT_FALSE(run.dir.empty());
    namespace fs = std::filesystem;
    const fs::path bin = fs::path(run.dir) / "installed" / "bin";
    const std::vector<std::string> command = commandOfACopy(bin.string());
    fs::create_directories(bin / kLauncher.dataFromProgram);
    fs::create_directories(run.dir + "/work");
    fs::copy_file(VESSELGL_ASSET, bin / kLauncher.dataFromProgram / "artery.tga");
    ASSERT_TRUE(xvfbStart(run.server, kScreenWidth, kScreenHeight, 24));
    ASSERT_TRUE(childStart(run.child, command, childOptions(run.dir + "/work", run.server.display)));
    Screenshot lit;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, lit))
        << readFile(run.child.outPath);
    ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
    expectCleanExit(run);
}

// A close request, and the X server killed under it, end it with status 0 and
// not a word. (Escape ends the run above.)
TEST_F(VesselglEndToEnd, EndsOnACloseRequestOrWhenItsDisplayGoes)
{
    for (const bool killed : {false, true}) {
        if (killed && !kLauncher.native) {
            continue;  // the X connection is Wine's, not the program's
        }
        DemoRun run;
        ASSERT_TRUE(demoStart(run));
        Screenshot lit;
        ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, lit));
        if (killed) {
            kill(run.server.pid, SIGKILL);
            xvfbStop(run.server);  // reaps it
        } else {
            ASSERT_TRUE(xRequestClose(run.server.display));
        }
        expectCleanExit(run);
        if (kLauncher.native) {  // Wine's own processes share standard error
            EXPECT_EQ(run.child.err, "") << killed;
        }
    }
}

// Every core kept busy while it lives, one thread more than there are cores.
struct BusyCores {
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;

    BusyCores()
    {
        for (unsigned i = 0; i <= std::thread::hardware_concurrency(); ++i) {
            threads.emplace_back([this] {
                while (!stop.load(std::memory_order_relaxed)) {
                }
            });
        }
    }
    ~BusyCores()
    {
        stop = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
};

// Which files the decoder refuses is the unit tests' business; here the
// program's answer to a refusal: the message, status 0 and a clean end, run
// after run. (Under Wine, GLFW's end raced a thread of Wine's XInput and
// crashed on the way out, after the message: on a busy machine in one run in
// five, on an idle one hardly ever, so the runs share the cores with busy
// threads.) Each run is bounded, so a crash whose debugger hangs fails rather
// than stalls.
TEST_F(VesselglEndToEnd, AnUnusableTextureEndsWithTheLoadMessageEveryTime)
{
    // The file cut short, then missing; the race is Wine's alone.
    const int runs = kLauncher.native ? 2 : 30;
    std::optional<BusyCores> busy;
    if (!kLauncher.native) {
        busy.emplace();
    }
    DemoRun run;
    run.dir = makeWorkDir(true);
    ASSERT_FALSE(run.dir.empty());
    const std::string texture = run.dir + "/artery.tga";
    ASSERT_EQ(truncate(texture.c_str(), 5000), 0);
    const std::vector<std::string> command = commandOfACopy(run.dir + "/bin");
    ASSERT_TRUE(xvfbStart(run.server, kScreenWidth, kScreenHeight, 24));
    for (int i = 1; i <= runs && !HasFailure(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i));
        if (i == runs / 2 + 1) {
            ASSERT_TRUE(std::filesystem::remove(texture));
        }
        ASSERT_TRUE(childStart(run.child, command, childOptions(run.dir, run.server.display)));
        expectCleanExit(run, "Failed to load image!!!\n");
        EXPECT_EQ(run.child.err.find("Unhandled"), std::string::npos) << run.child.err;
    }
}

TEST_F(VesselglEndToEnd, WithoutADisplayItReportsAndEndsWithinTwoSeconds)
{
    // Standard input at its end ends the one-second wait for a key early.
    const auto limit = std::chrono::milliseconds(2000 + kLauncher.startupMs);
    const std::string dir = makeWorkDir(true);
    ChildProcess child;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(childStart(child, launcherCommand("vesselgl"), childOptions(dir, "")));
    int status = -1;
    const bool ended = childWait(child, int(limit.count()), status);
    childKill(child);
    launcherFinish();
    removeWorkDir(dir);
    ASSERT_TRUE(ended) << "still running after " << limit.count() << " ms";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(withoutCarriageReturns(child.out), "Failed to initialize GLFW!\n");
    EXPECT_LT(Clock::now() - start, limit);
}

TEST_F(VesselglEndToEnd, AHugeTextureCostsOneMipChainBesideTheGLsOwnCopy)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory and quarantine swell resident memory";
#endif
    if (!kLauncher.native) {
        GTEST_SKIP() << "Wine's own memory would be counted with the program's";
    }
    // A 1 MB file that decodes to 192 MB; texel counts of the whole chain are 4/3 of level 0.
    constexpr size_t kSide = 8192;
    constexpr size_t kChainTexels = kSide * kSide * 4 / 3;
    constexpr size_t kOwnChainBytes = kChainTexels * 3;  // RGB, as decoded
    constexpr size_t kGlChainBytes = kChainTexels * 4;   // Mesa keeps RGB in 4 bytes a texel
    constexpr size_t kProgramBytes = size_t(128) << 20;  // the demo, Mesa and llvmpipe with a small texture use about 90 MB
    DemoRun run;
    run.dir = makeWorkDir(false);
    ASSERT_FALSE(run.dir.empty());
    const std::vector<uint8_t> file = bigTgaEncode(int(kSide), int(kSide));
    std::ofstream(run.dir + "/artery.tga", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    ASSERT_TRUE(xvfbStart(run.server, kScreenWidth, kScreenHeight, 24));
    ASSERT_TRUE(childStart(run.child, launcherCommand("vesselgl"),
                           childOptions(run.dir, run.server.display)));
    Screenshot lit;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, lit))
        << run.child.out;
    const size_t peak = peakResidentBytes(run.child.pid);
    EXPECT_GT(peak, kGlChainBytes);
    EXPECT_LT(peak, kOwnChainBytes + kGlChainBytes + kProgramBytes) << (peak >> 20) << " MB";
    ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
    expectCleanExit(run);
}

namespace {

constexpr int kWideWidth = 1920;
constexpr int kWideHeight = 1080;
constexpr int kFpsLineTimeoutMs = 20000;  // the first line comes after 5 s

struct LitBounds {
    int left = 0;  // of the lit pixels; right and bottom exclusive
    int top = 0;
    int right = 0;
    int bottom = 0;
};

LitBounds litBounds(const Screenshot& shot)
{
    LitBounds b{shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if ((shot.rgb[size_t(y) * size_t(shot.width) + size_t(x)] & 0xFFFFFF) != 0) {
                b = LitBounds{std::min(b.left, x), std::min(b.top, y), std::max(b.right, x + 1),
                              std::max(b.bottom, y + 1)};
            }
        }
    }
    return b;
}

}  // namespace

// The window opens at 2x on a 1920x1080 screen, centred, the mode untouched;
// the picture fills it (its 4:3 area is the whole window) and nothing outside.
// Ctrl+C ends it by itself, with 128 + SIGINT.
TEST_F(VesselglEndToEnd, InAWindowThePictureFillsItAndTheModeStays)
{
    DemoRun run;
    ASSERT_TRUE(demoStart(run, kWideWidth, kWideHeight, {"--window", "--fps"}));
    Screenshot shot;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, shot, 0.1));
    if (kLauncher.native) {  // Wine decorates the window its own way
        std::vector<XWindowInfo> windows = xMappedWindows(run.server.display);
        std::erase_if(windows, [](const XWindowInfo& w) { return w.title != "GLFW Window"; });
        ASSERT_EQ(windows.size(), 1u);
        const XWindowInfo w = windows[0];
        EXPECT_EQ(w.x, 320);
        EXPECT_EQ(w.y, 60);
        EXPECT_EQ(w.width, 2 * kScreenWidth);
        EXPECT_EQ(w.height, 2 * kScreenHeight);
        const LitBounds lit = litBounds(shot);
        EXPECT_GE(lit.left, w.x);
        EXPECT_GE(lit.top, w.y);
        EXPECT_LE(lit.right, w.x + w.width);
        EXPECT_LE(lit.bottom, w.y + w.height);
        EXPECT_GT(lit.bottom - lit.top, kScreenHeight) << "drawn at 1x";
    }
    double rate = 0.0;
    EXPECT_TRUE(waitForFpsLine(run.child, kFpsLineTimeoutMs + kLauncher.startupMs, rate));
    EXPECT_GT(rate, 0.0);
    EXPECT_TRUE(waitForMode(run.server.display, kWideWidth, kWideHeight, 0));
    // Ctrl+C in its terminal; Wine hands it to the console's handler.
    ASSERT_EQ(kill(run.child.pid, SIGINT), 0);
    expectCleanExit(run, "", 128 + SIGINT);
}

// Xvfb at 1920x1080 has no 640x480 mode: full screen, the picture is scaled to
// the screen's height and centred, with black bars left and right.
TEST_F(VesselglEndToEnd, FullScreenAtAnotherSizeThePictureIsCentredAndFillsTheHeight)
{
    if (!kLauncher.native) {
        GTEST_SKIP() << "Wine is told to offer only the X screen's own mode";
    }
    DemoRun run;
    ASSERT_TRUE(demoStart(run, kWideWidth, kWideHeight, {}));
    Screenshot shot;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, shot, 0.15));
    const LitBounds lit = litBounds(shot);
    const int barWidth = (kWideWidth - kWideHeight * 4 / 3) / 2;  // 240
    EXPECT_GE(lit.left, barWidth);
    EXPECT_LE(lit.right, kWideWidth - barWidth);
    EXPECT_GT(lit.bottom - lit.top, kScreenHeight) << "drawn at 1x";
    ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
    expectCleanExit(run);
}

// An unknown argument is reported with the usage and the demo runs as ever;
// --help and --version answer and end.
TEST_F(VesselglEndToEnd, UnknownArgumentsAreReportedAndHelpAndVersionAnswer)
{
    const std::string usage = runOptionsUsage(kVesselglProgram);
    {
        DemoRun run;
        ASSERT_TRUE(demoStart(run, kScreenWidth, kScreenHeight, {"--paced"}));
        Screenshot lit;
        ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs + kLauncher.startupMs, lit));
        ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
        expectCleanExit(run);
        const std::string says = "vesselgl: unknown option '--paced', ignored\n" + usage;
        const std::string err = withoutCarriageReturns(run.child.err);
        EXPECT_TRUE(kLauncher.native ? err == says : err.find(says) != std::string::npos) << err;
    }
    const std::pair<const char*, std::string> answers[] = {
        {"--help", usage}, {"--version", "vesselgl " + std::string(kTubeVersion) + "\n"}};
    for (const auto& [arg, says] : answers) {
        DemoRun run;
        run.dir = makeWorkDir(false);
        ASSERT_TRUE(childStart(run.child, launcherCommand("vesselgl", {arg}), childOptions(run.dir, "")));
        expectCleanExit(run, says);
    }
}

// A server that switches modes: 640x480 while the demo runs, 1920x1080 again
// after every ending; in a window the mode never changes.
TEST_F(VesselglEndToEnd, OnXorgItTakesTheModeAndGivesItBackHoweverItEnds)
{
    XServerProcess server;
    const std::string skip = modeSwitchingServerStart(server, kLauncher.native);
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    const std::string dir = makeWorkDir(true);
    expectModeTakenAndGivenBackHoweverItEnds(
        server.display, kScreenWidth, kScreenHeight, kWindowTimeoutMs,
        [&](ChildProcess& child, const std::vector<std::string>& args) {
            ASSERT_TRUE(childStart(child, launcherCommand("vesselgl", args),
                                   childOptions(dir, server.display)));
        },
        [](ChildProcess& child, int expected) {
            int status = -1;
            EXPECT_TRUE(childWait(child, kExitTimeoutMs, status));
            childKill(child);
            EXPECT_EQ(status, expected);
        });
    removeWorkDir(dir);
    xServerStop(server);
}
