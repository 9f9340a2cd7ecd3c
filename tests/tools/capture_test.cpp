// The capture tool: its argument rules in-process, and the built program run as
// a child for its exit status, messages and the PNG files it leaves behind.
#include "capture.h"
#include "capture_run.h"
#include "scene.h"
#include "version.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(CaptureArgs, AcceptsTheContractAndRejectsEverythingElseInOneShortLine)
{
    const std::string huge(100000, '7');
    const ParseCase cases[] = {
        {{"--start-spin", "0", "--frames", "1"}, nullptr},
        {{"--frames", "1000", "--start-spin", "359", "--save", "1,90,1000", "--out", "x"}, nullptr},
        {{"--start-spin", "5", "--frames", "3", "--save", "3,1,3"}, nullptr},
        {{"--start-spin", "360", "--frames", "1"}, "'360' is not a whole number from 0 to 359"},
        {{"--start-spin", "1x", "--frames", "1"}, "from 0 to 359"},
        {{"--start-spin", "1", "--frames", "0"}, "'0' is not a whole number of at least 1"},
        {{"--start-spin", "1", "--frames", "2147483647"}, nullptr},
        {{"--start-spin", "1", "--frames", "2147483648"}, "'2147483648' is too large"},
        {{"--start-spin", "1", "--frames", "-99999999999"}, "not a whole number of at least 1"},
        {{"--start-spin", "1", "--frames", huge}, "'7777777777"},
        {{"--start-spin", "1", "--frames", "a\nb"}, "'a?b'"},
        {{"--start-spin", "1", "--frames", "10", "--save", "11"}, "frame 11 is outside 1..10"},
        {{"--start-spin", "1", "--frames", "10", "--save", "1,,2"}, "'' is not a frame number"},
        {{"--start-spin", "1", "--frames", "10", "--save", "9999999999"}, "too large"},
        {{"--start-spin", "1", "--frames", "10", "--out", ""}, "empty directory name"},
        {{"--start-spin", "1", "--frames", "10", "--checksums", ""}, "--checksums: empty file name"},
        {{"--start-spin", "1", "--frames", "10", "--frames", "10"}, "given twice"},
        {{"--start-spin", "1", "--frames"}, "needs a value"},
        {{"--frames", "1"}, "missing option --start-spin"},
        {{"--start-spin", "1", "--frames", "1", "--verbose", "1"}, "unknown option '--verbose'"},
        {{"--" + huge, "1"}, "unknown option '--7777"},
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
    EXPECT_FALSE(captureWantsVersion({"--out", "--version"}));
}

TEST(CaptureTool, BadArgumentsExitTwoWithAReasonAndTheUsage)
{
    const fs::path scratch = scratchDir("errors");
    std::ofstream(scratch / "plain-file") << "x";
    const std::string outDir = (scratch / "out").string();
    const std::pair<std::string, std::string> cases[] = {
        {"--start-spin 0 --frames 2 --out '" + outDir + "' --save 1,3", "frame 3"},
        {"--start-spin 0 --frames 2 --save 1 --out '" + (scratch / "plain-file" / "sub").string() +
             "'",
         "': Not a directory\n"},
        {"--start-spin 0 --frames 2 --save 1 --out '" + (scratch / std::string(300, 'd')).string() +
             "'",
         "dddd': File name too long\n"},
        {"--start-spin 0 --frames 2 --save 2 --out '" + outDir + "' --checksums '" + outDir +
             "/../out/frame_000002.png'",
         "/frame_000002.png' is also the file of saved frame 2\n"},
    };
    for (const auto& [args, says] : cases) {
        const RunResult result = runTool(HELIXSOFT_CAPTURE_PATH, args, scratch);
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
    const RunResult help = runTool(HELIXSOFT_CAPTURE_PATH, "--frames 1 --help", scratch);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, kCaptureUsage);
    EXPECT_EQ(help.err, "");
    const RunResult version = runTool(HELIXSOFT_CAPTURE_PATH, "--frames 1 --version", scratch);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("helixsoft-capture ") + kTubeVersion + "\n");
    EXPECT_EQ(version.err, "");
    fs::remove_all(scratch);
}

