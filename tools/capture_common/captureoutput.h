// What the capture tools write: checksum lines, frames as DIR/frame_NNNNNN.png
// (8-bit RGB, from 0x00RRGGBB pixels, row 0 at the top), the closing summary
// line, and their checks that standard output can take it.
#pragma once

#include "capturefile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// 64-bit FNV-1a of count 32-bit words, each taken as its four little-endian
// bytes, first word first: equal data give equal checksums on every platform,
// so builds can be compared frame by frame without saving what they made.
uint64_t captureChecksum(const uint32_t* words, size_t count);

// "frame_000090 " and the checksum as 16 lowercase hex digits, no line break.
std::string captureChecksumLine(int32_t frame, uint64_t checksum);

// Writes frame's checksum line and its line break to a checksums file as
// the frame is made, so a run of any length holds none of it in memory.
bool captureFileWriteChecksum(CaptureFile& file, int32_t frame, uint64_t checksum,
                              std::string& reason);

// "frame_000090.png" for frame 90.
std::string captureFileName(int32_t frame);

// Writes width x height pixels as an 8-bit RGB PNG, whole, as captureWriteFile.
bool captureWritePng(const std::string& path, const uint32_t* pixels, int width, int height,
                     std::string& reason);

// The exit statuses of the capture tools (0 is success).
inline constexpr int kCaptureExitFailed = 1;
inline constexpr int kCaptureExitBadArguments = 2;

enum class CaptureStatus {
    done,
    badInput,  // bad arguments, or an input or output directory that cannot be used
    failed,    // anything else: a frame or file that cannot be written, no GL
};

// What a run reports for the summary line.
struct CaptureSummary {
    int32_t frames = 0;
    double renderMs = 0.0;  // the frames alone
};

// Parses args (the program name excluded), prepares and runs.
using CaptureRunFunction = CaptureStatus (*)(const std::vector<std::string>& args,
                                             CaptureSummary& summary, std::string& reason);

// A capture tool's main: a write past a file-size limit fails with EFBIG
// instead of a signal, a closed standard output fails, --help prints usage and
// --version "TOOL VERSION", then run. A failure prints "TOOL: REASON" on
// standard error, with the usage after a bad input; the status is 0,
// kCaptureExitBadArguments for a bad input, kCaptureExitFailed when the run
// fails or the summary cannot be written.
int captureMain(int argc, char** argv, const char* tool, const char* usage,
                CaptureRunFunction run);
