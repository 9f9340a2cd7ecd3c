// The shaded span and triangle kernels, written once in Highway and compiled
// for each instruction set below; all give exactly the pixels of the plain
// row-by-row rules. A span runs as many pixels per step as a vector has lanes.
// Triangles near the screen (every triangle of the demo's frames) also set up
// as many rows at once, one row per lane.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster_kernels.cpp"
// The 128-bit instruction sets come within 10% of the portable fallback (SSSE3
// even lacks the 32-bit multiply, minimum and blend the set-up needs), so on
// x86 AVX2, AVX-512 and the fallback are built.
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS (HWY_SSSE3 | HWY_SSE4)
#endif
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#include "raster_kernels.h"

#include <algorithm>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace raster_kernels {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using PixelTag = hn::ScalableTag<uint32_t>;
using PixelVec = hn::Vec<PixelTag>;
using LaneTag = hn::ScalableTag<int32_t>;
using LaneVec = hn::Vec<LaneTag>;

// (v >> 16) << 16 | (v >> 16) << 8 | (v >> 16) & 0xFF in every lane, the shifts
// arithmetic like the plain rule's; red and green need no mask of their own.
HWY_INLINE PixelVec packPixels(PixelVec red, PixelVec green, PixelVec blue)
{
    const PixelTag d;
    const LaneTag di;
    const PixelVec r = hn::And(red, hn::Set(d, 0xFFFF0000u));
    const PixelVec g = hn::And(hn::BitCast(d, hn::ShiftRight<8>(hn::BitCast(di, green))),
                               hn::Set(d, 0xFFFFFF00u));
    const PixelVec b =
        hn::And(hn::ShiftRight<kRasterFixedShift>(blue), hn::Set(d, kRasterChannelMask));
    return hn::Or(hn::Or(r, g), b);
}

// Lane k: value + k * step, wrapping.
HWY_INLINE PixelVec laneSteps(uint32_t value, uint32_t step)
{
    const PixelTag d;
    return hn::Add(hn::Set(d, value), hn::Mul(hn::Iota(d, 0), hn::Set(d, step)));
}

// The span's pixels, a vector at a time, the last vector (whole or not)
// masked: lanes past the end write nothing. count is at least 1. Most spans
// fit one vector, so the steps of whole vectors are set up only for longer ones.
HWY_INLINE void runSpan(SpanRun run)
{
    const PixelTag d;
    const auto lanes = static_cast<int32_t>(hn::Lanes(d));
    if constexpr (HWY_TARGET == HWY_SCALAR) {
        // One lane: every store is whole, so the plain loop, with no last store apart.
        for (int32_t i = 0; i < run.count; ++i) {
            hn::StoreU(packPixels(hn::Set(d, run.red), hn::Set(d, run.green), hn::Set(d, run.blue)),
                       d, run.out + i);
            run.red += run.redStep;
            run.green += run.greenStep;
            run.blue += run.blueStep;
        }
        return;
    }
    PixelVec red = laneSteps(run.red, run.redStep);
    PixelVec green = laneSteps(run.green, run.greenStep);
    PixelVec blue = laneSteps(run.blue, run.blueStep);
    int32_t i = 0;
    if (run.count > lanes) {
        const PixelVec redStep = hn::Set(d, run.redStep * lanes);
        const PixelVec greenStep = hn::Set(d, run.greenStep * lanes);
        const PixelVec blueStep = hn::Set(d, run.blueStep * lanes);
        do {
            hn::StoreU(packPixels(red, green, blue), d, run.out + i);
            red = hn::Add(red, redStep);
            green = hn::Add(green, greenStep);
            blue = hn::Add(blue, blueStep);
            i += lanes;
        } while (i + lanes < run.count);
    }
    hn::BlendedStore(packPixels(red, green, blue), hn::FirstN(d, run.count - i), d, run.out + i);
}

// Not inlined by itself: the row loops that call it are compiled for no
// instruction set in particular; `flatten` on the entry points below inlines it
// all the same.
struct VectorSpanKernel {
    static void run(SpanRun run) { runSpan(run); }
};

__attribute__((flatten)) void spanRow(uint32_t* row, const SpanEnds& ends)
{
    fillSpanRow<VectorSpanKernel>(row, ends);
}

#if HWY_TARGET != HWY_SCALAR

