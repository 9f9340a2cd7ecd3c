// vesselgl-capture: its own options in-process (the rules it shares with
// helixsoft-capture are tested there); the built program for its exit status,
// messages and files; its frames for the demo's look; and its shader-path twin
// against it on the same rasterizer.
#include "capture_run.h"
#include "captureargs.h"
#include "captureoutput.h"
#include "glcapture.h"
#include "picture_checks.h"
#include "mipchain.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(GlCaptureArgs, TakeFramesWithTheLastSavedByDefaultAndATextureFile)
{
    const ParseCase cases[] = {
        {{"--frames", "1"}, nullptr},
        {{"--texture", "t.tga", "--out", "x", "--save", "3,1,3", "--frames", "5"}, nullptr},
        {{"--save", "1"}, "missing option --frames"},
        {{"--frames", "5", "--save", "6"}, "frame 6 is outside 1..5"},
        {{"--frames", "5", "--texture", ""}, "--texture: empty file name"},
        {{"--frames", "5", "--out", ""}, "--out: empty directory name"},
        {{"--frames", "5", "--start-spin", "1"}, "unknown option '--start-spin'"},
    };
    for (const ParseCase& c : cases) {
        GlCaptureOptions options;
        std::string reason;
        EXPECT_EQ(glCaptureParseArgs(c.args, options, reason), c.says == nullptr) << reason;
        EXPECT_NE(reason.find(c.says == nullptr ? "" : c.says), std::string::npos) << reason;
    }
    GlCaptureOptions options;
    std::string reason;
    ASSERT_TRUE(glCaptureParseArgs({"--frames", "7"}, options, reason));
    EXPECT_EQ(options.saveFrames, std::vector<int32_t>{7}) << "the last frame by default";
    EXPECT_EQ(options.outDir, ".");
    EXPECT_EQ(options.texturePath, "") << "found where the demo finds it";
}

// A scratch directory holding the demo's texture, and the tool run in it.
fs::path textureDir(const std::string& name)
{
    const fs::path dir = scratchDir(name);
    fs::copy_file(VESSELGL_ASSET, dir / "artery.tga");
    return dir;
}

RunResult runIn(const char* tool, const fs::path& dir, const std::string& args)
{
    return runTool(tool, args, dir, "cd '" + dir.string() + "' &&");
}

TEST(GlCaptureTool, BadInputExitsTwoWithAReasonAndTheUsageAndWritesNothing)
{
    const fs::path scratch = textureDir("gl-errors");
    std::ofstream(scratch / "plain-file") << "x";
    std::ofstream(scratch / "broken.tga") << "not a picture";
    const std::string cases[] = {
        "--frames 2 --bogus 1 --out out",
        "--frames 2 --out out --texture broken.tga",
        "--frames 2 --out out --texture missing.tga",
        "--frames 2 --out plain-file/sub",
    };
    for (const std::string& args : cases) {
        const RunResult result = runIn(VESSELGL_CAPTURE_PATH, scratch, args);
        EXPECT_EQ(result.status, 2) << args << ": " << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("vesselgl-capture: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: vesselgl-capture --frames N"), std::string::npos);
        EXPECT_FALSE(fs::exists(scratch / "out")) << args;
    }
    // The default texture: from the working directory, else from the data folder
    // beside the program's (which a build folder does not have).
    fs::remove(scratch / "artery.tga");
    const RunResult none = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 1");
    EXPECT_EQ(none.status, 2);
    const fs::path installed = fs::canonical(VESSELGL_CAPTURE_PATH).parent_path().parent_path() /
                               "share" / "tubedemos" / "artery.tga";
    EXPECT_EQ(none.err.rfind("vesselgl-capture: no texture found at 'artery.tga' or " +
                                 captureShown(installed.string()) + "\n", 0),
              0u) << none.err;
    const RunResult help = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 1 --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: vesselgl-capture --frames N", 0), 0u) << help.out;
    fs::remove_all(scratch);
}

// A frame file is either complete under its name or absent: a frame that
// cannot be written fails the run with status 1 and leaves no partial file.
TEST(GlCaptureTool, WritesFramesUnderTheirNamesOnlyWhenComplete)
{
    const fs::path scratch = textureDir("gl-atomic");
    const RunResult good = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 2 --out a/b");
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_EQ(fileNames(scratch / "a" / "b"), std::vector<std::string>{"frame_000002.png"});
    int frames = 0;
    double ms = -1.0;
    double perSecond = -1.0;
    int consumed = 0;
    EXPECT_EQ(std::sscanf(good.out.c_str(), "rendered %d frames in %lf ms (%lf frames/s)\n%n",
                          &frames, &ms, &perSecond, &consumed), 3);
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(size_t(consumed), good.out.size()) << good.out;

    fs::create_directories(scratch / "c" / "frame_000002.png");  // the name is taken
    const RunResult blocked = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 2 --save 1,2 --out c");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.err.rfind("vesselgl-capture: frame 2: cannot write", 0), 0u) << blocked.err;
    EXPECT_EQ(fileNames(scratch / "c"),
              (std::vector<std::string>{"frame_000001.png", "frame_000002.png"}));
    EXPECT_TRUE(fs::is_directory(scratch / "c" / "frame_000002.png"));
    fs::remove_all(scratch);
}

Picture loadFrame(const fs::path& dir, int frame)
{
    Picture picture;
    EXPECT_TRUE(pictureLoadPng((dir / captureFileName(frame)).string(), picture)) << frame;
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
    const fs::path scratch = textureDir("gl-look");
    const RunResult run = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 90 --save 1,90");
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
    const fs::path fixedDir = textureDir("gl-fixed");
    const fs::path shaderDir = textureDir("gl-shader");
    const std::string args = "--frames 90 --save 1,45,90";
    ASSERT_EQ(runIn(VESSELGL_CAPTURE_PATH, fixedDir, args).status, 0);
    const RunResult shader = runIn(VESSELGL_CAPTURE_GLSL_PATH, shaderDir, args);
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
