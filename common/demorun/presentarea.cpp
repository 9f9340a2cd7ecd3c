// Letterboxing in whole pixels, by integer arithmetic only.
#include "presentarea.h"

#include <algorithm>

namespace {

PresentArea centred(int32_t outputWidth, int32_t outputHeight, int64_t width, int64_t height)
{
    const auto w = static_cast<int32_t>(width);
    const auto h = static_cast<int32_t>(height);
    return PresentArea{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

}  // namespace

PresentArea presentAreaFit(int32_t outputWidth, int32_t outputHeight, int32_t frameWidth,
                           int32_t frameHeight, bool wholeMultiples)
{
    if (outputWidth < 1 || outputHeight < 1 || frameWidth < 1 || frameHeight < 1) {
        return PresentArea{};
    }
    const int32_t factor = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
    if (wholeMultiples && factor >= 1) {
        return centred(outputWidth, outputHeight, int64_t{frameWidth} * factor,
                       int64_t{frameHeight} * factor);
    }
    // Compared as products, so that no rounding decides which side limits.
    const int64_t wideOutput = int64_t{outputWidth} * frameHeight;
    const int64_t tallOutput = int64_t{outputHeight} * frameWidth;
    if (wideOutput >= tallOutput) {
        return centred(outputWidth, outputHeight, tallOutput / frameHeight, outputHeight);
    }
    return centred(outputWidth, outputHeight, outputWidth, wideOutput / frameWidth);
}

int32_t windowScaleFor(int32_t areaWidth, int32_t areaHeight, int32_t frameWidth,
                       int32_t frameHeight)
{
    if (frameWidth < 1 || frameHeight < 1) {
        return 1;
    }
    return std::max(1, std::min(areaWidth / frameWidth, areaHeight / frameHeight));
}
