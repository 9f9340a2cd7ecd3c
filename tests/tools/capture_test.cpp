// The capture tool: its argument rules in-process, and the built program run as
// a child for its exit status, messages, the PNG files it leaves behind, what
// it does when its files or its output cannot be written, and its progress.
#include "capture.h"
#include "scene.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ParseCase {
    std::vector<std::string> args;
    const char* says;  // nullptr: accepted; else a part of the reason
};

TEST(CaptureArgs, AcceptsTheContractAndRejectsEverythingElseInOneShortLine)
{
    const std::string huge(100000, '7');
    const ParseCase cases[] = {
        {{"--start-spin", "0", "--frames", "1"}, nullptr},
        {{"--frames", "1000", "--start-spin", "359", "--save", "1,90,1000", "--out", "x"}, nullptr},
        {{"--start-spin", "5", "--frames", "3", "--save", "3,1,3"}, nullptr},
        {{"--start-spin", "360", "--frames", "1"}, "'360' is not a whole number from 0 to 359"},
        {{"--start-spin", "-1", "--frames", "1"}, "from 0 to 359"},
        {{"--start-spin", "1x", "--frames", "1"}, "from 0 to 359"},
        {{"--start-spin", "", "--frames", "1"}, "from 0 to 359"},
        {{"--start-spin", "1", "--frames", "0"}, "'0' is not a whole number of at least 1"},
        {{"--start-spin", "1", "--frames", "2147483647"}, nullptr},
        {{"--start-spin", "1", "--frames", "2147483648"}, "'2147483648' is too large"},
        {{"--start-spin", "1", "--frames", "-99999999999"}, "not a whole number of at least 1"},
        {{"--start-spin", "1", "--frames", huge}, "'7777777777"},
        {{"--start-spin", "1", "--frames", "a\nb"}, "'a?b'"},
        {{"--start-spin", "1", "--frames", "10", "--save", "11"}, "frame 11 is outside 1..10"},
        {{"--start-spin", "1", "--frames", "10", "--save", "0"}, "outside"},
        {{"--start-spin", "1", "--frames", "10", "--save", "1,,2"}, "'' is not a frame number"},
        {{"--start-spin", "1", "--frames", "10", "--save", "9999999999"}, "too large"},
        {{"--start-spin", "1", "--frames", "10", "--out", ""}, "empty directory name"},
        {{"--start-spin", "1", "--frames", "10", "--frames", "10"}, "given twice"},
        {{"--start-spin", "1", "--frames"}, "needs a value"},
        {{"--start-spin", "1"}, "missing option --frames"},
        {{"--start-spin", "1", "--frames", "1", "--verbose", "1"}, "unknown option '--verbose'"},
        {{"--" + huge, "1"}, "unknown option '--7777"},
        {{"-h"}, "unknown option '-h'"},
    };
    for (const ParseCase& c : cases) {
        CaptureOptions options;
        std::string reason;
        const bool ok = captureParseArgs(c.args, options, reason);
        const std::string line = c.args.size() > 3 ? c.args[2] + " " + c.args[3].substr(0, 20)
                                                   : c.args[0].substr(0, 20);
        EXPECT_EQ(ok, c.says == nullptr) << line << ": " << reason;
        if (!ok && c.says != nullptr) {
            EXPECT_NE(reason.find(c.says), std::string::npos) << line << ": " << reason;
            EXPECT_EQ(reason.find('\n'), std::string::npos) << line;
            EXPECT_LT(reason.size(), 160u) << line;
        }
    }
    CaptureOptions options;
    std::string reason;
    ASSERT_TRUE(captureParseArgs({"--start-spin", "5", "--frames", "3", "--save", "3,1,3"},
                                 options, reason));
    EXPECT_EQ(options.saveFrames, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(options.outDir, ".");
    EXPECT_EQ(captureFileName(90), "frame_000090.png");
    EXPECT_TRUE(captureWantsHelp({"--help"}));
    EXPECT_TRUE(captureWantsHelp({"--frames", "1", "--help"}));
    EXPECT_FALSE(captureWantsHelp({"--out", "--help"}));  // a directory of that name
}

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh scratch directory per test.
fs::path scratchDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() /
                         ("helixsoft-capture-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs the tool through the shell: prefix wraps it (a limit, a timeout) and
// stdoutTo replaces the capture of standard output (">/dev/full", ">&-").
RunResult runCapture(const std::string& args, const fs::path& scratch,
                     const std::string& prefix = "", const std::string& stdoutTo = "")
{
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const std::string command = prefix + " '" + HELIXSOFT_CAPTURE_PATH + "' " + args + " " +
                                (stdoutTo.empty() ? ">'" + out.string() + "'" : stdoutTo) +
                                " 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

std::vector<std::string> fileNames(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CaptureTool, BadArgumentsExitTwoWithAReasonAndTheUsage)
{
    const fs::path scratch = scratchDir("errors");
    std::ofstream(scratch / "plain-file") << "x";
    const std::string outDir = (scratch / "out").string();
    const std::pair<std::string, std::string> cases[] = {
        {"--start-spin 0 --frames 2 --bogus 1 --out '" + outDir + "' --save 1", "'--bogus'"},
        {"--start-spin 360 --frames 2 --out '" + outDir + "' --save 1", "'360'"},
        {"--start-spin 0 --frames 2 --out '" + outDir + "' --save 1,3", "frame 3"},
        {"--start-spin 0 --frames 2 --save 1 --out '" + (scratch / "plain-file" / "sub").string() +
             "'",
         "': Not a directory\n"},
        {"--start-spin 0 --frames 2 --save 1 --out '" + (scratch / std::string(300, 'd')).string() +
             "'",
         "dddd': File name too long\n"},
    };
    for (const auto& [args, says] : cases) {
        const RunResult result = runCapture(args, scratch);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_TRUE(result.out.empty()) << args;
        EXPECT_EQ(result.err.rfind("helixsoft-capture: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
        EXPECT_LT(result.err.find('\n'), 200u) << "long values are cut";
        EXPECT_NE(result.err.find("\nusage: helixsoft-capture --start-spin S --frames N"),
                  std::string::npos)
            << result.err;
        EXPECT_FALSE(fs::exists(outDir)) << args;
    }
    const RunResult help = runCapture("--frames 1 --help", scratch);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, kCaptureUsage);
    EXPECT_EQ(help.err, "");
    fs::remove_all(scratch);
}

// "rendered N frames in T ms (F frames/s)" and a line break, nothing more.
bool isSummaryLine(const std::string& text, int frames)
{
    int n = 0;
    double ms = -1.0;
    double perSecond = -1.0;
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "rendered %d frames in %lf ms (%lf frames/s)%n",
                                   &n, &ms, &perSecond, &consumed);
    return fields == 3 && n == frames && ms >= 0.0 && perSecond >= 0.0 &&
           text.substr(static_cast<size_t>(consumed)) == "\n";
}

TEST(CaptureTool, WritesTheListedFramesAsTheRendererDrewThem)
{
    const fs::path scratch = scratchDir("frames");
    const fs::path outDir = scratch / "new" / "dir";
    const RunResult result =
        runCapture("--start-spin 17 --frames 3 --save 3,1 --out '" + outDir.string() + "'", scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isSummaryLine(result.out, 3)) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(fileNames(outDir), (std::vector<std::string>{"frame_000001.png", "frame_000003.png"}));

    SceneState scene{};
    sceneStartup(scene, SceneStart{false, 17});
    for (int frame = 1; frame <= 3; ++frame) {
        sceneRenderFrame(scene);
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb =
        stbi_load((outDir / "frame_000003.png").c_str(), &width, &height, &channels, 0);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(channels, 3);
    size_t mismatches = 0;
    for (int i = 0; i < kFramePixels; ++i) {
        const uint32_t p = scene.pixels[i];
        mismatches += rgb[3 * i] != ((p >> 16) & 0xFF) || rgb[3 * i + 1] != ((p >> 8) & 0xFF) ||
                      rgb[3 * i + 2] != (p & 0xFF);
    }
    stbi_image_free(rgb);
    EXPECT_EQ(mismatches, 0u);
    fs::remove_all(scratch);
}

bool hasProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A file-size limit that frame a fits and a later, larger frame b does not:
// a is written whole, b's partial file is removed, and the failure is reported.
TEST(CaptureTool, AFrameThatCannotBeWrittenWholeFailsTheRunAndLeavesNoPartialFile)
{
    if (!hasProgram("prlimit")) {
        GTEST_SKIP() << "prlimit (util-linux) is not installed";
    }
    const fs::path scratch = scratchDir("limit");
    const fs::path all = scratch / "all";
    ASSERT_EQ(runCapture("--start-spin 0 --frames 8 --save 1,2,3,4,5,6,7,8 --out '" +
                             all.string() + "'", scratch).status, 0);
    std::map<int, std::string> bytes;
    for (int frame = 1; frame <= 8; ++frame) {
        bytes[frame] = readAll(all / captureFileName(frame));
    }
    int a = 0;
    int b = 0;
    for (int i = 1; i <= 8 && b == 0; ++i) {
        for (int j = i + 1; j <= 8 && b == 0; ++j) {
            if (bytes[j].size() > bytes[i].size()) {
                a = i;
                b = j;
            }
        }
    }
    ASSERT_NE(b, 0) << "no frame is larger than an earlier one";
    const fs::path limited = scratch / "limited";
    const RunResult result = runCapture(
        "--start-spin 0 --frames 8 --save " + std::to_string(a) + "," + std::to_string(b) +
            " --out '" + limited.string() + "'",
        scratch, "prlimit --fsize=" + std::to_string(bytes[a].size()));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "") << "no summary after a failure";
    EXPECT_EQ(result.err, "helixsoft-capture: frame " + std::to_string(b) + ": cannot write " +
                              captureShown((limited / captureFileName(b)).string()) +
                              ": File too large\n");
    EXPECT_EQ(fileNames(limited), std::vector<std::string>{captureFileName(a)});
    EXPECT_EQ(readAll(limited / captureFileName(a)), bytes[a]);
    fs::remove_all(scratch);
}

TEST(CaptureTool, ASummaryThatCannotBeWrittenFailsTheRun)
{
    const fs::path scratch = scratchDir("stdout");
    const std::pair<const char*, const char*> cases[] = {
        {">/dev/full", "No space left on device"},
        {">&-", "Bad file descriptor"},
    };
    for (const auto& [redirect, why] : cases) {
        for (const char* args : {"--start-spin 0 --frames 2", "--help"}) {
            const RunResult result = runCapture(args, scratch, "", redirect);
            EXPECT_EQ(result.status, 1) << redirect << " " << args;
            EXPECT_EQ(result.err,
                      std::string("helixsoft-capture: cannot write to standard output: ") + why +
                          "\n");
        }
    }
    fs::remove_all(scratch);
}

// Reads what the child writes to the terminal until `until` shows up or the time is up.
std::string readTerminal(int master, const std::string& until, int timeoutMs)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    while (text.find(until) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{master, POLLIN, 0};
        if (poll(&fd, 1, 50) > 0) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            text.append(buffer, static_cast<size_t>(got));
        }
    }
    return text;
}

TEST(CaptureTool, ShowsProgressOnATerminalAndNowhereElse)
{
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(HELIXSOFT_CAPTURE_PATH, HELIXSOFT_CAPTURE_PATH, "--start-spin", "0", "--frames",
              "2000000000", static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string shown = readTerminal(master, " left", 20000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(master);
    int done = 0;
    double perSecond = 0.0;
    const size_t at = shown.find("\r\033[Kframe ");  // drawn over the line before
    ASSERT_NE(at, std::string::npos) << shown;
    EXPECT_EQ(std::sscanf(shown.c_str() + at, "\r\033[Kframe %d/2000000000, %lf frames/s, ",
                          &done, &perSecond), 2) << shown;
    EXPECT_GT(done, 0);
    EXPECT_GT(perSecond, 0.0);

    const fs::path scratch = scratchDir("progress");
    const RunResult quiet = runCapture("--start-spin 0 --frames 2000000000", scratch, "timeout 1");
    EXPECT_EQ(quiet.status, 124) << "ended by the timeout";
    EXPECT_EQ(quiet.err, "") << "standard error is a file, not a terminal";
    fs::remove_all(scratch);
}

} // namespace
