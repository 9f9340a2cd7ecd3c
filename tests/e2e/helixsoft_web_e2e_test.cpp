// helixsoft in the browser and under Node.js, judged against the native
// renderer run in this process: the site's page in headless Chromium (through
// the webdriver tool) and the WebAssembly build of the capture tool. They run
// when TUBE_WEB_SITE (the built site) and TUBE_WEB_CAPTURE (the tool's .js)
// name a web build, as scripts/test-web.sh does; otherwise they are skipped.
#include "picture_checks.h"
#include "process.h"
#include "scene.h"
#include "webpage.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kCaptureTimeoutMs = 240000;
constexpr int kShotWidth = 700;  // larger than the frame: a fixed run must not scale it
constexpr int kShotHeight = 540;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The started child's exit status, -1 when it does not end in time; its
// output is then in child.out and child.err.
int finish(ChildProcess& child)
{
    int status = -1;
    if (!childWait(child, kCaptureTimeoutMs, status)) {
        status = -1;
    }
    childKill(child);
    return status;
}

std::vector<uint32_t> nativeFrame(int32_t spin, int32_t frame)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, spin});
    while (scene.frameCounter < frame) {
        sceneRenderFrame(scene);
    }
    return scene.pixels;
}

std::string fixedShot(int32_t spin, int32_t frames)
{
    return ::testing::TempDir() + "web_spin" + std::to_string(spin) + "_frame" +
           std::to_string(frames) + ".png";
}

double litShare(const std::vector<uint32_t>& pixels)
{
    size_t lit = 0;
    for (const uint32_t p : pixels) {
        lit += (p & 0xFFFFFFu) != 0 ? 1 : 0;
    }
    return pixels.empty() ? 0.0 : static_cast<double>(lit) / static_cast<double>(pixels.size());
}

class WebBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = environment("TUBE_WEB_SITE");
        capture = environment("TUBE_WEB_CAPTURE");
        if (site.empty() || capture.empty()) {
            GTEST_SKIP() << "no web build named (TUBE_WEB_SITE, TUBE_WEB_CAPTURE)";
        }
    }

    std::string site;
    std::string capture;
};

struct FixedRun {
    int32_t spin;
    int32_t frames;
};

