// What the capture tools write: frames as DIR/frame_NNNNNN.png (8-bit RGB,
// from 0x00RRGGBB pixels, row 0 at the top) and the closing summary line.
#pragma once

#include <cstdint>
#include <string>

// "frame_000090.png" for frame 90.
std::string captureFileName(int32_t frame);

// Creates dir if missing and proves that a file can be written there.
bool capturePrepareDir(const std::string& dir, std::string& reason);

// Writes width x height pixels as an 8-bit RGB PNG through a temporary file
// renamed into place: a file with the final name is always complete, and a
// failed write leaves no file behind.
bool captureWritePng(const std::string& path, const uint32_t* pixels, int width, int height,
                     std::string& reason);

// "rendered N frames in T ms (F frames/s)"
std::string captureSummary(int32_t frames, double renderMs);
