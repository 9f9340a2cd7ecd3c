// vesselgl in the browser, judged against vesselgl-capture (Mesa's off-screen
// OpenGL): the site's page in headless Chromium, whose WebGL runs on its own
// software renderer. Two rasterizers do not agree on every edge and texel, so
// a fixed run's frame is held to a share of pixels within a few levels and a
// mean error, not to equality. Skipped unless TUBE_WEB_SITE names a built
// site, as scripts/test-web.sh does; so is the mesh's comparison below, unless
// TUBE_WEB_TUBE_CHECKSUMS names the web build of tube-checksums.
#include "captureoutput.h"
#include "picture_checks.h"
#include "process.h"
#include "webpage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kCaptureTimeoutMs = 120000;
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr int kShotWidth = 700;  // larger than the frame: a fixed run must not scale it
constexpr int kShotHeight = 540;
constexpr double kMeanError = 0.5;         // levels, over all channels
const std::vector<int> kFixedFrames = {1, 45, 90, 240};

class VesselglPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* named = std::getenv("TUBE_WEB_SITE");
        site = named != nullptr ? named : "";
        if (site.empty()) {
            GTEST_SKIP() << "no web build named (TUBE_WEB_SITE)";
        }
    }

    std::string site;
};

std::string shotPath(const std::string& name)
{
    return ::testing::TempDir() + "vesselgl_web_" + name + ".png";
}

// The frames as vesselgl-capture renders them, keyed by frame number.
bool captureFrames(const std::string& dir, const std::vector<int>& frames)
{
    std::string list;
    for (const int frame : frames) {
        list += list.empty() ? "" : ",";
        list += std::to_string(frame);
    }
    ChildProcess child;
    int status = -1;
    const bool ran = childStart(child, {VESSELGL_CAPTURE_PATH, "--frames",
                                        std::to_string(frames.back()), "--save", list, "--out",
                                        dir, "--texture", VESSELGL_ASSET},
                                ChildOptions{}) &&
                     childWait(child, kCaptureTimeoutMs, status);
    childKill(child);
    return ran && status == 0;
}

// The shot's top left frame, and whether everything around it is black.
Picture frameOfShot(const Picture& shot, bool& blackAround)
{
    Picture frame{kFrameWidth, kFrameHeight, {}};
    blackAround = true;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t p = shot.rgb[size_t(y) * shot.width + x];
            if (x < kFrameWidth && y < kFrameHeight) {
                frame.rgb.push_back(p);
            } else {
                blackAround = blackAround && p == 0;
            }
        }
    }
    return frame;
}

// The page at ?frames=N against vesselgl-capture --frames N, for several N,
// with the highlight in view in each of them; a long run keeps the page responsive.
TEST_F(VesselglPage, FixedRunsShowTheCapturedFrameUnscaledAtTheTopLeftAndKeepThePageResponsive)
{
    std::vector<std::string> commands = {"size", std::to_string(kShotWidth) + "x" +
                                                     std::to_string(kShotHeight)};
    for (const int frame : kFixedFrames) {
        const std::string n = std::to_string(frame);
        commands.insert(commands.end(), {"open", "vesselgl.html?frames=" + n, "wait-title",
                                         "frame " + n, "shot", shotPath("frame" + n)});
    }
    appendLongRunCommands(commands, "vesselgl.html?frames=2147483647", 1);
    const WebDriverRun run = webDriverRun(site, commands);
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    EXPECT_EQ(run.evals, (std::vector<std::string>{"0", "\"responsive\""}));
    const std::string captured = ::testing::TempDir() + "vesselgl_web_captured";
    fs::remove_all(captured);
    ASSERT_TRUE(captureFrames(captured, kFixedFrames));
    for (const int frame : kFixedFrames) {
        Picture shot;
        Picture expected;
        ASSERT_TRUE(pictureLoadPng(shotPath("frame" + std::to_string(frame)), shot));
        ASSERT_TRUE(pictureLoadPng(captured + "/" + captureFileName(frame), expected));
        ASSERT_EQ(shot.width, kShotWidth);
        ASSERT_EQ(shot.height, kShotHeight);
        bool blackAround = false;
        const Picture page = frameOfShot(shot, blackAround);
        EXPECT_TRUE(blackAround) << frame << ": the frame is not alone at the top left";
        const PictureDiff diff = pictureCompare(page, expected, kPictureLevels);
        const std::string measured = describeDiff(diff);
        RecordProperty("frame_" + std::to_string(frame), measured);
        std::printf("frame %d, browser against Mesa: %s\n", frame, measured.c_str());
        EXPECT_GE(diff.shareWithin, kPictureShareWithin) << frame << ": " << measured;
        EXPECT_LE(diff.meanError, kMeanError) << frame << ": " << measured;
        EXPECT_GT(pictureLook(page).highlightPixels, 100u) << frame << ": no highlight";
    }
    fs::remove_all(captured);
}

