// The rasterizer's records and row loops. The loops are templates over a span
// kernel type with a static run(SpanRun), so that each instruction set's copy
// of the kernels compiles them with its own span loop inlined. Values are 16.16
// fixed point; span values run in wrapping 32-bit lanes (every value a span
// reaches lies between its ends).
#pragma once

#include "divide.h"
#include "raster.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

constexpr int kRasterFixedShift = 16;
constexpr int64_t kRasterFixedOne = int64_t{1} << kRasterFixedShift;

// One shaded run of pixels: running 16.16 red, green, blue and their steps,
// kept as wrapping 32-bit words.
struct SpanRun {
    uint32_t* out;
    int32_t count;
    uint32_t red, green, blue;
    uint32_t redStep, greenStep, blueStep;
};

// A shaded span as its caller gives it: columns and 16.16 channels per end.
struct SpanEnds {
    int32_t x1, x2;
    int32_t red1, red2, green1, green2, blue1, blue2;
};

// Per-row 16.16 slopes of one edge; x in 64 bits, since far-off columns exceed
// the 32-bit 16.16 range.
struct EdgeSlopes {
    int64_t x;
    int64_t red, green, blue;
};

// Running 16.16 values of one side of the triangle.
struct SideValues {
    int64_t x;
    int64_t red, green, blue;
};

// The triangle after its corners are ordered by row, with its three edges.
struct TriangleSetup {
    RasterCorner top, middle, bottom;
    EdgeSlopes upper, lower, longEdge;
};

inline TriangleSetup triangleSetup(const RowOrderedTriangle& t)
{
    return TriangleSetup{t.top, t.middle, t.bottom, {}, {}, {}};
}

// The per-pixel step over the span's full length, truncating toward zero, and
// the running value after the columns cut off on the left. Both stay between
// the two end values, so they fit the 32-bit running word.
[[gnu::always_inline]] inline void spanChannel(int32_t start, int32_t end, int64_t fullLength,
                                               int64_t cutLeft, uint32_t& value, uint32_t& step)
{
    const int64_t perPixel = divideTruncating(static_cast<int64_t>(end) - start, fullLength);
    value = static_cast<uint32_t>(start + cutLeft * perPixel);
    step = static_cast<uint32_t>(perPixel);
}

// Exchange, rejection and cut of a shaded span on one row; false when no column
// of it is on the screen. An uncut span has fullLength = n and cutLeft = 0: the
// plain gradient.
[[gnu::always_inline]] inline bool prepareSpan(uint32_t* row, SpanEnds e, SpanRun& run)
{
    if (e.x1 > e.x2) {
        std::swap(e.x1, e.x2);
        std::swap(e.red1, e.red2);
        std::swap(e.green1, e.green2);
        std::swap(e.blue1, e.blue2);
    }
    if (e.x1 > kRasterLastColumn || e.x2 < 0) {
        return false;
    }
    const int64_t fullLength = static_cast<int64_t>(e.x2) - e.x1 + 1;
    const int64_t cutLeft = e.x1 < 0 ? -static_cast<int64_t>(e.x1) : 0;
    const int32_t left = std::max(e.x1, 0);
    const int32_t right = std::min(e.x2, kRasterLastColumn);
    run.out = row + left;
    run.count = right - left + 1;
    spanChannel(e.red1, e.red2, fullLength, cutLeft, run.red, run.redStep);
    spanChannel(e.green1, e.green2, fullLength, cutLeft, run.green, run.greenStep);
    spanChannel(e.blue1, e.blue2, fullLength, cutLeft, run.blue, run.blueStep);
    return true;
}

template <typename Kernel>
[[gnu::always_inline]] inline void fillSpanRow(uint32_t* row, const SpanEnds& ends)
{
    SpanRun run;
    if (!prepareSpan(row, ends, run)) {
        return;
    }
    Kernel::run(run);
}

// No division by zero here: an edge of zero height has zero slopes.
inline EdgeSlopes edgeSlopes(const RasterCorner& from, const RasterCorner& to)
{
    const int64_t height = static_cast<int64_t>(to.y) - from.y;
    if (height == 0) {
        return EdgeSlopes{0, 0, 0, 0};
    }
    const auto slope = [height](int32_t from, int32_t to) {
        return divideTruncating((static_cast<int64_t>(to) - from) * kRasterFixedOne, height);
    };
    return EdgeSlopes{slope(from.x, to.x), slope(from.red, to.red), slope(from.green, to.green),
                      slope(from.blue, to.blue)};
}