TEST(CaptureTool, WritesTheListedFramesAndEveryChecksumAsTheRendererDrewThem)
{
    const fs::path scratch = scratchDir("frames");
    const fs::path outDir = scratch / "new" / "dir";
    const fs::path sums = scratch / "sums.txt";
    // Enough frames that the checksums' ring of buffers goes round several times.
    const RunResult result = runTool(HELIXSOFT_CAPTURE_PATH,
                                     "--start-spin 17 --frames 12 --save 3,1 --out '" +
                                         outDir.string() + "' --checksums '" + sums.string() + "'",
                                     scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isSummaryLine(result.out, 12)) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(fileNames(outDir), (std::vector<std::string>{"frame_000001.png", "frame_000003.png"}));

    SceneState scene{};
    sceneStartup(scene, SceneStart{false, 17});
    std::string expectedSums;
    std::vector<uint32_t> third;
    for (int frame = 1; frame <= 12; ++frame) {
        sceneRenderFrame(scene);
        expectedSums += captureChecksumLine(frame, captureChecksum(scene.pixels.data(), scene.pixels.size())) + "\n";
        if (frame == 3) {
            third = scene.pixels;
        }
    }
    EXPECT_EQ(readAll(sums), expectedSums);
    EXPECT_EQ(fileNames(scratch), (std::vector<std::string>{"new", "sums.txt"})) << "nothing else";
    const fs::path nowhere = sums / "sub";  // under a plain file
    const RunResult failed =
        runTool(HELIXSOFT_CAPTURE_PATH,
                "--start-spin 17 --frames 3 --checksums '" + nowhere.string() + "'", scratch);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "") << "no summary after a failure";
    EXPECT_EQ(failed.err, "helixsoft-capture: cannot write " + captureShown(nowhere.string()) +
                              ": Not a directory\n");
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb =
        stbi_load((outDir / "frame_000003.png").c_str(), &width, &height, &channels, 0);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(channels, 3);
    size_t mismatches = 0;
    for (int i = 0; i < kFramePixels; ++i) {
        const uint32_t p = third[i];
        mismatches += rgb[3 * i] != ((p >> 16) & 0xFF) || rgb[3 * i + 1] != ((p >> 8) & 0xFF) ||
                      rgb[3 * i + 2] != (p & 0xFF);
    }
    stbi_image_free(rgb);
    EXPECT_EQ(mismatches, 0u);
    fs::remove_all(scratch);
}

// Frames 1-3,000 of a start spin pinned by the FNV-1a of their --checksums file,
// as first drawn (with the frames verified by hand: spin 0 frames 1, 90, 1,000,
// 123 frames 1, 1,000, 300 frame 2,500). A differing file is kept to diff.
class PinnedRun : public ::testing::TestWithParam<std::pair<int, uint64_t>> {};

TEST_P(PinnedRun, DrawsThePinnedFrames)
{
    const auto [spin, pinned] = GetParam();
    const std::string name = "pinned-run-spin" + std::to_string(spin) + ".txt";
    const fs::path scratch = scratchDir(name);
    const std::string args = "--start-spin " + std::to_string(spin) +
                             " --frames 3000 --checksums '" + (scratch / name).string() + "'";
    ASSERT_EQ(runTool(HELIXSOFT_CAPTURE_PATH, args, scratch).status, 0);
    uint64_t digest = 0xcbf29ce484222325ull;  // byte by byte
    for (const char c : readAll(scratch / name)) {
        digest = (digest ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
    if (digest != pinned) {
        fs::copy_file(scratch / name, name, fs::copy_options::overwrite_existing);
        ADD_FAILURE() << "not the pinned frames; their checksums: " << fs::absolute(name).string();
    }
    fs::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(StartSpins, PinnedRun,
                         ::testing::Values(std::pair{0, 0x4674ed09b0d40ff3ull},
                                           std::pair{123, 0xfa0ad1c6fdb6f24eull},
                                           std::pair{300, 0xdf5bc64b2dd29a5cull}),
                         [](const auto& run) { return "spin" + std::to_string(run.param.first); });

} // namespace
