// The headless frame capture of the software demo: argument parsing, frame
// checksums and the run itself, over the capture tools' shared rules and
// output (captureargs.h, captureoutput.h). Frames are numbered as the frame
// loop counts them (the first frame drawn is 1); files are
// DIR/frame_NNNNNN.png, 640x480 RGB. Every failure is reported as a one-line
// reason; the caller prints the usage.
#pragma once

#include "captureargs.h"
#include "captureoutput.h"

#include <cstdint>
#include <string>
#include <vector>

struct CaptureOptions {
    int32_t startSpin = 0;              // 0..359
    int32_t frames = 0;                 // >= 1
    std::vector<int32_t> saveFrames;    // ascending, no repeats, each in 1..frames
    std::string outDir = ".";
    std::string checksumsPath;          // empty: no checksum file
};

extern const char* const kCaptureUsage;

// args excludes the program name. On failure returns false with a reason.
// The checksums file must not be one of the saved frames' files.
bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason);

struct CaptureResult {
    double pipelineMs;  // frame pipeline alone, PNG writing excluded
};

// Start-up with the given spin and no random numbers, then frames 1..frames,
// saving the listed ones; on a terminal, progress on standard error. A frame
// that cannot be saved ends the run: the reason starts "frame N: ", and the
// frames saved before it stay. With a checksums path, one line per frame goes
// to that file, in frame order, as the frames are summed (on every core, a few
// frames behind the rendering); like a frame, the file appears under
// its name only once all of it is written (a device or pipe gets each line
// as it comes).
// The options must have passed captureParseArgs.
bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason);
