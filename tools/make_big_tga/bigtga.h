// A small file that declares a huge texture: a run-length-encoded TGA with
// 8-bit indices into a 24-bit palette, every packet a run of 128 pixels, so a
// 16384x16384 image takes 4 MB on disk and 768 MB once decoded. The picture
// is diagonal bands of colour, so every mipmap level has something to average.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kBigTgaRun = 128;  // the longest packet the format has

// width must be a multiple of kBigTgaRun; both sides 1..65535.
std::vector<uint8_t> bigTgaEncode(int width, int height);
