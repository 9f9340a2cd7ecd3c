// The integer rasterizer: clears the frame, fills flat and Gouraud spans and
// shaded triangles into a 640x480 buffer of 0x00RRGGBB words, row 0 at the top,
// pixel (x, y) at y * 640 + x. Positions and channels run in 16.16 fixed point.
// Any coordinates are accepted: rows and columns off the screen are cut off, so
// no write ever leaves the 307200 words.
#pragma once

#include "conventions.h"

#include <algorithm>
#include <cstdint>
#include <utility>

// The frame covers the screen the demo takes.
constexpr int32_t kFrameWidth = kScreenWidth;
constexpr int32_t kFrameHeight = kScreenHeight;
constexpr int32_t kFramePixels = kFrameWidth * kFrameHeight;
constexpr int32_t kRasterLastColumn = kFrameWidth - 1;
constexpr int32_t kRasterLastRow = kFrameHeight - 1;
constexpr uint32_t kRasterChannelMask = 0xFFu;

// Every function below writes through `pixels`, which must point at
// kFramePixels words.
void clearFrame(uint32_t* pixels);
void fillSpanFlat(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, uint32_t colour);
// Channel arguments are 16.16; each colour stays with its end when x1 > x2. A
// span cut at a screen edge keeps the gradient it has across its full length.
void fillSpanShaded(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2, int32_t red1,
                    int32_t red2, int32_t green1, int32_t green2, int32_t blue1, int32_t blue2);
// Colours are packed 0x00RRGGBB with a zero top byte.
void fillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        int32_t x3, int32_t y3, uint32_t colour1, uint32_t colour2,
                        uint32_t colour3);

// Filling a triangle in two steps, for callers that set it up once and fill
// its rows in bands (of one frame, perhaps on several threads): every row is
// computed from the corners alone, so a band fills exactly the pixels that
// fillTriangleShaded gives on its rows.

// A corner with its colour as integer channels, 0..255 each.
struct RasterCorner {
    int32_t x, y;
    int32_t red, green, blue;
};

// The corners in the order the rows are filled: by row, with equal rows in
// the order fillTriangleShaded's exchanges leave them.
struct RowOrderedTriangle {
    RasterCorner top, middle, bottom;
};

// Rows first..last, both in 0..479.
struct RowBand {
    int32_t first, last;
};

constexpr RowBand kAllRows = {0, kFrameHeight - 1};

// The top byte of a colour is ignored: callers pass 0x00RRGGBB.
inline RasterCorner rasterCorner(int32_t x, int32_t y, uint32_t colour)
{
    return RasterCorner{x, y, static_cast<int32_t>((colour >> 16) & kRasterChannelMask),
                        static_cast<int32_t>((colour >> 8) & kRasterChannelMask),
                        static_cast<int32_t>(colour & kRasterChannelMask)};
}

// Inline, since drawing calls them for every face of every frame. The three
// exchanges move corner numbers, by masks rather than branches: the faces come
// in depth order, which says nothing about the order of their rows.
inline RowOrderedTriangle orderTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                        int32_t x3, int32_t y3, uint32_t colour1,
                                        uint32_t colour2, uint32_t colour3)
{
    const int32_t x[3] = {x1, x2, x3};
    const int32_t y[3] = {y1, y2, y3};
    const uint32_t colour[3] = {colour1, colour2, colour3};
    // a when the condition holds, else b.
    const auto pick = [](bool condition, int32_t a, int32_t b) {
        return b ^ ((a ^ b) & -static_cast<int32_t>(condition));
    };
    // Strict comparisons in this order decide where equal rows end up.
    const bool first = y2 < y1;
    int32_t top = first ? 1 : 0;
    const int32_t middle = 1 - top;
    const bool second = y3 < pick(first, y2, y1);
    const int32_t bottom = pick(second, top, 2);
    top = pick(second, 2, top);
    const bool third = y[bottom] < y[middle];
    const int32_t lower = pick(third, middle, bottom);
    const int32_t upper = pick(third, bottom, middle);
    return RowOrderedTriangle{rasterCorner(x[top], y[top], colour[top]),
                              rasterCorner(x[upper], y[upper], colour[upper]),
                              rasterCorner(x[lower], y[lower], colour[lower])};
}

// False when no pixel of the triangle can land on the screen: it lies wholly
// above, below, left or right of it (a side never leaves its edge's columns).
inline bool triangleReachesScreen(const RowOrderedTriangle& t)
{
    const int32_t left = std::min({t.top.x, t.middle.x, t.bottom.x});
    const int32_t right = std::max({t.top.x, t.middle.x, t.bottom.x});
    // Not short-circuited: one test, not four branches on random outcomes.
    return (t.bottom.y >= 0) & (t.top.y <= kRasterLastRow) & (left <= kRasterLastColumn) &
           (right >= 0);
}
// Fills triangles[order[0]], ..., triangles[order[count - 1]] in that order,
// their rows within band only.
void fillOrderedTriangles(uint32_t* pixels, const RowOrderedTriangle* triangles,
                          const uint32_t* order, int32_t count, RowBand band);
// Rows of band become 0.
void clearRows(uint32_t* pixels, RowBand band);
