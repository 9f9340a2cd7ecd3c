// The portable half of the integer rasterizer: clearing, flat spans, and the
// checks and corner order in front of the shaded kernels (raster_kernels.h).
// Channels run in 16.16 fixed point.
#include "raster.h"

#include "raster_kernels.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>

void clearFrame(uint32_t* pixels)
{
    std::memset(pixels, 0, sizeof(uint32_t) * kFramePixels);
}

void clearRows(uint32_t* pixels, RowBand band)
{
    assert(band.first >= 0 && band.first <= band.last && band.last <= kRasterLastRow);
    std::memset(pixels + static_cast<ptrdiff_t>(band.first) * kFrameWidth, 0,
                sizeof(uint32_t) * kFrameWidth * (band.last - band.first + 1));
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

void fillOrderedTriangles(uint32_t* pixels, const RowOrderedTriangle* triangles,
                          const uint32_t* order, int32_t count, RowBand band)
{
    assert(band.first >= 0 && band.first <= band.last && band.last <= kRasterLastRow);
    rasterKernelTriangles(pixels, triangles, order, count, band);
}

void fillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        int32_t x3, int32_t y3, uint32_t colour1, uint32_t colour2,
                        uint32_t colour3)
{
    const RowOrderedTriangle t = orderTriangle(x1, y1, x2, y2, x3, y3, colour1, colour2, colour3);
    const uint32_t only = 0;
    rasterKernelTriangles(pixels, &t, &only, 1, kAllRows);
}
