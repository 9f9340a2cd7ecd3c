// The software demo's capture tool, kept out of main so the tests can drive it.
// Options are strict: whole decimal numbers only, each option at most once.
#include "capture.h"

#include "capture_progress.h"
#include "checksum_ring.h"
#include "conventions.h"
#include "cores.h"
#include "pipeline.h"
#include "scene.h"

#include <algorithm>
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

// A frame's checksum takes several times as long as its rendering (about 1.3
// against 0.25 ms on a 2 GHz core), so beyond a few threads summing, more
// only add frame buffers (1.2 MB each, two per thread).
constexpr int32_t kMaxSummingThreads = 8;

// The oldest frame's line, and those after it that are summed already, or
// every line still due when all of them is set.
bool writeDueLines(ChecksumRing& ring, CaptureFile& checksums, bool all, std::string& reason)
{
    while (!checksumRingEmpty(ring) && (all || checksumRingFull(ring) ||
                                        checksumRingOldestReady(ring))) {
        int32_t frame = 0;
        uint64_t checksum = 0;
        checksumRingTakeOldest(ring, frame, checksum);
        if (!captureFileWriteChecksum(checksums, frame, checksum, reason)) {
            return false;
        }
    }
    return true;
}

// A saved frame's line goes out before its file, after every earlier line, as
// a frame that cannot be saved ends the run with the lines before it written.
bool saveFrame(const CaptureOptions& options, int32_t frame, const uint32_t* pixels,
               ChecksumRing& ring, CaptureFile& checksums, std::string& reason)
{
    if (!options.checksumsPath.empty() &&
        (!writeDueLines(ring, checksums, true, reason) ||
         !captureFileWriteChecksum(checksums, frame, captureChecksum(pixels, kFramePixels),
                                   reason))) {
        return false;
    }
    const std::string path = options.outDir + "/" + captureFileName(frame);
    if (!captureWritePng(path, pixels, kFrameWidth, kFrameHeight, reason)) {
        reason = "frame " + std::to_string(frame) + ": " + reason;
        return false;
    }
    return true;
}

// What becomes of a rendered frame: saved, or handed to the ring for its
// checksum, or nothing.
bool finishFrame(const CaptureOptions& options, int32_t frame, SceneState& scene,
                 ChecksumRing& ring, CaptureFile& checksums, std::string& reason)
{
    if (std::binary_search(options.saveFrames.begin(), options.saveFrames.end(), frame)) {
        return saveFrame(options, frame, scene.pixels.data(), ring, checksums, reason);
    }
    if (options.checksumsPath.empty()) {
        return true;
    }
    checksumRingHandIn(ring, scene.pixels, frame);
    return writeDueLines(ring, checksums, false, reason);
}

// Frames 1..options.frames through the pipeline, their checksum lines going to
// checksums as they are summed; adds the time spent rendering to pipeline.
bool captureFrames(const CaptureOptions& options, FramePipeline& frames, ChecksumRing& ring,
                   CaptureFile& checksums, std::chrono::steady_clock::duration& pipeline,
                   std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    ProgressMeter progress = progressStart(options.frames, stderr);
    bool written = true;
    for (int32_t frame = 1; written && frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        framePipelineRenderNext(frames);
        pipeline += Clock::now() - start;
        written = finishFrame(options, frame, *frames.scene, ring, checksums, reason);
        progressFrameDone(progress, frame);
    }
    written = written && writeDueLines(ring, checksums, true, reason);
    progressFinish(progress);
    return written;
}

// The frames of the run on the machine's cores: with checksums, which cost
// several times a frame's rendering, the frames render on one thread and the
// cores sum them; without, the frames render on all of them.
bool renderFrames(const CaptureOptions& options, CaptureFile& checksums, CaptureResult& result,
                  std::string& reason)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    const bool summing = !options.checksumsPath.empty();
    FramePipeline frames;
    framePipelineStart(frames, scene, summing ? 1 : framePipelineThreads());
    ChecksumRing ring;
    checksumRingStart(ring, summing ? std::min(coresAvailable(), kMaxSummingThreads) : 1);
    std::chrono::steady_clock::duration pipeline{};
    const bool rendered = captureFrames(options, frames, ring, checksums, pipeline, reason);
    checksumRingStop(ring);
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
