// The software demo's capture tool, kept out of main so the tests can drive it.
// Options are strict: whole decimal numbers only, each option at most once.
#include "capture.h"

#include "capture_progress.h"
#include "conventions.h"
#include "pipeline.h"
#include "scene.h"

#include <chrono>
#include <cstdio>

const char* const kCaptureUsage =
    "usage: helixsoft-capture --start-spin S --frames N [--save LIST] [--out DIR]"
    " [--checksums FILE]\n"
    "  S: start spin angle 0..359; N: frames to render, at least 1;\n"
    "  LIST: comma-separated frame numbers 1..N to save as DIR/frame_NNNNNN.png (default none);\n"
    "  DIR: output directory, created if missing (default .);\n"
    "  FILE: write a line 'frame_NNNNNN XXXXXXXXXXXXXXXX' for every frame 1..N, the\n"
    "    64-bit FNV-1a of its pixel words as little-endian bytes in hex (default none)\n";

namespace {

// The value of --out or --checksums.
bool applyName(const CaptureArg& arg, std::string& name, const char* what, std::string& reason)
{
    if (arg.value.empty()) {
        reason = arg.name + ": empty " + what;
        return false;
    }
    name = arg.value;
    return true;
}

bool applyOption(const CaptureArg& arg, CaptureOptions& options, std::string& reason)
{
    if (arg.name == "--start-spin") {
        if (!captureParseWhole(arg.value, options.startSpin) || options.startSpin < 0 ||
            options.startSpin >= kDegreesPerTurn) {
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
    if (arg.name == "--checksums") {
        return applyName(arg, options.checksumsPath, "file name", reason);
    }
    return applyName(arg, options.outDir, "directory name", reason);
}

// Appends frame's line to lines when the run writes checksums.
void addChecksumLine(const CaptureOptions& options, int32_t frame, const uint32_t* pixels,
                     std::vector<uint8_t>& lines)
{
    if (!options.checksumsPath.empty()) {
        const std::string line = captureChecksumLine(frame, captureChecksum(pixels, kFramePixels)) + "\n";
        lines.insert(lines.end(), line.begin(), line.end());
    }
}

} // namespace

bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason)
{
    options = CaptureOptions{};
    std::vector<CaptureArg> pairs;
    if (!captureSplitArgs(args, {"--start-spin", "--frames", "--save", "--out", "--checksums"},
                          pairs, reason)) {
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

namespace {

// Frames 1..options.frames through the pipeline, as captureRun describes;
// adds the time spent rendering to pipeline.
bool captureFrames(const CaptureOptions& options, FramePipeline& frames,
                   std::chrono::steady_clock::duration& pipeline, std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    const uint32_t* pixels = frames.scene->pixels.data();
    auto nextSave = options.saveFrames.begin();
    std::vector<uint8_t> checksums;
    ProgressMeter progress = progressStart(options.frames, stderr);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        framePipelineRenderNext(frames);
        pipeline += Clock::now() - start;
        addChecksumLine(options, frame, pixels, checksums);
        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            const std::string path = options.outDir + "/" + captureFileName(frame);
            if (!captureWritePng(path, pixels, kFrameWidth, kFrameHeight, reason)) {
                progressFinish(progress);
                reason = "frame " + std::to_string(frame) + ": " + reason;
                return false;
            }
            ++nextSave;
        }
        progressFrameDone(progress, frame);
    }
    progressFinish(progress);
    return options.checksumsPath.empty() ||
           captureWriteFile(options.checksumsPath, checksums, reason);
}

} // namespace

bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    FramePipeline frames;
    framePipelineStart(frames, scene, framePipelineThreads());
    std::chrono::steady_clock::duration pipeline{};
    const bool written = captureFrames(options, frames, pipeline, reason);
    framePipelineStop(frames);
    result.pipelineMs = std::chrono::duration<double, std::milli>(pipeline).count();
    return written;
}