// Near the screen, with corners within +-kBatchColumnLimit columns, every 16.16
// value of a side fits 32 bits, so a batch of rows is set up at once, one row
// per lane. The span steps and the edges' slopes come from reciprocals, which
// are exact for their sizes (below): channel differences below 2^24 and
// lengths below 2^15 for the steps, differences below 2^31 and heights below
// 2^21 for the slopes.
constexpr int32_t kBatchColumnLimit = 16383;
constexpr int64_t kBatchHeightLimit = int64_t{1} << 21;
constexpr size_t kMaxBatchRows = HWY_MAX_BYTES / sizeof(int32_t);

// Corners already ordered by row.
HWY_INLINE bool fitsBatchedPath(const TriangleSetup& t)
{
    const auto inRange = [](int32_t x) {
        return x >= -kBatchColumnLimit && x <= kBatchColumnLimit;
    };
    return inRange(t.top.x) && inRange(t.middle.x) && inRange(t.bottom.x) &&
           static_cast<int64_t>(t.bottom.y) - t.top.y < kBatchHeightLimit;
}

// An edge's slope, difference / rows truncated, from the reciprocal of rows:
// with |difference| below 2^31 and rows below 2^21, the product is within
// 2^-52 * 2^31 / rows < 1/rows of the quotient, nearer than any fractional
// quotient comes to an integer, so truncating it is exact except where the
// quotient is itself an integer and the product falls just short: the
// remainder is then +-rows and the quotient moves one away from zero.
HWY_INLINE int32_t edgeQuotient(int32_t difference, int32_t rows, double reciprocal)
{
    const auto quotient = static_cast<int32_t>(difference * reciprocal);  // truncates
    const int64_t remainder = difference - static_cast<int64_t>(quotient) * rows;
    return quotient + (remainder == rows ? 1 : 0) - (remainder == -rows ? 1 : 0);
}

// The twelve slopes of the three edges, one division per edge. An edge of
// zero height keeps zero slopes, as edgeSlopes gives.
HWY_INLINE EdgeSlopes batchedEdge(const RasterCorner& from, const RasterCorner& to)
{
    const int32_t rows = to.y - from.y;
    if (rows == 0) {
        return EdgeSlopes{0, 0, 0, 0};
    }
    const double reciprocal = 1.0 / rows;
    const auto slope = [&](int32_t start, int32_t end) {
        const auto difference =
            static_cast<int32_t>(static_cast<uint32_t>(end - start) << kRasterFixedShift);
        return edgeQuotient(difference, rows, reciprocal);
    };
    return EdgeSlopes{slope(from.x, to.x), slope(from.red, to.red), slope(from.green, to.green),
                      slope(from.blue, to.blue)};
}

HWY_INLINE void batchedEdges(TriangleSetup& t)
{
    t.upper = batchedEdge(t.top, t.middle);
    t.lower = batchedEdge(t.middle, t.bottom);
    t.longEdge = batchedEdge(t.top, t.bottom);
}

// A batch of rows' spans, ready for the span loop; a count below 1 draws nothing.
struct RowBatch {
    alignas(64) int32_t left[kMaxBatchRows];
    alignas(64) int32_t count[kMaxBatchRows];
    alignas(64) int32_t value[3][kMaxBatchRows];
    alignas(64) int32_t step[3][kMaxBatchRows];
};

// The spans' lengths, all at least 1, as divisors for the channels' steps.
// One division a batch, in float, for the reciprocals: a length n (below
// 2^15) is exact in float and 1/n is rounded to within 2^-24 of itself, so a
// channel difference d (at most 255 * 2^16 = 2^24 - 2^16 in size) times it,
// in double, is within (1 - 2^-8)/n + 2^-29 < 1/n of d / n: nearer than any
// fractional quotient comes to an integer (1/n). Truncating the product
// therefore gives the integer quotient, except where d / n is itself an
// integer and the product falls just short of it: the remainder is then +-n
// and the quotient moves one away from zero. The portable target emulates its
// lanes one at a time, where the conversions around the reciprocal cost more
// than a plain division per lane, so it divides lane by lane as WebAssembly does.
#if HWY_HAVE_FLOAT64 && HWY_TARGET != HWY_EMU128
struct BatchLengths {
    LaneVec length;
    hn::Vec<hn::Repartition<double, LaneTag>> low;  // reciprocals, half as many lanes each
    hn::Vec<hn::Repartition<double, LaneTag>> high;
};

