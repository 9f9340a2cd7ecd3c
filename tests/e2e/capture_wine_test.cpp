// helixsoft-capture.exe under Wine against the Linux build's helixsoft-capture:
// the same start spins must give the same frames, so the Windows build's
// renderer (its compiler, C library and SIMD kernels) draws exactly what the
// Linux build draws. Every frame of a long run is compared by its checksum,
// and chosen frames as PNG files, byte for byte. tube-checksums.exe likewise
// must build the GL demo's tube mesh of every frame as the Linux build does.
// And their files as Windows has them: NUL, a full disk.
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

// Runs command with args in dir ("" for the current one): the exit status,
// or -1 when it did not end in time.
int runIn(std::vector<std::string> command, const std::vector<std::string>& args,
          const fs::path& dir, std::string& output)
{
    command.insert(command.end(), args.begin(), args.end());
    ChildOptions options;
    launcherPrepare(options);
    options.workDir = dir.string();
    ChildProcess child;
    int status = -1;
    const bool ended = childStart(child, command, options) &&
                       childWait(child, kRunTimeoutMs + kLauncher.startupMs, status);
    childKill(child);
    output = child.out + child.err;
    return ended ? status : -1;
}

bool runCapture(const std::vector<std::string>& command, int spin, const fs::path& dir,
                std::string& output)
{
    const std::vector<std::string> args = {
        "--start-spin", std::to_string(spin), "--frames", std::to_string(kFrames), "--save",
        kSavedFrames, "--out", dir.string(), "--checksums", (dir / "checksums.txt").string()};
    return runIn(command, args, "", output) == 0;
}

}  // namespace

// NUL is the null device: written in place, no file made anywhere. A disk
// that fills up is reported in the system's words, not as a C library's
// guess; a 64 KiB file system of the test's own (a mount namespace, so root
// only) cannot take a frame.
TEST(WineCapture, WritesNulInPlaceAndNamesAFullDiskAsTheSystemDoes)
{
    std::string reason;
    if (!launcherAvailable(reason)) {
        GTEST_SKIP() << reason;
    }
    const fs::path dir = fs::path(::testing::TempDir()) / "capture_wine_files";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string output;
    const std::pair<std::string, std::vector<std::string>> runs[] = {
        {"helixsoft-capture", {"--start-spin", "0", "--frames", "3", "--checksums", "NUL"}},
        {"tube-checksums", {"--frames", "3", "--checksums", "NUL"}},
    };
    for (const auto& [program, args] : runs) {
        EXPECT_EQ(runIn(launcherCommand(program), args, dir, output), 0)
            << program << ": " << output;
        EXPECT_TRUE(fs::is_empty(dir)) << program;
    }
    launcherFinish();  // a server started outside the namespace would not see its mount
    const std::vector<std::string> onItsOwnDisk = {
        "/usr/bin/unshare", "-m", "/bin/sh", "-c",
        "mount -t tmpfs -o size=64k tmpfs \"$0\" && exec \"$@\"", dir.string()};
    if (runIn(onItsOwnDisk, {"true"}, dir, output) == 0) {
        const std::vector<std::string> args = {"--start-spin", "0", "--frames", "1",
                                               "--save",       "1", "--out",    dir.string()};
        EXPECT_EQ(runIn(onItsOwnDisk, launcherCommand("helixsoft-capture", args), dir, output), 1);
        EXPECT_NE(output.find("helixsoft-capture: frame 1: cannot write '"), std::string::npos);
        EXPECT_TRUE(output.find("Disk full") != std::string::npos ||
                    output.find("not enough space") != std::string::npos)
            << output;
        launcherFinish();
    }
    fs::remove_all(dir);
}

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
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{TUBE_CHECKSUMS_PATH}, launcherCommand("tube-checksums")}) {
        const std::string path = (dir / std::to_string(sums.size())).string();
        std::string output;
        ASSERT_EQ(runIn(command, {"--frames", frames, "--checksums", path}, "", output), 0) << output;
        sums.push_back(readFile(path));
    }
    launcherFinish();
    fs::remove_all(dir);
    ASSERT_EQ(std::count(sums[0].begin(), sums[0].end(), '\n'), std::stoi(frames));
    EXPECT_EQ(firstDifference(sums[1], sums[0]), "");
}
