// The portable half of the integer rasterizer: clearing, flat spans, and the
// checks and corner order in front of the shaded kernels (raster_kernels.h).
// Channels run in 16.16 fixed point.
#include "raster.h"

#include "raster_kernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

// The top byte is ignored: callers pass 0x00RRGGBB.
Corner makeCorner(int32_t x, int32_t y, uint32_t colour)
{
    return Corner{x, y, static_cast<int32_t>((colour >> 16) & kRasterChannelMask),
                  static_cast<int32_t>((colour >> 8) & kRasterChannelMask),
                  static_cast<int32_t>(colour & kRasterChannelMask)};
}

} // namespace

void clearFrame(uint32_t* pixels)
{
    std::memset(pixels, 0, sizeof(uint32_t) * kFramePixels);
}

void fillSpanFlat(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, uint32_t colour)
{
    if (y < 0 || y > kRasterLastRow) {
        return;
    }
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (x1 > kRasterLastColumn || x2 < 0) {
        return;
    }
    x1 = std::max(x1, 0);
    x2 = std::min(x2, kRasterLastColumn);
    std::fill_n(pixels + static_cast<ptrdiff_t>(y) * kFrameWidth + x1, x2 - x1 + 1, colour);
}

void fillSpanShaded(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, int32_t red1,
                    int32_t red2, int32_t green1, int32_t green2, int32_t blue1, int32_t blue2)
{
    if (y < 0 || y > kRasterLastRow) {
        return;
    }
    uint32_t* row = pixels + static_cast<ptrdiff_t>(y) * kFrameWidth;
    rasterKernelSpanRow(row, SpanEnds{x1, x2, red1, red2, green1, green2, blue1, blue2});
}

void fillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        int32_t x3, int32_t y3, uint32_t colour1, uint32_t colour2,
                        uint32_t colour3)
{
    TriangleSetup t{makeCorner(x1, y1, colour1), makeCorner(x2, y2, colour2),
                    makeCorner(x3, y3, colour3), {}, {}, {}};
    // Strict comparisons in this order decide where equal rows end up.
    if (t.middle.y < t.top.y) {
        std::swap(t.top, t.middle);
    }
    if (t.bottom.y < t.top.y) {
        std::swap(t.top, t.bottom);
    }
    if (t.bottom.y < t.middle.y) {
        std::swap(t.middle, t.bottom);
    }
    rasterKernelTriangle(pixels, t);
}