HWY_INLINE BatchLengths batchLengths(LaneVec length)
{
    const hn::Repartition<float, LaneTag> df;
    const hn::Half<decltype(df)> dfh;
    const hn::Repartition<double, LaneTag> dd;
    const auto reciprocal = hn::Div(hn::Set(df, 1.0f), hn::ConvertTo(df, length));
    return BatchLengths{length, hn::PromoteTo(dd, hn::LowerHalf(dfh, reciprocal)),
                        hn::PromoteTo(dd, hn::UpperHalf(dfh, reciprocal))};
}

HWY_INLINE LaneVec batchQuotient(LaneVec difference, const BatchLengths& length)
{
    const LaneTag d;
    const hn::Half<LaneTag> dh;
    const hn::Repartition<double, LaneTag> dd;
    const auto low = hn::Mul(hn::PromoteTo(dd, hn::LowerHalf(dh, difference)), length.low);
    const auto high = hn::Mul(hn::PromoteTo(dd, hn::UpperHalf(dh, difference)), length.high);
    const LaneVec quotient = hn::Combine(d, hn::DemoteTo(dh, high), hn::DemoteTo(dh, low));
    const LaneVec remainder = hn::Sub(difference, hn::Mul(quotient, length.length));
    const LaneVec one = hn::Set(d, 1);
    const LaneVec up = hn::IfThenElseZero(hn::Eq(remainder, length.length), one);
    const LaneVec down = hn::IfThenElseZero(hn::Eq(remainder, hn::Neg(length.length)), one);
    return hn::Sub(hn::Add(quotient, up), down);
}
#else
struct BatchLengths {
    alignas(64) int32_t lane[kMaxBatchRows];
};

HWY_INLINE BatchLengths batchLengths(LaneVec length)
{
    BatchLengths lengths;
    hn::Store(length, LaneTag(), lengths.lane);
    return lengths;
}

// Lane by lane.
HWY_INLINE LaneVec batchQuotient(LaneVec difference, const BatchLengths& length)
{
    const LaneTag d;
    alignas(64) int32_t lane[kMaxBatchRows];
    hn::Store(difference, d, lane);
    for (size_t k = 0; k < hn::Lanes(d); ++k) {
        lane[k] = static_cast<int32_t>(static_cast<double>(lane[k]) / length.lane[k]);
    }
    return hn::Load(d, lane);
}
#endif

// Exchange, rejection, cut and gradient of a batch of rows, as prepareSpan does
// for one. a and b hold x, red, green, blue of sides A and B.
HWY_INLINE void prepareBatch(const LaneVec (&a)[4], const LaneVec (&b)[4], RowBatch& batch)
{
    const LaneTag d;
    const LaneVec x1 = hn::ShiftRight<kRasterFixedShift>(a[0]);
    const LaneVec x2 = hn::ShiftRight<kRasterFixedShift>(b[0]);
    const auto exchange = hn::Gt(x1, x2);
    const LaneVec left = hn::IfThenElse(exchange, x2, x1);
    const LaneVec right = hn::IfThenElse(exchange, x1, x2);
    const LaneVec one = hn::Set(d, 1);
    const LaneVec length = hn::Sub(right, hn::Sub(left, one));
    const BatchLengths lengths = batchLengths(length);
    const LaneVec zero = hn::Zero(d);
    const LaneVec cutLeft = hn::Max(hn::Sub(zero, left), zero);
    const LaneVec visibleLeft = hn::Max(left, zero);
    const LaneVec visibleRight = hn::Min(right, hn::Set(d, kRasterLastColumn));
    hn::Store(visibleLeft, d, batch.left);
    hn::Store(hn::Sub(visibleRight, hn::Sub(visibleLeft, one)), d, batch.count);
    for (int c = 0; c < 3; ++c) {
        const LaneVec start = hn::IfThenElse(exchange, b[c + 1], a[c + 1]);
        const LaneVec end = hn::IfThenElse(exchange, a[c + 1], b[c + 1]);
        const LaneVec step = batchQuotient(hn::Sub(end, start), lengths);
        hn::Store(step, d, batch.step[c]);
        hn::Store(hn::Add(start, hn::Mul(cutLeft, step)), d, batch.value[c]);
    }
}

// A side's x, red, green and blue at a half's first row, and its slopes, as
// wrapping 32-bit words.
struct BatchSide {
    uint32_t value[4];
    uint32_t slope[4];
};

