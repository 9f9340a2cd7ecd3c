// Where a frame goes on a larger (or smaller) output: the demos' 4:3 picture
// centred with black bars, and the size a window opens at. Sizes in pixels.
#pragma once

#include <cstdint>

struct PresentArea {
    int32_t x = 0;  // from the output's left edge
    int32_t y = 0;  // from its top edge
    int32_t width = 0;
    int32_t height = 0;
};

// The largest area of the frame's shape that fits output, centred (odd
// margins leave the extra pixel on the right and at the bottom). With
// wholeMultiples the frame is scaled by the largest whole factor that fits,
// where one does (pixels stay square blocks); otherwise the area fills the
// output's width or height, rounded down. An empty output or frame gives an
// empty area.
PresentArea presentAreaFit(int32_t outputWidth, int32_t outputHeight, int32_t frameWidth,
                           int32_t frameHeight, bool wholeMultiples);

// The largest whole factor by which the frame fits into the area, at least 1.
int32_t windowScaleFor(int32_t areaWidth, int32_t areaHeight, int32_t frameWidth,
                       int32_t frameHeight);
