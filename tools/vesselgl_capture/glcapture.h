// The headless capture of the GL demo: argument parsing and the run. Frames
// are numbered as the demo's frame loop counts them (the first drawn is 1);
// files are DIR/frame_NNNNNN.png, 640x480 RGB. Failures give a one-line reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GlCaptureOptions {
    int32_t frames = 0;               // >= 1
    std::vector<int32_t> saveFrames;  // ascending, no repeats, in 1..frames; default {frames}
    std::string outDir = ".";
    std::string texturePath = "artery.tga";
};

extern const char* const kGlCaptureUsage;

// args excludes the program name.
bool glCaptureParseArgs(const std::vector<std::string>& args, GlCaptureOptions& options,
                        std::string& reason);

enum class GlCaptureStatus {
    done,
    badInput,  // unusable texture, or an output directory or frame that cannot be written
    noGL,      // no off-screen context, or the GL path cannot start
};

// Start-up exactly as the program's, then the output directory (created only
// once the texture has loaded), then frames 1..frames, saving the listed
// ones. renderMs times the frames alone (the GL finished), not the files.
GlCaptureStatus glCaptureRun(const GlCaptureOptions& options, double& renderMs,
                             std::string& reason);
