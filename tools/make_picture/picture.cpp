// Cutting and scaling a frame into a picture; the filter is stb_image_resize's.
#include "picture.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstddef>

namespace {

constexpr int kChannels = 3;

}  // namespace

PictureBox pictureMiddleBox(int width, int height, int outWidth, int outHeight)
{
    // The full width if that keeps the shape within the height, else the full height.
    int boxWidth = width;
    int boxHeight = int(int64_t(width) * outHeight / outWidth);
    if (boxHeight > height) {
        boxHeight = height;
        boxWidth = int(int64_t(height) * outWidth / outHeight);
    }
    boxWidth = std::max(boxWidth, 1);
    boxHeight = std::max(boxHeight, 1);
    return PictureBox{(width - boxWidth) / 2, (height - boxHeight) / 2, boxWidth, boxHeight};
}

PictureImage pictureCutAndScale(const PictureImage& image, const PictureBox& box, int outWidth,
                                int outHeight)
{
    std::vector<unsigned char> rgb(size_t(box.width) * size_t(box.height) * kChannels);
    for (int y = 0; y < box.height; ++y) {
        const uint32_t* row = &image.pixels[size_t(box.y + y) * size_t(image.width) + box.x];
        for (int x = 0; x < box.width; ++x) {
            unsigned char* out = &rgb[(size_t(y) * size_t(box.width) + x) * kChannels];
            out[0] = static_cast<unsigned char>(row[x] >> 16);
            out[1] = static_cast<unsigned char>(row[x] >> 8);
            out[2] = static_cast<unsigned char>(row[x]);
        }
    }
    std::vector<unsigned char> scaled(size_t(outWidth) * size_t(outHeight) * kChannels);
    stbir_resize_uint8_srgb(rgb.data(), box.width, box.height, 0, scaled.data(), outWidth,
                            outHeight, 0, kChannels, STBIR_ALPHA_CHANNEL_NONE, 0);
    PictureImage out{outWidth, outHeight, std::vector<uint32_t>(size_t(outWidth) * outHeight)};
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        out.pixels[i] = uint32_t(scaled[i * kChannels]) << 16 |
                        uint32_t(scaled[i * kChannels + 1]) << 8 | scaled[i * kChannels + 2];
    }
    return out;
}
