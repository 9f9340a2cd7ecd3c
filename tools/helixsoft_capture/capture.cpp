// The software demo's capture tool, kept out of main so the tests can drive it.
// Options are strict: whole decimal numbers only, each option at most once.
#include "capture.h"

#include "capture_progress.h"
#include "scene.h"

#include <chrono>

const char* const kCaptureUsage =
    "usage: helixsoft-capture --start-spin S --frames N [--save LIST] [--out DIR]\n"
    "  S: start spin angle 0..359; N: frames to render, at least 1;\n"
    "  LIST: comma-separated frame numbers 1..N to save as DIR/frame_NNNNNN.png (default none);\n"
    "  DIR: output directory, created if missing (default .)\n";

namespace {

constexpr int32_t kLastSpin = 359;

bool applyOption(const CaptureArg& arg, CaptureOptions& options, std::string& reason)
{
    if (arg.name == "--start-spin") {
        if (!captureParseWhole(arg.value, options.startSpin) || options.startSpin < 0 ||
            options.startSpin > kLastSpin) {
            reason = "--start-spin: " + captureShown(arg.value) +
                     " is not a whole number from 0 to 359";
            return false;
        }
        return true;
    }
    if (arg.name == "--frames") {
        return captureParseFrameCount(arg, options.frames, reason);
    }
    if (arg.name == "--save") {
        return captureParseFrameList(arg, options.saveFrames, reason);
    }
    if (arg.value.empty()) {
        reason = "--out: empty directory name";
        return false;
    }
    options.outDir = arg.value;
    return true;
}

} // namespace

bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason)
{
    options = CaptureOptions{};
    std::vector<CaptureArg> pairs;
    if (!captureSplitArgs(args, {"--start-spin", "--frames", "--save", "--out"}, pairs, reason)) {
        return false;
    }
    for (const CaptureArg& arg : pairs) {
        if (!applyOption(arg, options, reason)) {
            return false;
        }
    }
    return captureRequire(pairs, {"--start-spin", "--frames"}, reason) &&
           captureCheckFrameList("--save", options.saveFrames, options.frames, reason);
}

bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    Clock::duration pipeline{};
    auto nextSave = options.saveFrames.begin();
    ProgressMeter progress = progressStart(options.frames, stderr);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        sceneRenderFrame(scene);
        pipeline += Clock::now() - start;
        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            const std::string path = options.outDir + "/" + captureFileName(frame);
            if (!captureWritePng(path, scene.pixels.data(), kFrameWidth, kFrameHeight, reason)) {
                progressFinish(progress);
                reason = "frame " + std::to_string(frame) + ": " + reason;
                return false;
            }
            ++nextSave;
        }
        progressFrameDone(progress, frame);
    }
    progressFinish(progress);
    result.pipelineMs = std::chrono::duration<double, std::milli>(pipeline).count();
    return true;
}