// The demo as a visitor meets it: it animates with the cursor hidden over the
// canvas, takes full screen on a click, ends on Escape (leaving full screen),
// says so, and starts again on request; no console error throughout. The
// frame statistics over two seconds give the frame time in the browser.
TEST_F(VesselglPage, AnimatesEndsOnEscapeAndRestarts)
{
    const std::string shotA = shotPath("running_a");
    const std::string shotB = shotPath("running_b");
    const std::string presents = "demoPage.module.frameStats.presents";
    const WebDriverRun run = webDriverRun(site, {
        "open", "vesselgl.html", "wait", "demoPage.module.frameStats && " + presents + " >= 30",
        "shot", shotA, "sleep", "300", "shot", shotB,
        "eval", "Object.assign(demoPage.module.frameStats, {waits: 0, busyMs: 0, busyMaxMs: 0,"
                " firstWaitAt: 0, lastWaitAt: 0})",
        "sleep", "2000", "eval", "JSON.stringify(demoPage.module.frameStats)",
        "click", "320", "240", "wait", "document.fullscreenElement !== null && demoPage.escapeLocked",
        "eval", "document.fullscreenElement.id + ' ' + demoPage.canvas.style.cursor",
        "key", "Escape", "wait", "demoPage.state === 'ended' && document.fullscreenElement === null",
        "eval", "document.querySelector('.message-text').textContent + ' ' + demoPage.canvas.style.cursor",
        "eval", "document.querySelector('.restart').click()",
        "wait", "demoPage.state === 'running' && demoPage.module.frameStats && " + presents + " >= 10",
        "key", "Escape", "wait", "demoPage.state === 'ended'"});
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    ASSERT_EQ(run.evals.size(), 5u) << run.transcript;
    RecordProperty("frame_stats", run.evals[1]);
    std::printf("frame statistics over 2 s: %s\n", run.evals[1].c_str());
    EXPECT_EQ(run.evals[2], "\"canvas none\"");
    EXPECT_EQ(run.evals[3], "\"The demo has ended. \"");

    Picture a;
    Picture b;
    ASSERT_TRUE(pictureLoadPng(shotA, a));
    ASSERT_TRUE(pictureLoadPng(shotB, b));
    EXPECT_LT(pictureCompare(a, b, kPictureLevels).shareWithin, 0.95)
        << "the picture did not move";
    const PictureLook look = pictureLook(a);
    EXPECT_GT(look.litShare, 0.2);
    const int red = int(look.tubeColor >> 16);
    const int green = int((look.tubeColor >> 8) & 0xFF);
    EXPECT_GT(red, 2 * green) << std::hex << look.tubeColor << ": not the texture's red";
}

// What the page says when the demo cannot run: the program's own message for
// an unusable texture (also on the console), no WebGL, a bad or twice-given fixed run.
TEST_F(VesselglPage, SaysWhyItCannotRun)
{
    // The texture is the first file of the page's data package: a broken
    // header makes it unusable.
    const std::string broken = ::testing::TempDir() + "vesselgl_web_broken_site";
    fs::remove_all(broken);
    fs::copy(site, broken, fs::copy_options::recursive);
    std::fstream data(broken + "/vesselgl.data", std::ios::in | std::ios::out | std::ios::binary);
    data.write(std::string(18, '\0').data(), 18);
    data.close();
    const std::string message = "document.querySelector('.message-text').textContent";
    const WebDriverRun run = webDriverRun(broken, {
        "open", "vesselgl.html", "wait", "demoPage.state !== 'running'", "eval", message,
        "open", "vesselgl.html?frames=3", "wait", "demoPage.state !== 'running'",
        "eval", message + " + ' / ' + document.title",
        "open", "vesselgl.html?frames=0", "eval", message,
        "open", "vesselgl.html?frames=10&frames=abc", "eval", message,
        "init", "const getContext = HTMLCanvasElement.prototype.getContext;"
                "HTMLCanvasElement.prototype.getContext = function (kind, options) {"
                " return kind === 'webgl' ? null : getContext.call(this, kind, options); }",
        "open", "vesselgl.html", "eval", message});
    fs::remove_all(broken);
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    ASSERT_EQ(run.evals.size(), 5u) << run.transcript;
    EXPECT_EQ(run.evals[0], "\"Failed to load image!!!\\nThe demo has ended.\"");
    EXPECT_EQ(run.evals[1], "\"Failed to load image!!!\\nThe demo has ended. / vesselgl\"");
    EXPECT_NE(run.transcript.find("console log: Failed to load image!!!"), std::string::npos);
    EXPECT_EQ(run.evals[2], "\"A fixed run needs frames a whole number from 1 to 2147483647.\"");
    EXPECT_EQ(run.evals[3], run.evals[2]) << "a repeated parameter";
    EXPECT_EQ(run.evals[4], "\"This demo needs WebGL, which this browser does not offer.\"");
}

// The tube's mesh as the WebAssembly build makes it under Node.js, frame after
// frame through the demo's own stepping, is the native build's to the bit:
// every frame's vertices, normals and texture coordinates by their checksum.
TEST(TubeUnderNodejs, EveryFrameOfALongRunIsTheNativeMeshToTheBit)
{
    const char* tool = std::getenv("TUBE_WEB_TUBE_CHECKSUMS");
    if (tool == nullptr) {
        GTEST_SKIP() << "no web build named (TUBE_WEB_TUBE_CHECKSUMS)";
    }
    const std::string frames = "5000";
    const std::string nativeSums = ::testing::TempDir() + "tube_sums_native";
    const std::string wasmSums = ::testing::TempDir() + "tube_sums_wasm";
    ChildProcess native;
    ChildProcess wasm;
    int nativeStatus = -1;
    int wasmStatus = -1;
    ASSERT_TRUE(childStart(native, {TUBE_CHECKSUMS_PATH, "--frames", frames, "--checksums",
                                    nativeSums}, {}));
    ASSERT_TRUE(childStart(wasm, {NODE_PROGRAM, tool, "--frames", frames, "--checksums",
                                  wasmSums}, {}));
    ASSERT_TRUE(childWait(native, kCaptureTimeoutMs, nativeStatus) && nativeStatus == 0)
        << native.err;
    ASSERT_TRUE(childWait(wasm, kCaptureTimeoutMs, wasmStatus) && wasmStatus == 0) << wasm.err;
    const std::string expected = readFile(nativeSums);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), std::stoi(frames));
    EXPECT_EQ(firstDifference(readFile(wasmSums), expected), "");
}

}  // namespace
