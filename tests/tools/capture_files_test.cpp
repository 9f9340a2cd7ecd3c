// What the capture tools do to the names they are given and to the folder
// they write in: devices, pipes and links named by the user are written
// through, never replaced; sockets and links to nothing are refused; names
// planted where temporary files once went are never opened; checksum lines go
// out as the frames are made. Every node is made here, in a scratch folder.
#include "capture.h"
#include "capture_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kThreeFrames = "--start-spin 0 --frames 3";

// The kind, mode and device number of a node and where a link points.
std::string nodeOf(const fs::path& path)
{
    struct stat info{};
    return lstat(path.c_str(), &info) != 0
               ? "missing"
               : std::to_string(info.st_mode) + " " + std::to_string(info.st_rdev) + " " +
                     (S_ISLNK(info.st_mode) ? fs::read_symlink(path).string() : "");
}

// A copy of the null device, or false where this user may not make devices.
bool makeNullDevice(const fs::path& path)
{
    return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

long temporaryFiles(const fs::path& dir)
{
    const std::vector<std::string> names = fileNames(dir);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& name) { return name.rfind(".capture-", 0) == 0; });
}

std::string threeChecksumLines(const fs::path& scratch)
{
    const fs::path sums = scratch / "reference.txt";
    EXPECT_EQ(runTool(HELIXSOFT_CAPTURE_PATH, kThreeFrames + " --checksums '" + sums.string() + "'",
                      scratch).status, 0);
    const std::string lines = readAll(sums);
    fs::remove(sums);
    return lines;
}

TEST(CaptureFiles, DevicesPipesAndLinksAreWrittenThroughNeverReplaced)
{
    const fs::path scratch = scratchDir("nodes");
    const std::string lines = threeChecksumLines(scratch);
    ASSERT_EQ(lines.size(), 3u * 30u);
    ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0600), 0);
    // Held open for reading and writing, the pipe neither blocks the tool nor
    // loses what it wrote: three lines fit in its buffer.
    const int pipe = open((scratch / "fifo").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipe, 0);
    std::ofstream(scratch / "victim.txt") << "old";
    fs::create_symlink("victim.txt", scratch / "link");
    fs::create_symlink("fifo", scratch / "fifo-link");
    fs::create_symlink("/proc/self/fd/1", scratch / "stdout");  // as /dev/stdout is
    fs::create_directory(scratch / "frames");
    const fs::path frame = scratch / "frames" / "frame_000001.png";  // a frame's name too
    const bool devices = makeNullDevice(scratch / "null") && makeNullDevice(frame);
    const std::string frameBefore = nodeOf(frame);
    const std::vector<std::string> names = {"null", "fifo", "fifo-link", "link", "stdout"};
    for (const std::string& name : names) {
        if (name == "null" && !devices) {
            continue;  // not root: mknod is refused, and the null device is left out
        }
        const std::string before = nodeOf(scratch / name);
        const RunResult result =
            runTool(HELIXSOFT_CAPTURE_PATH,
                    kThreeFrames + " --save 1 --out '" + frame.parent_path().string() +
                        "' --checksums '" + (scratch / name).string() + "'",
                    scratch, "timeout 60");
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        EXPECT_EQ(nodeOf(scratch / name), before) << name;
        if (name == "stdout") {
            EXPECT_EQ(result.out.substr(0, lines.size()), lines);
            EXPECT_EQ(result.out.find("rendered 3 frames", lines.size()), lines.size());
        }
        if (name == "fifo" || name == "fifo-link") {
            std::string got(lines.size() + 1, '\0');
            EXPECT_EQ(read(pipe, got.data(), got.size()), ssize_t(lines.size())) << name;
            EXPECT_EQ(got.substr(0, lines.size()), lines) << name;
        }
    }
    close(pipe);
    EXPECT_EQ(readAll(scratch / "victim.txt"), lines) << "the file a link points to";
    EXPECT_TRUE(!devices || nodeOf(frame) == frameBefore);
    EXPECT_EQ(temporaryFiles(scratch), 0);
    fs::remove_all(scratch);
}

TEST(CaptureFiles, SocketsAndLinksToNothingAreRefusedAndLeftAsTheyWere)
{
    const fs::path scratch = scratchDir("refused");
    ASSERT_EQ(mknod((scratch / "socket").c_str(), S_IFSOCK | 0600, 0), 0);  // as bind() leaves it
    fs::create_symlink("nowhere/made.txt", scratch / "dangling");
    const std::pair<const char*, const char*> cases[] = {
        {"socket", "it is a socket, which cannot be opened for writing"},
        {"dangling", "it is a link to a missing file"},
    };
    for (const auto& [name, why] : cases) {
        const fs::path path = scratch / name;
        const std::string before = nodeOf(path);
        const RunResult result =
            runTool(HELIXSOFT_CAPTURE_PATH, kThreeFrames + " --checksums '" + path.string() + "'",
                    scratch);
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_EQ(result.err, "helixsoft-capture: cannot write " + captureShown(path.string()) +
                                  ": " + why + "\n");
        EXPECT_EQ(nodeOf(path), before) << name;
    }
    EXPECT_EQ(fileNames(scratch), (std::vector<std::string>{"dangling", "socket"}));
    fs::remove_all(scratch);
}