// The page's frame N is the native frame N, pixel for pixel, alone at the top
// left: the rest of a larger window stays black. A long run on a slow machine
// (the page's thread four times slower than here) keeps the page responsive.
TEST_F(WebBuild, FixedRunsShowTheNativeFrameUnscaledAtTheTopLeftAndKeepThePageResponsive)
{
    const FixedRun runs[] = {{0, 1}, {40, 90}, {200, 360}, {359, 1000}};
    std::vector<std::string> commands = {"size", std::to_string(kShotWidth) + "x" +
                                                     std::to_string(kShotHeight)};
    for (const FixedRun& r : runs) {
        const std::string frames = std::to_string(r.frames);
        commands.insert(commands.end(),
                        {"open", "helixsoft.html?spin=" + std::to_string(r.spin) + "&frames=" + frames,
                         "wait-title", "frame " + frames, "shot", fixedShot(r.spin, r.frames)});
    }
    appendLongRunCommands(commands, "helixsoft.html?spin=40&frames=2147483647", 4);
    const WebDriverRun run = webDriverRun(site, commands);
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    EXPECT_EQ(run.evals, (std::vector<std::string>{"0", "\"responsive\""}));
    for (const FixedRun& r : runs) {
        Picture picture;
        ASSERT_TRUE(pictureLoadPng(fixedShot(r.spin, r.frames), picture));
        ASSERT_EQ(picture.width, kShotWidth);
        ASSERT_EQ(picture.height, kShotHeight);
        const std::vector<uint32_t>& shot = picture.rgb;
        const std::vector<uint32_t> native = nativeFrame(r.spin, r.frames);
        int differing = 0;
        for (int y = 0; y < kShotHeight; ++y) {
            for (int x = 0; x < kShotWidth; ++x) {
                const bool inFrame = x < kFrameWidth && y < kFrameHeight;
                const uint32_t expected = inFrame ? native[y * kFrameWidth + x] : 0u;
                differing += shot[y * kShotWidth + x] != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << "spin " << r.spin << ", frame " << r.frames;
    }
}

// The demo as a visitor meets it: it animates, draws nothing while the page
// has lost the focus or is hidden (and ignores keys then) and resumes after,
// takes the canvas full screen on a click with the cursor hidden, ends on a key
// (leaving full screen), says so, and starts again on request; no console
// error throughout. The browser has no keyboard lock, as Firefox has none: the
// page must not claim that Escape reaches the demo in full screen.
// Headless Chromium reports no visibility changes of its own: a minimised
// window just gets no animation frames, so the page's hidden state is also
// announced by hand, with the event the browser would send.
TEST_F(WebBuild, AnimatesPausesWhenInactiveEndsOnAKeyAndRestarts)
{
    const std::string shotA = ::testing::TempDir() + "web_running_a.png";
    const std::string shotB = ::testing::TempDir() + "web_running_b.png";
    const std::string presents = "demoPage.module.frameStats.presents";
    const std::string markPresents = "window.mark = " + presents;
    const std::string sinceMark = presents + " - window.mark";
    const std::string resumed = presents + " > window.mark + 10";
    const std::string hidePage =
        "Object.defineProperty(document, 'hidden', {value: true, configurable: true});"
        "document.dispatchEvent(new Event('visibilitychange'))";
    const std::string showPage =
        "delete document.hidden; document.dispatchEvent(new Event('visibilitychange'))";
    const std::vector<std::string> paused = {"sleep", "200", "eval", markPresents,
                                             "sleep", "700", "eval", sinceMark};
    std::vector<std::string> commands = {
        "init", "delete Navigator.prototype.keyboard",
        "open", "helixsoft.html", "wait", presents + " >= 30", "shot", shotA, "sleep", "300",
        "shot", shotB,
        "eval", "Object.assign(demoPage.module.frameStats, {waits: 0, busyMs: 0, busyMaxMs: 0,"
                " firstWaitAt: 0, lastWaitAt: 0})",
        "sleep", "2000", "eval", "JSON.stringify(demoPage.module.frameStats)", "blur"};
    commands.insert(commands.end(), paused.begin(), paused.end());
    commands.insert(commands.end(), {"focus", "wait", resumed, "hide"});
    commands.insert(commands.end(), paused.begin(), paused.end());
    commands.insert(commands.end(), {"show", "wait", resumed, "eval", hidePage});
    commands.insert(commands.end(), paused.begin(), paused.end());
    commands.insert(commands.end(), {
        "key", "a", "sleep", "200", "eval", "demoPage.state", "eval", showPage, "wait", resumed,
        "click", "320", "240", "wait", "document.fullscreenElement !== null", "sleep", "300",
        "eval", "[document.fullscreenElement.id, demoPage.canvas.style.cursor, "
                "'keyboard' in navigator || demoPage.escapeLocked].join(' ')",
        "key", "a", "wait", "demoPage.state === 'ended' && document.fullscreenElement === null",
        "eval", "document.querySelector('.message-text').textContent",
        "eval", "document.querySelector('.restart').click()",
        "wait", "demoPage.state === 'running' && " + presents + " >= 10"});
    const WebDriverRun run = webDriverRun(site, commands);
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    const std::vector<std::string>& values = run.evals;
    ASSERT_EQ(values.size(), 14u);
    RecordProperty("frame_stats", values[1]);  // frames drawn and time in our code over 2 s
    std::printf("frame statistics over 2 s: %s\n", values[1].c_str());
    EXPECT_EQ(values[3], "0") << "drew while the page had no focus";
    EXPECT_EQ(values[5], "0") << "drew while the window was minimised";
    EXPECT_EQ(values[8], "0") << "drew while the page was hidden";
    EXPECT_EQ(values[9], "\"running\"") << "a key ended the demo while the page was hidden";
    EXPECT_EQ(values[11], "\"canvas none false\"");
    EXPECT_EQ(values[12], "\"The demo has ended.\"");

    Picture shotPictureA;
    Picture shotPictureB;
    ASSERT_TRUE(pictureLoadPng(shotA, shotPictureA));
    ASSERT_TRUE(pictureLoadPng(shotB, shotPictureB));
    std::vector<uint32_t>& a = shotPictureA.rgb;
    ASSERT_EQ(a.size(), shotPictureB.rgb.size());
    EXPECT_NE(a, shotPictureB.rgb) << "the picture did not move";
    a.resize(static_cast<size_t>(shotPictureA.width) * 400);  // the canvas' rows, above the hint's text
    const double share = litShare(a);
    EXPECT_GE(share, 0.30);  // every frame of the tube lights 45-79 % of the frame
    EXPECT_LE(share, 0.90);
    for (const uint32_t p : a) {
        ASSERT_EQ(p & 0x00FF00u, 0u) << "green in the tube: channels out of place";
    }
}

// What the page says instead of running: a bad or repeated fixed run
// parameter, no canvas, no WebAssembly SIMD, no WebAssembly.
TEST_F(WebBuild, SaysWhyItCannotRun)
{
    const std::string message = "document.querySelector('.message-text').textContent";
    const WebDriverRun run = webDriverRun(site, {
        "open", "helixsoft.html?spin=360&frames=5", "eval", message, "eval", "document.title",
        "open", "helixsoft.html?spin=5&spin=abc&frames=10", "eval", message,
        "init", "HTMLCanvasElement.prototype.getContext = () => null",
        "open", "helixsoft.html", "eval", message,
        "init", "WebAssembly.validate = () => false", "open", "helixsoft.html", "eval", message,
        "init", "delete window.WebAssembly", "open", "helixsoft.html", "eval", message,
    });
    ASSERT_EQ(run.status, 0) << run.transcript;
    EXPECT_EQ(run.problems, std::vector<std::string>{});
    const std::vector<std::string>& values = run.evals;
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[0], "\"A fixed run needs spin a whole number from 0 to 359 and frames a "
                         "whole number from 1 to 2147483647.\"");
    EXPECT_EQ(values[1], "\"Spindra by (Quelmot)\"");
    EXPECT_EQ(values[2], values[0]) << "a repeated parameter";
    EXPECT_EQ(values[3], "\"This demo needs an HTML5 canvas (2d), which this browser does not "
                         "offer.\"");
    EXPECT_EQ(values[4], "\"This demo needs WebAssembly with SIMD, which this browser does not "
                         "offer.\"");
    EXPECT_EQ(values[5], "\"This demo needs WebAssembly, which this browser does not offer.\"");
}

// Every frame of long runs from four start spins: the capture tool built to
// WebAssembly writes the native tool's checksum lines (each frame's pixels
// hashed), and keeps its argument contract under Node.js. Both tools render at
// once, one per core.
TEST_F(WebBuild, CaptureUnderNodejsMatchesTheNativeToolInEveryFrame)
{
    const std::string frames = "2200";  // past frame 2092, once moved by a merged rounding
    for (const char* spin : {"0", "40", "181", "359"}) {
        const std::string nativeSums = ::testing::TempDir() + "sums_native_" + spin;
        const std::string wasmSums = ::testing::TempDir() + "sums_wasm_" + spin;
        const std::vector<std::string> args = {"--start-spin", spin, "--frames", frames,
                                               "--checksums"};
        std::vector<std::string> native = {HELIXSOFT_CAPTURE_PATH};
        std::vector<std::string> wasm = {NODE_PROGRAM, capture};
        native.insert(native.end(), args.begin(), args.end());
        wasm.insert(wasm.end(), args.begin(), args.end());
        native.push_back(nativeSums);
        wasm.push_back(wasmSums);
        ChildProcess nativeRun;
        ChildProcess run;
        ASSERT_TRUE(childStart(nativeRun, native, ChildOptions{}));
        ASSERT_TRUE(childStart(run, wasm, ChildOptions{}));
        ASSERT_EQ(finish(nativeRun), 0) << nativeRun.err;
        ASSERT_EQ(finish(run), 0) << run.err;
        EXPECT_EQ(run.err, "") << "progress shown on a pipe";
        EXPECT_EQ(run.out.rfind("rendered " + frames + " frames in ", 0), 0u) << run.out;
        const std::string expected = readFile(nativeSums);
        ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), std::stoi(frames));
        EXPECT_EQ(firstDifference(readFile(wasmSums), expected), "") << "spin " << spin;
    }
    ChildProcess bad;
    ASSERT_TRUE(childStart(bad, {NODE_PROGRAM, capture, "--start-spin", "40", "--frames", "0"}, {}));
    EXPECT_EQ(finish(bad), 2);
    EXPECT_NE(bad.err.find("--frames: '0' is not a whole number of at least 1"), std::string::npos);
}