HWY_INLINE BatchSide batchSide(const RasterCorner& corner, const EdgeSlopes& slopes, int64_t rows)
{
    const SideValues side = sideAt(corner, slopes, rows);
    return BatchSide{{static_cast<uint32_t>(side.x), static_cast<uint32_t>(side.red),
                      static_cast<uint32_t>(side.green), static_cast<uint32_t>(side.blue)},
                     {static_cast<uint32_t>(slopes.x), static_cast<uint32_t>(slopes.red),
                      static_cast<uint32_t>(slopes.green), static_cast<uint32_t>(slopes.blue)}};
}

// Lane k of v: the side's value k rows on; then the side moves a whole batch on.
HWY_INLINE void batchLanes(BatchSide& side, uint32_t rows, LaneVec (&v)[4])
{
    const LaneTag d;
    for (int c = 0; c < 4; ++c) {
        v[c] = hn::BitCast(d, laneSteps(side.value[c], side.slope[c]));
        side.value[c] += rows * side.slope[c];
    }
}

// One half's rows within the band, as fillHalf draws them.
HWY_INLINE void fillBatchedHalf(uint32_t* pixels, const TriangleHalf& half, RowBand band)
{
    int64_t top = 0;
    int64_t bottom = 0;
    if (!rowsInBand(half, band, top, bottom)) {
        return;
    }
    const auto rowsPerBatch = static_cast<int64_t>(hn::Lanes(LaneTag()));
    BatchSide sideA = batchSide(half.cornerA, half.slopesA, top - half.cornerA.y);
    BatchSide sideB = batchSide(half.cornerB, half.slopesB, top - half.cornerB.y);
    RowBatch batch;
    for (int64_t y = top; y <= bottom; y += rowsPerBatch) {
        LaneVec a[4];
        LaneVec b[4];
        batchLanes(sideA, static_cast<uint32_t>(rowsPerBatch), a);
        batchLanes(sideB, static_cast<uint32_t>(rowsPerBatch), b);
        prepareBatch(a, b, batch);
        const int64_t rows = std::min(rowsPerBatch, bottom - y + 1);
        uint32_t* row = pixels + y * kFrameWidth;
        for (int64_t k = 0; k < rows; ++k, row += kFrameWidth) {
            if (batch.count[k] > 0) {
                runSpan(SpanRun{row + batch.left[k], batch.count[k],
                                static_cast<uint32_t>(batch.value[0][k]),
                                static_cast<uint32_t>(batch.value[1][k]),
                                static_cast<uint32_t>(batch.value[2][k]),
                                static_cast<uint32_t>(batch.step[0][k]),
                                static_cast<uint32_t>(batch.step[1][k]),
                                static_cast<uint32_t>(batch.step[2][k])});
            }
        }
    }
}

// True when it drew the triangle.
HWY_INLINE bool fillBatchedTriangle(uint32_t* pixels, TriangleSetup& t, RowBand band)
{
    if (!fitsBatchedPath(t)) {
        return false;
    }
    batchedEdges(t);
    for (const TriangleHalf& half : triangleHalves(t)) {
        fillBatchedHalf(pixels, half, band);
    }
    return true;
}

#else

// One lane: every triangle takes the rows one by one.
HWY_INLINE bool fillBatchedTriangle(uint32_t*, TriangleSetup&, RowBand)
{
    return false;
}

#endif

__attribute__((flatten)) void triangles(uint32_t* pixels, const RowOrderedTriangle* list,
                                        const uint32_t* order, int32_t count, RowBand band)
{
    for (int32_t i = 0; i < count; ++i) {
        TriangleSetup t = triangleSetup(list[order[i]]);
        if (fillBatchedTriangle(pixels, t, band)) {
            continue;
        }
        setTriangleEdges(t);
        fillTriangleRows<VectorSpanKernel>(pixels, t, band);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace raster_kernels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace raster_kernels {

HWY_EXPORT(spanRow);
HWY_EXPORT(triangles);

}  // namespace raster_kernels

void rasterKernelSpanRow(uint32_t* row, const SpanEnds& ends)
{
    using namespace raster_kernels;
    HWY_DYNAMIC_DISPATCH(spanRow)(row, ends);
}

void rasterKernelTriangles(uint32_t* pixels, const RowOrderedTriangle* triangles,
                           const uint32_t* order, int32_t count, RowBand band)
{
    using namespace raster_kernels;
    HWY_DYNAMIC_DISPATCH(triangles)(pixels, triangles, order, count, band);
}
#endif
