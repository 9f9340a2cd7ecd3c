// helixsoft-capture.exe under Wine against the Linux build's helixsoft-capture:
// the same start spins must give the same frames, byte for byte, so the
// Windows build's renderer (its compiler, C library and SIMD kernels) draws
// exactly what the Linux build draws.
#include "launcher.h"
#include "process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 720;  // two whole turns of the twist
constexpr const char* kSavedFrames = "1,2,90,180,181,360,361,540,719,720";
constexpr int kRunTimeoutMs = 120000;

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool runCapture(const std::vector<std::string>& command, std::string& output)
{
    ChildOptions options;
    launcherPrepare(options);
    ChildProcess child;
    int status = -1;
    const bool ended = childStart(child, command, options) &&
                       childWait(child, kRunTimeoutMs + kLauncher.startupMs, status);
    childKill(child);
    output = child.out + child.err;
    return ended && status == 0;
}

std::vector<std::string> captureArgs(int spin, const fs::path& dir)
{
    return {"--start-spin", std::to_string(spin), "--frames", std::to_string(kFrames),
            "--save", kSavedFrames, "--out", dir.string()};
}

}  // namespace

TEST(WineCapture, FramesMatchTheLinuxBuildByteForByte)
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        GTEST_SKIP() << reason;
    }
    const fs::path root = fs::path(::testing::TempDir()) / "capture_wine";
    for (const int spin : {0, 123, 271}) {
        const fs::path linuxDir = root / ("linux_" + std::to_string(spin));
        const fs::path windowsDir = root / ("windows_" + std::to_string(spin));
        fs::remove_all(linuxDir);
        fs::remove_all(windowsDir);
        std::vector<std::string> linuxCommand = {HELIXSOFT_CAPTURE_PATH};
        const std::vector<std::string> linuxArgs = captureArgs(spin, linuxDir);
        linuxCommand.insert(linuxCommand.end(), linuxArgs.begin(), linuxArgs.end());
        std::string output;
        ASSERT_TRUE(runCapture(linuxCommand, output)) << output;
        ASSERT_TRUE(runCapture(launcherCommand("helixsoft-capture", captureArgs(spin, windowsDir)),
                               output))
            << output;
        size_t compared = 0;
        for (const auto& entry : fs::directory_iterator(linuxDir)) {
            const fs::path name = entry.path().filename();
            EXPECT_EQ(readFile(entry.path()), readFile(windowsDir / name))
                << "spin " << spin << ", " << name.string();
            ++compared;
        }
        EXPECT_EQ(compared, 10u);
    }
    launcherFinish();
    fs::remove_all(root);
}
