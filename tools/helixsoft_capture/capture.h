// The headless frame capture of the software demo: argument parsing, PNG
// output and the run itself. Frames are numbered as the frame loop counts them
// (the first frame drawn is 1); files are DIR/frame_NNNNNN.png, 640x480 RGB.
// Every failure is reported as a one-line reason; the caller prints the usage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct CaptureOptions {
    int32_t startSpin = 0;              // 0..359
    int32_t frames = 0;                 // >= 1
    std::vector<int32_t> saveFrames;    // ascending, no repeats, each in 1..frames
    std::string outDir = ".";
};

extern const char* const kCaptureUsage;

// args excludes the program name. On failure returns false with a reason.
bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason);

// True when --help stands where an option's name goes.
bool captureWantsHelp(const std::vector<std::string>& args);

// A value from the command line as messages quote it: in single quotes, cut
// in the middle when long, control characters as '?', so it stays one line.
std::string captureShown(const std::string& value);

// Writes text to stream and flushes it; false with the system's reason when
// any of it could not be written (a full disk, a closed or broken output).
bool capturePrint(std::FILE* stream, const std::string& text, std::string& reason);

// False with the reason when standard output is closed: the summary would be
// lost, and the next file the tool opens would take its place.
bool captureStdoutOpen(std::string& reason);

// "frame_000090.png" for frame 90.
std::string captureFileName(int32_t frame);

// Creates dir if missing and proves that a file can be written there.
bool capturePrepareDir(const std::string& dir, std::string& reason);

// Writes 640x480 0x00RRGGBB pixels as an 8-bit RGB PNG, through a temporary
// file renamed into place once all of it is written and closed, so a failed
// write leaves no file behind; the reason names the path and the system's error.
bool captureWritePng(const std::string& path, const uint32_t* pixels, std::string& reason);

struct CaptureResult {
    double pipelineMs;  // frame pipeline alone, PNG writing excluded
};

// Start-up with the given spin and no random numbers, then frames 1..frames,
// saving the listed ones; on a terminal, progress on standard error. A frame
// that cannot be saved ends the run: the reason starts "frame N: ", and the
// frames saved before it stay. The options must have passed captureParseArgs.
bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason);

// "rendered N frames in T ms (F frames/s)"
std::string captureSummary(int32_t frames, double pipelineMs);
