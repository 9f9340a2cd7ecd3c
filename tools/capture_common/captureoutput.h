// What the capture tools write: checksum lines, frames as DIR/frame_NNNNNN.png
// (8-bit RGB, from 0x00RRGGBB pixels, row 0 at the top), the closing summary
// line, and their checks that standard output can take it.
#pragma once

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

// "frame_000090.png" for frame 90.
std::string captureFileName(int32_t frame);

// Creates dir if missing and proves that a file can be written there.
bool capturePrepareDir(const std::string& dir, std::string& reason);

// Writes bytes to path through a temporary file renamed into place once all
// of it is written and closed, so a file with the final name is always
// complete and a failed write leaves no file behind; the reason names the
// path and the system's error.
bool captureWriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& reason);

// Writes width x height pixels as an 8-bit RGB PNG, whole, as captureWriteFile.
bool captureWritePng(const std::string& path, const uint32_t* pixels, int width, int height,
                     std::string& reason);

// The exit statuses of the capture tools (0 is success).
inline constexpr int kCaptureExitFailed = 1;
inline constexpr int kCaptureExitBadArguments = 2;

// What every capture tool does before parsing: a write past a file-size limit
// fails with EFBIG instead of a signal, a closed standard output fails,
// --help prints usage and --version "TOOL VERSION". False when the tool is to
// end at once with status.
bool captureStart(const char* tool, const char* usage, const std::vector<std::string>& args,
                  int& status);

// "TOOL: REASON" on standard error, followed by usage unless it is nullptr;
// the status is kCaptureExitBadArguments with the usage, else kCaptureExitFailed.
int captureFailed(const char* tool, const std::string& reason, const char* usage);

// Prints the summary line: 0, or kCaptureExitFailed when it cannot be written.
int captureFinish(const char* tool, int32_t frames, double renderMs);