// Corners already ordered by row.
inline void setTriangleEdges(TriangleSetup& t)
{
    t.upper = edgeSlopes(t.top, t.middle);
    t.lower = edgeSlopes(t.middle, t.bottom);
    t.longEdge = edgeSlopes(t.top, t.bottom);
}

// The side's values `rows` rows below the corner it starts at: exactly what
// adding the slopes row by row reaches, and never beyond the edge's far end.
[[gnu::always_inline]] inline SideValues sideAt(const RasterCorner& start, const EdgeSlopes& slopes,
                                                int64_t rows)
{
    return SideValues{start.x * kRasterFixedOne + slopes.x * rows,
                      start.red * kRasterFixedOne + slopes.red * rows,
                      start.green * kRasterFixedOne + slopes.green * rows,
                      start.blue * kRasterFixedOne + slopes.blue * rows};
}

[[gnu::always_inline]] inline void advanceSide(SideValues& side, const EdgeSlopes& slopes)
{
    side.x += slopes.x;
    side.red += slopes.red;
    side.green += slopes.green;
    side.blue += slopes.blue;
}

// One half of a triangle: rows first..last, side A from cornerA along slopesA,
// side B from cornerB (the top corner) along slopesB (the long edge).
struct TriangleHalf {
    int64_t first, last;
    RasterCorner cornerA;
    EdgeSlopes slopesA;
    RasterCorner cornerB;
    EdgeSlopes slopesB;
};

// The middle row belongs to the lower half, where side A restarts exactly at
// the middle corner and side B goes on along the long edge.
inline std::array<TriangleHalf, 2> triangleHalves(const TriangleSetup& t)
{
    return {TriangleHalf{t.top.y, static_cast<int64_t>(t.middle.y) - 1, t.top, t.upper, t.top,
                         t.longEdge},
            TriangleHalf{t.middle.y, t.bottom.y, t.middle, t.lower, t.top, t.longEdge}};
}

// The half's rows that are in the band, as top..bottom; false when none are.
[[gnu::always_inline]] inline bool rowsInBand(const TriangleHalf& half, RowBand band,
                                              int64_t& top, int64_t& bottom)
{
    top = std::max<int64_t>(half.first, band.first);
    bottom = std::min<int64_t>(half.last, band.last);
    return top <= bottom;
}

// Draws one half's rows within the band. Rows outside it are skipped without
// a visit, which reaches the same values as visiting them. Columns are the
// integer parts of the sides, between the edges' end columns, so they fit 32 bits.
template <typename Kernel>
[[gnu::always_inline]] inline void fillHalf(uint32_t* pixels, const TriangleHalf& half,
                                            RowBand band)
{
    int64_t top = 0;
    int64_t bottom = 0;
    if (!rowsInBand(half, band, top, bottom)) {
        return;
    }
    SideValues a = sideAt(half.cornerA, half.slopesA, top - half.cornerA.y);
    SideValues b = sideAt(half.cornerB, half.slopesB, top - half.cornerB.y);
    uint32_t* row = pixels + top * kFrameWidth;
    for (int64_t y = top; y <= bottom; ++y, row += kFrameWidth) {
        const SpanEnds ends{static_cast<int32_t>(a.x >> kRasterFixedShift),
                            static_cast<int32_t>(b.x >> kRasterFixedShift),
                            static_cast<int32_t>(a.red),
                            static_cast<int32_t>(b.red),
                            static_cast<int32_t>(a.green),
                            static_cast<int32_t>(b.green),
                            static_cast<int32_t>(a.blue),
                            static_cast<int32_t>(b.blue)};
        fillSpanRow<Kernel>(row, ends);
        advanceSide(a, half.slopesA);
        advanceSide(b, half.slopesB);
    }
}

template <typename Kernel>
[[gnu::always_inline]] inline void fillTriangleRows(uint32_t* pixels, const TriangleSetup& t,
                                                    RowBand band)
{
    for (const TriangleHalf& half : triangleHalves(t)) {
        fillHalf<Kernel>(pixels, half, band);
    }
}
