// The GL demo rendered off-screen with the program's own start-up and frame
// function (glframe.h), over whichever GL path this tool is linked with.
#include "glcapture.h"

#include "capture_progress.h"
#include "captureargs.h"
#include "captureoutput.h"
#include "glframe.h"
#include "offscreen.h"
#include "programdir.h"
#include "texturefind.h"

#include <chrono>

const char* const kGlCaptureUsage =
    "usage: vesselgl-capture --frames N [--save LIST] [--out DIR] [--texture FILE]\n"
    "  N: frames to render, at least 1;\n"
    "  LIST: comma-separated frame numbers 1..N to save as DIR/frame_NNNNNN.png (default N);\n"
    "  DIR: output directory, created if missing (default .);\n"
    "  FILE: the TGA texture (default artery.tga in the working directory, else the\n"
    "        installed one)\n";

namespace {

bool applyOption(const CaptureArg& arg, GlCaptureOptions& options, std::string& reason)
{
    if (arg.name == "--frames") {
        return captureParseFrameCount(arg, options.frames, reason);
    }
    if (arg.name == "--save") {
        return captureParseFrameList(arg, options.saveFrames, reason);
    }
    if (arg.value.empty()) {
        reason = arg.name + (arg.name == "--out" ? ": empty directory name" : ": empty file name");
        return false;
    }
    (arg.name == "--out" ? options.outDir : options.texturePath) = arg.value;
    return true;
}

// The texture named with --texture, else the demo's own, looked for where the
// demo looks; false with the places tried when it is nowhere.
bool chooseTexture(const GlCaptureOptions& options, std::string& path, std::string& reason)
{
    if (!options.texturePath.empty()) {
        path = options.texturePath;
        return true;
    }
    const std::vector<std::string> places = texturePlaces(kTextureFile, programDataDir());
    path = textureFirstPresent(places);
    if (path.empty()) {
        reason = "no texture found at " + captureShown(places[0]);
        for (size_t i = 1; i < places.size(); ++i) {
            reason += " or " + captureShown(places[i]);
        }
    }
    return !path.empty();
}

CaptureStatus runFrames(const GlCaptureOptions& options, GlDemo& demo, double& renderMs,
                        std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration rendering{};
    std::vector<uint32_t> pixels(kOffscreenPixels);
    auto nextSave = options.saveFrames.begin();
    ProgressMeter progress = progressStart(options.frames, stderr);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        glDemoFrame(demo);
        offscreenFinish();
        rendering += Clock::now() - start;
        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            offscreenRead(pixels.data());
            const std::string path = options.outDir + "/" + captureFileName(frame);
            if (!captureWritePng(path, pixels.data(), kScreenWidth, kScreenHeight, reason)) {
                progressFinish(progress);
                reason = "frame " + std::to_string(frame) + ": " + reason;
                return CaptureStatus::failed;
            }
            ++nextSave;
        }
        progressFrameDone(progress, frame);
    }
    progressFinish(progress);
    renderMs = std::chrono::duration<double, std::milli>(rendering).count();
    return CaptureStatus::done;
}

}  // namespace

bool glCaptureParseArgs(const std::vector<std::string>& args, GlCaptureOptions& options,
                        std::string& reason)
{
    options = GlCaptureOptions{};
    std::vector<CaptureArg> pairs;
    if (!captureSplitArgs(args, {"--frames", "--save", "--out", "--texture"}, pairs, reason)) {
        return false;
    }
    bool saveGiven = false;
    for (const CaptureArg& arg : pairs) {
        if (!applyOption(arg, options, reason)) {
            return false;
        }
        saveGiven = saveGiven || arg.name == "--save";
    }
    if (!captureRequire(pairs, {"--frames"}, reason)) {
        return false;
    }
    if (!saveGiven) {
        options.saveFrames = {options.frames};
    }
    return captureCheckFrameList("--save", options.saveFrames, options.frames, reason);
}

CaptureStatus glCaptureRun(const GlCaptureOptions& options, double& renderMs,
                           std::string& reason)
{
    std::string texture;
    if (!chooseTexture(options, texture, reason)) {
        return CaptureStatus::badInput;
    }
    if (!offscreenOpen()) {
        reason = "cannot create an off-screen OpenGL context";
        return CaptureStatus::failed;
    }
    GlDemo demo;
    CaptureStatus status = CaptureStatus::done;
    switch (glDemoStart(demo, texture.c_str())) {
    case GlDemoStart::noProgram:
        reason = "the GL cannot build the shader program";
        status = CaptureStatus::failed;
        break;
    case GlDemoStart::noTexture:
        reason = (options.texturePath.empty() ? "cannot load " : "--texture: cannot load ") +
                 captureShown(texture) + " as a texture";
        status = CaptureStatus::badInput;
        break;
    case GlDemoStart::started:
        status = capturePrepareDir(options.outDir, reason)
                     ? runFrames(options, demo, renderMs, reason)
                     : CaptureStatus::badInput;
        break;
    }
    glDemoStop();
    offscreenClose();
    return status;
}
