// What the GL demo's picture tests look at: two renderings compared pixel by
// pixel, and the features that make a frame the demo's (the tube's share of
// the screen, its colour, the white highlight). Pixels are 0x00RRGGBB, row 0
// at the top, as the capture tools write them and the X screenshots read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

// An 8-bit RGB or RGBA PNG; false when unreadable.
bool pictureLoadPng(const std::string& path, Picture& picture);

// Each factor x factor block averaged into one pixel (rounded to nearest),
// for references small enough to commit; a remainder of rows or columns is left out.
Picture pictureShrink(const Picture& picture, int factor);

// What two renderings of one frame agree to, whatever the rasterizer: the
// share of pixels whose every channel lies within the levels.
inline constexpr int kPictureLevels = 12;
inline constexpr double kPictureShareWithin = 0.995;

struct PictureDiff {
    double shareWithin = 0.0;  // pixels whose every channel differs by at most the tolerance
    double meanError = 0.0;    // mean absolute difference over all channels, in levels
    int maxError = 0;
};

// Pictures of different sizes compare as nothing within and the largest error.
PictureDiff pictureCompare(const Picture& a, const Picture& b, int tolerance);

struct PictureLook {
    double litShare = 0.0;         // pixels brighter than the black background
    uint32_t tubeColor = 0;        // mean of lit pixels outside the highlight
    size_t highlightPixels = 0;    // near-white pixels
};

PictureLook pictureLook(const Picture& picture);

std::string describeDiff(const PictureDiff& diff);