// Under Node.js too, a pipe named for the checksums, and the tool's own
// standard output (a file) named through a link, get the native tool's lines
// where the stream stands: Emscripten would write the pipe at an offset, which
// Node.js refuses, and cannot duplicate its standard output.
TEST_F(WebBuild, CaptureUnderNodejsWritesPipesAndItsOwnOutputWhereTheyStand)
{
    std::string scratch = ::testing::TempDir() + "web_pipe_XXXXXX";
    ASSERT_NE(mkdtemp(scratch.data()), nullptr);
    const std::string fifo = scratch + "/sums";
    const std::string ownOutput = scratch + "/stdout";
    const std::string nativeSums = scratch + "/native";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/proc/self/fd/1", ownOutput);  // as /dev/stdout is
    // Held open for reading and writing, the pipe neither blocks the tool nor
    // loses what it wrote: three lines fit in its buffer.
    const int pipe = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipe, 0);
    const std::vector<std::string> args = {"--start-spin", "40", "--frames", "3", "--checksums"};
    const auto argv = [&](std::vector<std::string> program, const std::string& sums) {
        program.insert(program.end(), args.begin(), args.end());
        program.push_back(sums);
        return program;
    };
    ChildProcess native;
    ASSERT_TRUE(childStart(native, argv({HELIXSOFT_CAPTURE_PATH}, nativeSums), {}));
    ASSERT_EQ(finish(native), 0) << native.err;
    const std::string expected = readFile(nativeSums);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 3);

    ChildProcess toPipe;
    ASSERT_TRUE(childStart(toPipe, argv({NODE_PROGRAM, capture}, fifo), {}));
    EXPECT_EQ(finish(toPipe), 0) << toPipe.err;
    std::string lines(4096, '\0');
    const ssize_t got = read(pipe, lines.data(), lines.size());
    close(pipe);
    lines.resize(got > 0 ? static_cast<size_t>(got) : 0);
    EXPECT_EQ(lines, expected);

    ChildProcess toOwnOutput;
    ASSERT_TRUE(childStart(toOwnOutput, argv({NODE_PROGRAM, capture}, ownOutput), {}));
    EXPECT_EQ(finish(toOwnOutput), 0) << toOwnOutput.err;
    EXPECT_EQ(toOwnOutput.out.substr(0, expected.size()), expected);
    EXPECT_EQ(toOwnOutput.out.find("rendered 3 frames", expected.size()), expected.size())
        << toOwnOutput.out;
    EXPECT_TRUE(std::filesystem::is_symlink(ownOutput));
    std::filesystem::remove_all(scratch);
}

}  // namespace
