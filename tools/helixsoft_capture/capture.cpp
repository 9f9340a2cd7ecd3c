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
    "    64-bit FNV-1a of its pixel words as little-endian bytes in hex (default none);\n"
    "  a device or pipe (/dev/null, /dev/stdout) is written in place, a link followed\n";

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

// One file given as both the checksums and a saved frame would be written
// twice, the last write winning: refused with the other bad arguments.
bool checksumsApart(const CaptureOptions& options, std::string& reason)
{
    if (options.checksumsPath.empty()) {
        return true;
    }
    for (const int32_t frame : options.saveFrames) {
        if (captureSameFile(options.checksumsPath, options.outDir + "/" + captureFileName(frame))) {
            reason = "--checksums: " + captureShown(options.checksumsPath) +
                     " is also the file of saved frame " + std::to_string(frame);
            return false;
        }
    }
    return true;
}

// Writes frame's line when the run writes checksums.
bool addChecksumLine(const CaptureOptions& options, int32_t frame, const uint32_t* pixels,
                     CaptureFile& checksums, std::string& reason)
{
    return options.checksumsPath.empty() ||
           captureFileWriteChecksum(checksums, frame, captureChecksum(pixels, kFramePixels),
                                    reason);
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
           captureCheckFrameList("--save", options.saveFrames, options.frames, reason) &&
           checksumsApart(options, reason);
}

namespace {

// Frames 1..options.frames through the pipeline, their checksum lines going to
// checksums as they come; adds the time spent rendering to pipeline.
bool captureFrames(const CaptureOptions& options, FramePipeline& frames, CaptureFile& checksums,
                   std::chrono::steady_clock::duration& pipeline, std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    const uint32_t* pixels = frames.scene->pixels.data();
    auto nextSave = options.saveFrames.begin();
    ProgressMeter progress = progressStart(options.frames, stderr);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        framePipelineRenderNext(frames);
        pipeline += Clock::now() - start;
        if (!addChecksumLine(options, frame, pixels, checksums, reason)) {
            progressFinish(progress);
            return false;
        }
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
    return true;
}

// The frames of the run on the machine's cores.
bool renderFrames(const CaptureOptions& options, CaptureFile& checksums, CaptureResult& result,
                  std::string& reason)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    FramePipeline frames;
    framePipelineStart(frames, scene, framePipelineThreads());
    std::chrono::steady_clock::duration pipeline{};
    const bool rendered = captureFrames(options, frames, checksums, pipeline, reason);
    framePipelineStop(frames);
    result.pipelineMs = std::chrono::duration<double, std::milli>(pipeline).count();
    return rendered;
}

}  // namespace

bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason)
{
    CaptureFile checksums;
    if (!options.checksumsPath.empty() &&
        !captureFileOpen(options.checksumsPath, checksums, reason)) {
        return false;
    }
    if (!renderFrames(options, checksums, result, reason)) {
        captureFileAbandon(checksums);
        return false;
    }
    return options.checksumsPath.empty() || captureFileCommit(checksums, reason);
}
