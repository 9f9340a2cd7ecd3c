// helixsoft-capture.exe under Wine against the Linux build's helixsoft-capture:
// the same start spins must give the same frames, so the Windows build's
// renderer (its compiler, C library and SIMD kernels) draws exactly what the
// Linux build draws. Every frame of a long run is compared by its checksum,
// and chosen frames as PNG files, byte for byte. tube-checksums.exe likewise
// must build the GL demo's tube mesh of every frame as the Linux build does.
#include "launcher.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 2100;  // more than five whole turns of the twist
constexpr const char* kSavedFrames = "1,2,90,180,181,360,361,720,1441,2100";
constexpr size_t kSavedCount = 10;
constexpr int kRunTimeoutMs = 180000;

bool runCapture(std::vector<std::string> command, int spin, const fs::path& dir,
                std::string& output)
{
    const std::vector<std::string> args = {
        "--start-spin", std::to_string(spin), "--frames", std::to_string(kFrames), "--save",
        kSavedFrames, "--out", dir.string(), "--checksums", (dir / "checksums.txt").string()};
    command.insert(command.end(), args.begin(), args.end());
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

}  // namespace

TEST(WineCapture, EveryFrameMatchesTheLinuxBuild)
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        GTEST_SKIP() << reason;
    }
    const fs::path root = fs::path(::testing::TempDir()) / "capture_wine";
    for (const int spin : {0, 40, 137, 271}) {
        const fs::path linuxDir = root / ("linux_" + std::to_string(spin));
        const fs::path windowsDir = root / ("windows_" + std::to_string(spin));
        fs::remove_all(linuxDir);
        fs::remove_all(windowsDir);
        std::string output;
        ASSERT_TRUE(runCapture({HELIXSOFT_CAPTURE_PATH}, spin, linuxDir, output)) << output;
        ASSERT_TRUE(runCapture(launcherCommand("helixsoft-capture"), spin, windowsDir, output))
            << output;
        size_t compared = 0;
        for (const auto& entry : fs::directory_iterator(linuxDir)) {
            const fs::path name = entry.path().filename();
            EXPECT_EQ(readFile(entry.path()), readFile(windowsDir / name))
                << "spin " << spin << ", " << name.string();
            ++compared;
        }
        EXPECT_EQ(compared, kSavedCount + 1);  // the PNG files and the checksums
    }
    launcherFinish();
    fs::remove_all(root);
}

TEST(WineTubeChecksums, EveryFrameOfALongRunIsTheLinuxMeshToTheBit)
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        GTEST_SKIP() << reason;
    }
    const std::string frames = "5000";
    const fs::path dir = fs::path(::testing::TempDir()) / "tube_sums_wine";
    fs::create_directories(dir);
    std::vector<std::string> sums;
    for (std::vector<std::string> command :
         {std::vector<std::string>{TUBE_CHECKSUMS_PATH}, launcherCommand("tube-checksums")}) {
        const std::string path = (dir / std::to_string(sums.size())).string();
        command.insert(command.end(), {"--frames", frames, "--checksums", path});
        ChildOptions options;
        launcherPrepare(options);
        ChildProcess child;
        int status = -1;
        ASSERT_TRUE(childStart(child, command, options) &&
                    childWait(child, kRunTimeoutMs + kLauncher.startupMs, status) && status == 0)
            << child.out << child.err;
        sums.push_back(readFile(path));
    }
    launcherFinish();
    fs::remove_all(dir);
    ASSERT_EQ(std::count(sums[0].begin(), sums[0].end(), '\n'), std::stoi(frames));
    EXPECT_EQ(firstDifference(sums[1], sums[0]), "");
}
