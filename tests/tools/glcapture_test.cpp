// vesselgl-capture: its own options in-process (the rules it shares with
// helixsoft-capture are tested there); the built program for its exit status,
// messages and files; its frames against pinned pictures; the texture upload
// read back; and its shader-path twin against it on the same rasterizer.
#include "capture_run.h"
#include "captureargs.h"
#include "captureoutput.h"
#include "glcapture.h"
#include "gltexture.h"
#include "mipchain.h"
#include "offscreen.h"
#include "picture_checks.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
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
    EXPECT_TRUE(isSummaryLine(good.out, 2)) << good.out;

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

constexpr int kLaterFrame = 90;
constexpr int kMiddleFrame = 45;

// Frames 1 and 90 against the pictures first drawn, shrunk to 160x120 for small
// files: a change of camera, light, material or texture moves far more than the
// tolerance allows. A differing frame is left beside the test, shrunk.
TEST(GlCaptureFrames, AreThePinnedPictures)
{
    const fs::path scratch = textureDir("gl-pinned");
    const RunResult run = runIn(VESSELGL_CAPTURE_PATH, scratch, "--frames 90 --save 1,90");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const int frame : {1, kLaterFrame}) {
        Picture shrunk = pictureShrink(loadFrame(scratch, frame), 4);
        const PictureDiff diff =
            pictureCompare(shrunk, loadFrame(VESSELGL_PINNED_FRAMES, frame), kPictureLevels);
        if (diff.shareWithin < kPictureShareWithin) {
            std::string reason;
            captureWritePng(captureFileName(frame), shrunk.rgb.data(), shrunk.width,
                            shrunk.height, reason);
            ADD_FAILURE() << "frame " << frame << " is not the pinned picture: "
                          << describeDiff(diff) << "; shrunk in "
                          << fs::absolute(captureFileName(frame)).string();
        }
    }
    fs::remove_all(scratch);
}

// Rows of 1, 2, 3 and 6 bytes are read unpadded only with an unpack alignment
// of 1: every level comes back as uploaded, and the caller's alignment stays.
TEST(GlTexture, LevelsReadBackAsUploadedAndTheAlignmentIsRestored)
{
    ASSERT_TRUE(offscreenOpen());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const GLenum format : {GL_LUMINANCE, GL_RGB}) {
        const int components = format == GL_RGB ? 3 : 1;
        TexImage base{2, 8, components, std::vector<uint8_t>(size_t(16 * components))};
        std::iota(base.pixels.begin(), base.pixels.end(), uint8_t{11});
        const std::vector<TexImage> levels = texBuildMipChain(base);  // 2x8, 1x4, 1x2, 1x1
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        ASSERT_TRUE(uploadTexture(levels, TextureLevels::declared));
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 8);
        for (size_t level = 0; level < levels.size(); ++level) {
            std::vector<uint8_t> back(levels[level].pixels.size());
            glGetTexImage(GL_TEXTURE_2D, GLint(level), format, GL_UNSIGNED_BYTE, back.data());
            EXPECT_EQ(back, levels[level].pixels) << components << " bytes, level " << level;
        }
    }
    offscreenClose();
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
