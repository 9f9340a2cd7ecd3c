// The capture tool when things go wrong around it: a frame that does not fit
// under a file-size limit, an output that cannot take the summary; and its
// progress, shown on a terminal and nowhere else.
#include "capture.h"
#include "capture_run.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

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
    ASSERT_EQ(runTool(HELIXSOFT_CAPTURE_PATH,
                      "--start-spin 0 --frames 8 --save 1,2,3,4,5,6,7,8 --out '" + all.string() + "'",
                      scratch).status, 0);
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
    const RunResult result = runTool(
        HELIXSOFT_CAPTURE_PATH,
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
            const RunResult result = runTool(HELIXSOFT_CAPTURE_PATH, args, scratch, "", redirect);
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
    const RunResult quiet =
        runTool(HELIXSOFT_CAPTURE_PATH, "--start-spin 0 --frames 2000000000", scratch, "timeout 1");
    EXPECT_EQ(quiet.status, 124) << "ended by the timeout";
    EXPECT_EQ(quiet.err, "") << "standard error is a file, not a terminal";
    fs::remove_all(scratch);
}


} // namespace
