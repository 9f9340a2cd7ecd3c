// vesselgl-capture: its argument rules in-process; the built program for its
// exit status, messages and files; its frames for the demo's look; and its
// shader-path twin against it on the same rasterizer.
#include "glcapture.h"
#include "picture_checks.h"
#include "process.h"
#include "teximage.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRunTimeoutMs = 120000;

struct ParseCase {
    std::vector<std::string> args;
    bool ok;
};

TEST(GlCaptureArgs, AcceptsTheContractAndRejectsEverythingElse)
{
    const ParseCase cases[] = {
        {{"--frames", "1"}, true},
        {{"--texture", "t.tga", "--out", "x", "--save", "3,1,3", "--frames", "5"}, true},
        {{"--frames", "0"}, false},
        {{"--frames", "-1"}, false},
        {{"--frames", "1x"}, false},
        {{"--frames", ""}, false},
        {{"--frames", "99999999999"}, false},
        {{"--save", "1"}, false},
        {{"--frames", "5", "--save", "6"}, false},
        {{"--frames", "5", "--save", "0"}, false},
        {{"--frames", "5", "--save", "1,,2"}, false},
        {{"--frames", "5", "--save", ""}, false},
        {{"--frames", "5", "--out", ""}, false},
        {{"--frames", "5", "--texture", ""}, false},
        {{"--frames", "5", "--frames", "5"}, false},
        {{"--frames"}, false},
        {{"--frames", "5", "--start-spin", "1"}, false},
        {{"-h"}, false},
    };
    for (const ParseCase& c : cases) {
        GlCaptureOptions options;
        std::string reason;
        std::string line;
        for (const std::string& a : c.args) {
            line += a + " ";
        }
        EXPECT_EQ(glCaptureParseArgs(c.args, options, reason), c.ok) << line;
        EXPECT_EQ(reason.empty(), c.ok) << line << reason;
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    }
    GlCaptureOptions options;
    std::string reason;
    ASSERT_TRUE(glCaptureParseArgs({"--frames", "7"}, options, reason));
    EXPECT_EQ(options.saveFrames, std::vector<int32_t>{7}) << "the last frame by default";
    EXPECT_EQ(options.outDir, ".");
    EXPECT_EQ(options.texturePath, "artery.tga");
    ASSERT_TRUE(glCaptureParseArgs({"--frames", "5", "--save", "3,1,3"}, options, reason));
    EXPECT_EQ(options.saveFrames, (std::vector<int32_t>{1, 3}));
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The tool in its own process, working directory `dir`.
RunResult runTool(const char* tool, const std::vector<std::string>& args, const fs::path& dir)
{
    std::vector<std::string> argv{tool};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.workDir = dir.string();
    ChildProcess child;
    RunResult result;
    if (!childStart(child, argv, options) || !childWait(child, kRunTimeoutMs, result.status)) {
        childKill(child);
    }
    result.out = child.out;
    result.err = child.err;
    return result;
}

fs::path scratchDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() /
                         ("vesselgl-capture-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(VESSELGL_ASSET, dir / "artery.tga");
    return dir;
}

std::vector<std::string> filesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(GlCaptureTool, BadInputExitsTwoWithAReasonAndTheUsageAndWritesNothing)
{
    const fs::path scratch = scratchDir("errors");
    std::ofstream(scratch / "plain-file") << "x";
    std::ofstream(scratch / "broken.tga") << "not a picture";
    const std::vector<std::vector<std::string>> cases = {
        {"--frames", "2", "--bogus", "1", "--out", "out"},
        {"--frames", "2", "--save", "3", "--out", "out"},
        {"--frames", "2", "--out", "out", "--texture", "broken.tga"},
        {"--frames", "2", "--out", "out", "--texture", "missing.tga"},
        {"--frames", "2", "--out", "plain-file/sub"},
    };
    for (const std::vector<std::string>& args : cases) {
        const RunResult result = runTool(VESSELGL_CAPTURE_PATH, args, scratch);
        EXPECT_EQ(result.status, 2) << args[2] << " " << args[3] << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("vesselgl-capture: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: vesselgl-capture --frames N"), std::string::npos);
        EXPECT_FALSE(fs::exists(scratch / "out")) << args[2] << " " << args[3];
    }
    // Without --texture the file is artery.tga in the working directory.
    fs::remove(scratch / "artery.tga");
    EXPECT_EQ(runTool(VESSELGL_CAPTURE_PATH, {"--frames", "1"}, scratch).status, 2);
    fs::remove_all(scratch);
}