// Links and a pipe planted at the names the temporary files once had are
// never looked at; a temporary file is only ever a new one (a name taken by
// a link or a pipe is refused without being opened), and two files written
// at once get two names.
TEST(CaptureFiles, NamesPlantedForTheTemporaryFilesAreNeverOpened)
{
    const fs::path scratch = scratchDir("planted");
    const fs::path out = scratch / "out";
    fs::create_directory(out);
    std::ofstream(scratch / "victim.txt") << "old";
    fs::create_symlink("../victim.txt", out / "frame_000001.png.partial");
    fs::create_symlink("../elsewhere.txt", out / "sums.txt.partial");
    ASSERT_EQ(mkfifo((out / "frame_000002.png.partial").c_str(), 0600), 0);
    const RunResult result =
        runTool(HELIXSOFT_CAPTURE_PATH,
                kThreeFrames + " --save 1,2 --out '" + out.string() + "' --checksums '" +
                    (out / "sums.txt").string() + "'",
                scratch, "timeout 60");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readAll(scratch / "victim.txt"), "old");
    EXPECT_FALSE(fs::exists(scratch / "elsewhere.txt"));
    EXPECT_EQ(fileNames(out),
              (std::vector<std::string>{"frame_000001.png", "frame_000001.png.partial",
                                        "frame_000002.png", "frame_000002.png.partial", "sums.txt",
                                        "sums.txt.partial"}));

    fs::create_symlink("../made-through-a-link.txt", out / "dangling");
    ASSERT_EQ(mkfifo((out / "fifo").c_str(), 0600), 0);
    const int reader = open((out / "fifo").c_str(), O_RDWR | O_NONBLOCK);  // an open never waits
    for (const char* planted : {"dangling", "fifo"}) {
        const fs::path name = out / planted;
        CaptureOsFile file;
        bool exists = false;
        std::string why;
        EXPECT_FALSE(captureOsCreateNew(name.string(), file, exists, why)) << planted;
        EXPECT_TRUE(exists) << planted << ": " << why;
        EXPECT_EQ(file.handle, -1);
    }
    close(reader);
    EXPECT_FALSE(fs::exists(scratch / "made-through-a-link.txt"));

    CaptureFile first;
    CaptureFile second;
    std::string reason;
    ASSERT_TRUE(captureFileOpen((out / "sums.txt").string(), first, reason)) << reason;
    ASSERT_TRUE(captureFileOpen((out / "sums.txt").string(), second, reason)) << reason;
    EXPECT_NE(first.temporary, second.temporary);
    EXPECT_EQ(fs::path(first.temporary).parent_path(), out);
    EXPECT_EQ(temporaryFiles(out), 2);
    captureFileAbandon(first);
    captureFileAbandon(second);
    EXPECT_EQ(temporaryFiles(out), 0);
    fs::remove_all(scratch);
}

// A run far too long to finish streams its lines: under a file-size limit
// it fails at the limit, a few thousand bytes in, where keeping the lines
// until the end would run until the timeout. The tool must then leave no
// file behind.
TEST(CaptureFiles, ChecksumLinesAreWrittenAsTheFramesAreMade)
{
    if (!hasProgram("prlimit")) {
        GTEST_SKIP() << "prlimit (util-linux) is not installed";
    }
    const fs::path scratch = scratchDir("stream");
    const fs::path sums = scratch / "sums.txt";
    const std::tuple<const char*, const char*, const char*> tools[] = {
        {HELIXSOFT_CAPTURE_PATH, "--start-spin 0 ", "helixsoft-capture: cannot write "},
        {TUBE_CHECKSUMS_PATH, "", "tube-checksums: cannot write "},
    };
    for (const auto& [tool, spin, says] : tools) {
        const RunResult result = runTool(
            tool, spin + std::string("--frames 2000000000 --checksums '") + sums.string() + "'",
            scratch, "timeout 60 prlimit --fsize=3000");
        EXPECT_EQ(result.status, 1) << tool;
        EXPECT_EQ(result.err, says + captureShown(sums.string()) + ": File too large\n");
        EXPECT_EQ(fileNames(scratch), std::vector<std::string>{}) << tool;
    }
    fs::remove_all(scratch);
}

} // namespace
