// The capture tool: its argument rules in-process, and the built program run as
// a child for its exit status, messages and the PNG files it leaves behind.
#include "capture.h"
#include "scene.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ParseCase {
    std::vector<std::string> args;
    bool ok;
};

TEST(CaptureArgs, AcceptsTheContractAndRejectsEverythingElse)
{
    const ParseCase cases[] = {
        {{"--start-spin", "0", "--frames", "1"}, true},
        {{"--frames", "1000", "--start-spin", "359", "--save", "1,90,1000", "--out", "x"}, true},
        {{"--start-spin", "5", "--frames", "3", "--save", "3,1,3"}, true},
        {{"--start-spin", "360", "--frames", "1"}, false},
        {{"--start-spin", "-1", "--frames", "1"}, false},
        {{"--start-spin", "1x", "--frames", "1"}, false},
        {{"--start-spin", "", "--frames", "1"}, false},
        {{"--start-spin", "1", "--frames", "0"}, false},
        {{"--start-spin", "1", "--frames", "99999999999"}, false},
        {{"--start-spin", "1", "--frames", "10", "--save", "11"}, false},
        {{"--start-spin", "1", "--frames", "10", "--save", "0"}, false},
        {{"--start-spin", "1", "--frames", "10", "--save", "1,,2"}, false},
        {{"--start-spin", "1", "--frames", "10", "--save", ""}, false},
        {{"--start-spin", "1", "--frames", "10", "--out", ""}, false},
        {{"--start-spin", "1", "--frames", "10", "--checksums", ""}, false},
        {{"--start-spin", "1", "--frames", "9", "--checksums", "c", "--checksums", "c"}, false},
        {{"--start-spin", "1", "--frames", "10", "--frames", "10"}, false},
        {{"--start-spin", "1", "--frames"}, false},
        {{"--start-spin", "1"}, false},
        {{"--frames", "1"}, false},
        {{"--start-spin", "1", "--frames", "1", "--verbose", "1"}, false},
        {{"-h"}, false},
    };
    for (const ParseCase& c : cases) {
        CaptureOptions options;
        std::string reason;
        const bool ok = captureParseArgs(c.args, options, reason);
        std::string line;
        for (const std::string& a : c.args) {
            line += a + " ";
        }
        EXPECT_EQ(ok, c.ok) << line;
        if (!ok) {
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(reason.find('\n'), std::string::npos);
        }
    }
    CaptureOptions options;
    std::string reason;
    ASSERT_TRUE(captureParseArgs({"--start-spin", "5", "--frames", "3", "--save", "3,1,3"},
                                 options, reason));
    EXPECT_EQ(options.saveFrames, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(options.outDir, ".");
    EXPECT_EQ(captureFileName(90), "frame_000090.png");
}

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path);
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

RunResult runCapture(const std::string& args, const fs::path& scratch)
{
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const std::string command = std::string("'") + HELIXSOFT_CAPTURE_PATH + "' " + args + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

TEST(CaptureTool, BadArgumentsExitTwoWithAReasonAndTheUsage)
{
    const fs::path scratch = scratchDir("errors");
    std::ofstream(scratch / "plain-file") << "x";
    const std::string outDir = (scratch / "out").string();
    const std::string cases[] = {
        "--start-spin 0 --frames 2 --bogus 1 --out '" + outDir + "' --save 1",
        "--start-spin 360 --frames 2 --out '" + outDir + "' --save 1",
        "--start-spin 0 --frames 0 --out '" + outDir + "' --save 1",
        "--start-spin 0 --frames 2 --out '" + outDir + "' --save 1,3",
        "--start-spin 0 --frames 2 --save 1 --out '" + (scratch / "plain-file" / "sub").string() + "'",
        "--start-spin 0 --frames 2 --checksums '" + (scratch / "plain-file" / "sub").string() + "'",
    };
    for (const std::string& args : cases) {
        const RunResult result = runCapture(args, scratch);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_TRUE(result.out.empty()) << args;
        EXPECT_EQ(result.err.rfind("helixsoft-capture: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: helixsoft-capture --start-spin S --frames N"),
                  std::string::npos)
            << result.err;
        EXPECT_FALSE(fs::exists(outDir)) << args;
    }
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

// FNV-1a as defined, one byte at a time, the pixel words split into bytes
// least significant first.
uint64_t plainFnv1a(const std::vector<uint32_t>& pixels)
{
    uint64_t hash = 14695981039346656037u;
    for (const uint32_t word : pixels) {
        for (int byte = 0; byte < 4; ++byte) {
            hash = (hash ^ ((word >> (8 * byte)) & 0xFF)) * 1099511628211u;
        }
    }
    return hash;
}

TEST(CaptureChecksum, IsFnv1aOfThePixelBytesWithZeroWordsTooAndFormatsTheLine)
{
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    const uint64_t blank = captureChecksum(pixels.data());
    EXPECT_EQ(blank, plainFnv1a(pixels));
    for (size_t i = 0; i < pixels.size(); i += 7) {
        pixels[i] = static_cast<uint32_t>(i * 2654435761u);  // every byte position, some zero
    }
    EXPECT_EQ(captureChecksum(pixels.data()), plainFnv1a(pixels));
    EXPECT_NE(captureChecksum(pixels.data()), blank);
    EXPECT_EQ(captureChecksumLine(90, 0xa1b2c3d4e5f60718u), "frame_000090 a1b2c3d4e5f60718");
    EXPECT_EQ(captureChecksumLine(1, 0x5u), "frame_000001 0000000000000005");
}

TEST(CaptureTool, WritesTheListedFramesAndEveryChecksumAsTheRendererDrewThem)
{
    const fs::path scratch = scratchDir("frames");
    const fs::path outDir = scratch / "new" / "dir";
    const fs::path sums = scratch / "sums.txt";
    const RunResult result = runCapture("--start-spin 17 --frames 3 --save 3,1 --out '" +
                                            outDir.string() + "' --checksums '" + sums.string() + "'",
                                        scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isSummaryLine(result.out, 3)) << result.out;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(outDir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame_000001.png", "frame_000003.png"}));

    SceneState scene{};
    sceneStartup(scene, SceneStart{false, 17});
    std::string expectedSums;
    for (int frame = 1; frame <= 3; ++frame) {
        sceneRenderFrame(scene);
        expectedSums += captureChecksumLine(frame, captureChecksum(scene.pixels.data())) + "\n";
    }
    EXPECT_EQ(readAll(sums), expectedSums);
    EXPECT_FALSE(fs::exists(sums.string() + ".partial"));
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

} // namespace
