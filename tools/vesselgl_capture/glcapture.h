// The headless capture of the GL demo: argument parsing and the run. Frames
// are numbered as the demo's frame loop counts them (the first drawn is 1);
// files are DIR/frame_NNNNNN.png, 640x480 RGB. Failures give a one-line reason.
#pragma once

#include "captureoutput.h"

#include <cstdint>
#include <string>
#include <vector>

struct GlCaptureOptions {
    int32_t frames = 0;               // >= 1
    std::vector<int32_t> saveFrames;  // ascending, no repeats, in 1..frames; default {frames}
    std::string outDir = ".";
    std::string texturePath;          // "": artery.tga where the demo finds it (texturefind.h)
};

extern const char* const kGlCaptureUsage;

// args excludes the program name.
bool glCaptureParseArgs(const std::vector<std::string>& args, GlCaptureOptions& options,
                        std::string& reason);

// Start-up exactly as the program's, then the output directory (created only
// once the texture has loaded), then frames 1..frames, saving the listed
// ones; on a terminal, progress on standard error. A frame that cannot be
// saved ends the run: the reason starts "frame N: ", and the frames saved
// before it stay. renderMs times the frames alone (the GL finished). badInput
// is an unusable texture or output directory (nothing was written); failed,
// no off-screen GL or a frame that could not be saved.
CaptureStatus glCaptureRun(const GlCaptureOptions& options, double& renderMs,
                           std::string& reason);
