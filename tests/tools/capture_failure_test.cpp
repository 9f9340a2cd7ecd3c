// The capture tool when things go wrong around it: a frame that does not fit
// under a file-size limit, an output that cannot take the summary; and no
// progress where there is no terminal to show it.
#include "capture.h"
#include "capture_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

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

// Standard output on a full device (a copy of /dev/full of the test's own, so
// that a fault could only ever harm the copy), or closed.
TEST(CaptureTool, ASummaryThatCannotBeWrittenFailsTheRun)
{
    const fs::path scratch = scratchDir("stdout");
    const fs::path full = scratch / "full";
    std::vector<std::pair<std::string, std::string>> cases = {{">&-", "Bad file descriptor"}};
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {  // not as root: left out
        cases.push_back({">'" + full.string() + "'", "No space left on device"});
    }
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

// Progress is for a terminal: with standard error a file, nothing is shown.
TEST(CaptureTool, ShowsNoProgressOffATerminal)
{
    const fs::path scratch = scratchDir("progress");
    const RunResult quiet =
        runTool(HELIXSOFT_CAPTURE_PATH, "--start-spin 0 --frames 2000000000", scratch, "timeout 1");
    EXPECT_EQ(quiet.status, 124) << "ended by the timeout";
    EXPECT_EQ(quiet.err, "");
    fs::remove_all(scratch);
}

} // namespace