// A frame file is either complete under its name or absent: a failed write
// leaves no partial file behind and ends the run with status 2.
TEST(GlCaptureTool, WritesFramesUnderTheirNamesOnlyWhenComplete)
{
    const fs::path scratch = scratchDir("atomic");
    const RunResult good = runTool(VESSELGL_CAPTURE_PATH, {"--frames", "2", "--out", "a/b"}, scratch);
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_EQ(filesIn(scratch / "a" / "b"), std::vector<std::string>{"frame_000002.png"});
    int frames = 0;
    double ms = -1.0;
    double perSecond = -1.0;
    int consumed = 0;
    EXPECT_EQ(std::sscanf(good.out.c_str(), "rendered %d frames in %lf ms (%lf frames/s)\n%n",
                          &frames, &ms, &perSecond, &consumed), 3);
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(size_t(consumed), good.out.size()) << good.out;

    fs::create_directories(scratch / "c" / "frame_000002.png");  // the name is taken
    const RunResult blocked =
        runTool(VESSELGL_CAPTURE_PATH, {"--frames", "2", "--save", "1,2", "--out", "c"}, scratch);
    EXPECT_EQ(blocked.status, 2);
    EXPECT_NE(blocked.err.find("cannot write"), std::string::npos) << blocked.err;
    EXPECT_EQ(filesIn(scratch / "c"),
              (std::vector<std::string>{"frame_000001.png", "frame_000002.png"}));
    EXPECT_TRUE(fs::is_directory(scratch / "c" / "frame_000002.png"));
    fs::remove_all(scratch);
}

Picture loadFrame(const fs::path& dir, int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    Picture picture;
    EXPECT_TRUE(pictureLoadPng((dir / name).string(), picture)) << name;
    return picture;
}

// The texture's average colour: its 1x1 mipmap level.
uint32_t textureAverage()
{
    std::vector<TexImage> levels;
    EXPECT_TRUE(texPrepareFile(VESSELGL_ASSET, levels));
    const std::vector<uint8_t>& p = levels.back().pixels;
    return p.size() < 3 ? 0 : uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

constexpr int kLaterFrame = 90;
constexpr int kMiddleFrame = 45;

TEST(GlCaptureFrames, LookLikeTheDemoAndMoveFromFrameToFrame)
{
    const fs::path scratch = scratchDir("look");
    const RunResult run = runTool(VESSELGL_CAPTURE_PATH, {"--frames", "90", "--save", "1,90"},
                                  scratch);
    ASSERT_EQ(run.status, 0) << run.err;
    const uint32_t average = textureAverage();
    for (const int frame : {1, kLaterFrame}) {
        const PictureLook look = pictureLook(loadFrame(scratch, frame));
        EXPECT_GT(look.litShare, 0.25) << frame << ": the tube fills much of the screen";
        EXPECT_LT(look.litShare, 0.75) << frame << ": and the background shows around it";
        // Colour material keeps the lit colour white, so the tube is the texture.
        EXPECT_TRUE(colorsClose(look.tubeColor, average, 16))
            << frame << std::hex << ": tube " << look.tubeColor << ", texture " << average;
        EXPECT_GT(look.highlightPixels, 100u) << frame << ": the white highlight is in view";
    }
    const PictureDiff moved =
        pictureCompare(loadFrame(scratch, 1), loadFrame(scratch, kLaterFrame), 12);
    EXPECT_LT(moved.shareWithin, 0.8) << describeDiff(moved);
    fs::remove_all(scratch);
}

// The shader path on the same rasterizer as the fixed-function path: what is
// left is the shader's arithmetic against the fixed pipeline's.
TEST(GlCaptureFrames, TheShaderPathDrawsWhatTheFixedFunctionPathDraws)
{
    const fs::path fixedDir = scratchDir("fixed");
    const fs::path shaderDir = scratchDir("shader");
    const std::vector<std::string> args{"--frames", "90", "--save", "1,45,90"};
    ASSERT_EQ(runTool(VESSELGL_CAPTURE_PATH, args, fixedDir).status, 0);
    const RunResult shader = runTool(VESSELGL_CAPTURE_GLSL_PATH, args, shaderDir);
    ASSERT_EQ(shader.status, 0) << shader.err;
    for (const int frame : {1, kMiddleFrame, kLaterFrame}) {
        const PictureDiff diff =
            pictureCompare(loadFrame(fixedDir, frame), loadFrame(shaderDir, frame), 2);
        EXPECT_GE(diff.shareWithin, 0.999) << frame << ": " << describeDiff(diff);
        EXPECT_LT(diff.meanError, 0.05) << frame << ": " << describeDiff(diff);
    }
    fs::remove_all(fixedDir);
    fs::remove_all(shaderDir);
}

}  // namespace
