// Picture statistics for the GL demo's tests, over plain 0x00RRGGBB pixels.
#include "picture_checks.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t kLitThreshold = 24;        // channel sum above this is not background
constexpr int kHighlightLevel = 235;          // every channel at least this is the highlight

int channel(uint32_t pixel, int index)
{
    return static_cast<int>((pixel >> (16 - 8 * index)) & 0xFF);
}

}  // namespace

bool pictureLoadPng(const std::string& path, Picture& picture)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (data == nullptr) {
        return false;
    }
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(size_t(width) * size_t(height));
    for (size_t i = 0; i < picture.rgb.size(); ++i) {
        picture.rgb[i] = uint32_t(data[3 * i]) << 16 | uint32_t(data[3 * i + 1]) << 8 |
                         data[3 * i + 2];
    }
    stbi_image_free(data);
    return true;
}

Picture pictureShrink(const Picture& picture, int factor)
{
    Picture small{picture.width / factor, picture.height / factor, {}};
    small.rgb.resize(size_t(small.width) * size_t(small.height));
    const int area = factor * factor;
    for (size_t i = 0; i < small.rgb.size(); ++i) {
        const size_t corner = i / size_t(small.width) * size_t(factor * picture.width) +
                              i % size_t(small.width) * size_t(factor);
        for (int c = 0; c < 3; ++c) {
            int sum = area / 2;  // rounds to nearest
            for (int k = 0; k < area; ++k) {
                const size_t offset = size_t(k / factor * picture.width + k % factor);
                sum += channel(picture.rgb[corner + offset], c);
            }
            small.rgb[i] |= uint32_t(sum / area) << (16 - 8 * c);
        }
    }
    return small;
}

PictureDiff pictureCompare(const Picture& a, const Picture& b, int tolerance)
{
    PictureDiff diff;
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) {
        diff.maxError = 255;
        diff.meanError = 255.0;
        return diff;
    }
    size_t within = 0;
    uint64_t total = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(channel(a.rgb[i], c) - channel(b.rgb[i], c));
            worst = std::max(worst, d);
            total += static_cast<uint64_t>(d);
        }
        within += worst <= tolerance ? 1 : 0;
        diff.maxError = std::max(diff.maxError, worst);
    }
    diff.shareWithin = double(within) / double(a.rgb.size());
    diff.meanError = double(total) / (3.0 * double(a.rgb.size()));
    return diff;
}

PictureLook pictureLook(const Picture& picture)
{
    PictureLook look;
    size_t lit = 0;
    size_t tube = 0;
    uint64_t sums[3] = {0, 0, 0};
    for (const uint32_t p : picture.rgb) {
        const int r = channel(p, 0);
        const int g = channel(p, 1);
        const int b = channel(p, 2);
        if (uint32_t(r + g + b) <= kLitThreshold) {
            continue;
        }
        ++lit;
        if (std::min({r, g, b}) >= kHighlightLevel) {
            ++look.highlightPixels;
            continue;
        }
        ++tube;
        sums[0] += uint64_t(r);
        sums[1] += uint64_t(g);
        sums[2] += uint64_t(b);
    }
    look.litShare = picture.rgb.empty() ? 0.0 : double(lit) / double(picture.rgb.size());
    if (tube > 0) {
        look.tubeColor = uint32_t(sums[0] / tube) << 16 | uint32_t(sums[1] / tube) << 8 |
                         uint32_t(sums[2] / tube);
    }
    return look;
}

std::string describeDiff(const PictureDiff& diff)
{
    char text[128];
    std::snprintf(text, sizeof text, "%.4f%% within, mean error %.3f, max %d",
                  100.0 * diff.shareWithin, diff.meanError, diff.maxError);
    return text;
}
