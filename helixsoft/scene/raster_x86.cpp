// The x86-64 span kernels: SSE2, which the architecture guarantees, and AVX2,
// entered only after a run-time check, plus the AVX2 loop that sets up eight
// rows of a triangle at once. Every kernel gives exactly the scalar pixels.
// AVX2 code sits in functions marked target("avx2"), so the file needs no
// instruction-set flag and the rest of it runs on any x86-64 processor.
#include "raster_simd.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int32_t kLastColumn = kRasterLastColumn;
constexpr int32_t kLastRow = kRasterLastRow;
constexpr int kFixedShift = kRasterFixedShift;
constexpr uint32_t kRedMask = 0xFFFF0000u;    // (v >> 16) << 16: the integer part in place
constexpr uint32_t kGreenMask = 0xFFFFFF00u;  // (v >> 16) << 8, arithmetic shift
constexpr uint32_t kChannelMask = kRasterChannelMask;

// (v >> 16) << 16 | (v >> 16) << 8 | (v >> 16) & 0xFF for four lanes at once.
[[gnu::always_inline]] inline __m128i packSpanPixels4(__m128i red, __m128i green, __m128i blue)
{
    const __m128i r = _mm_and_si128(red, _mm_set1_epi32(static_cast<int32_t>(kRedMask)));
    const __m128i g = _mm_and_si128(_mm_srai_epi32(green, 8),
                                    _mm_set1_epi32(static_cast<int32_t>(kGreenMask)));
    const __m128i b = _mm_and_si128(_mm_srli_epi32(blue, kFixedShift),
                                    _mm_set1_epi32(static_cast<int32_t>(kChannelMask)));
    return _mm_or_si128(_mm_or_si128(r, g), b);
}

[[gnu::always_inline]] inline __m128i spanLanes4(uint32_t value, uint32_t step)
{
    return _mm_setr_epi32(static_cast<int32_t>(value), static_cast<int32_t>(value + step),
                          static_cast<int32_t>(value + 2 * step),
                          static_cast<int32_t>(value + 3 * step));
}

[[gnu::always_inline]] inline void runSpanSse2(SpanRun run)
{
    constexpr int32_t kLanes = 4;
    constexpr int32_t kShortSpan = 8;  // below this, building the lanes costs more than it saves
    if (run.count < kShortSpan) {
        runSpanScalar(run);
        return;
    }
    __m128i red = spanLanes4(run.red, run.redStep);
    __m128i green = spanLanes4(run.green, run.greenStep);
    __m128i blue = spanLanes4(run.blue, run.blueStep);
    const __m128i redStep = _mm_set1_epi32(static_cast<int32_t>(run.redStep * kLanes));
    const __m128i greenStep = _mm_set1_epi32(static_cast<int32_t>(run.greenStep * kLanes));
    const __m128i blueStep = _mm_set1_epi32(static_cast<int32_t>(run.blueStep * kLanes));
    int32_t i = 0;
    for (; i + kLanes <= run.count; i += kLanes) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(run.out + i),
                         packSpanPixels4(red, green, blue));
        red = _mm_add_epi32(red, redStep);
        green = _mm_add_epi32(green, greenStep);
        blue = _mm_add_epi32(blue, blueStep);
    }
    const auto done = static_cast<uint32_t>(i);
    runSpanScalar(SpanRun{run.out + i, run.count - i, run.red + done * run.redStep,
                          run.green + done * run.greenStep, run.blue + done * run.blueStep,
                          run.redStep, run.greenStep, run.blueStep});
}

[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i packSpanPixels8(
    __m256i red, __m256i green, __m256i blue)
{
    const __m256i r = _mm256_and_si256(red, _mm256_set1_epi32(static_cast<int32_t>(kRedMask)));
    const __m256i g = _mm256_and_si256(_mm256_srai_epi32(green, 8),
                                       _mm256_set1_epi32(static_cast<int32_t>(kGreenMask)));
    const __m256i b = _mm256_and_si256(_mm256_srli_epi32(blue, kFixedShift),
                                       _mm256_set1_epi32(static_cast<int32_t>(kChannelMask)));
    return _mm256_or_si256(_mm256_or_si256(r, g), b);
}

[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i spanLanes8(uint32_t value,
                                                                                uint32_t step)
{
    const __m256i index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return _mm256_add_epi32(
        _mm256_set1_epi32(static_cast<int32_t>(value)),
        _mm256_mullo_epi32(index, _mm256_set1_epi32(static_cast<int32_t>(step))));
}

__attribute__((target("avx2"))) inline void runSpanAvx2(SpanRun run)
{
    constexpr int32_t kLanes = 8;
    __m256i red = spanLanes8(run.red, run.redStep);
    __m256i green = spanLanes8(run.green, run.greenStep);
    __m256i blue = spanLanes8(run.blue, run.blueStep);
    const __m256i redStep = _mm256_set1_epi32(static_cast<int32_t>(run.redStep * kLanes));
    const __m256i greenStep = _mm256_set1_epi32(static_cast<int32_t>(run.greenStep * kLanes));
    const __m256i blueStep = _mm256_set1_epi32(static_cast<int32_t>(run.blueStep * kLanes));
    int32_t i = 0;
    for (; i + kLanes <= run.count; i += kLanes) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(run.out + i),
                            packSpanPixels8(red, green, blue));
        red = _mm256_add_epi32(red, redStep);
        green = _mm256_add_epi32(green, greenStep);
        blue = _mm256_add_epi32(blue, blueStep);
    }
    const int32_t rest = run.count - i;
    if (rest > 0) {
        // Lanes at or past `rest` are masked off and write nothing.
        const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(rest), lane);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(run.out + i), mask,
                               packSpanPixels8(red, green, blue));
    }
}

struct Sse2SpanKernel {
    [[gnu::always_inline]] static void run(SpanRun run) { runSpanSse2(run); }
};

// Not always_inline: the loops that call it have no AVX2 target of their own;
// `flatten` on the AVX2 entry points below inlines it all the same.
struct Avx2SpanKernel {
    __attribute__((target("avx2"))) static void run(SpanRun run)
    {
        runSpanAvx2(run);
    }
};

// One compiled copy of the span and triangle loops per kernel; `flatten`
// inlines the whole loop into the AVX2 copy, where AVX2 instructions are allowed.
void fillSpanRowSse2(uint32_t* row, const SpanEnds& ends)
{
    fillSpanRow<Sse2SpanKernel>(row, ends);
}

__attribute__((target("avx2"), flatten)) void fillSpanRowAvx2(uint32_t* row, const SpanEnds& ends)
{
    fillSpanRow<Avx2SpanKernel>(row, ends);
}

void fillTriangleSse2(uint32_t* pixels, const TriangleSetup& t)
{
    fillTriangleRows<Sse2SpanKernel>(pixels, t);
}

__attribute__((target("avx2"), flatten)) void fillTriangleAvx2(uint32_t* pixels,
                                                                const TriangleSetup& t)
{
    fillTriangleRows<Avx2SpanKernel>(pixels, t);
}

// The AVX2 copy for triangles whose corners lie within +-kBatchColumnLimit
// columns, which is every triangle of the demo's frames: there every 16.16 value
// of a side fits 32 bits, so eight rows are set up at once, one row per lane.
// The span steps come from a division in double: with channel differences
// below 2^24 and lengths below 2^21 the rounded quotient never crosses an
// integer, so truncating it gives exactly the integer quotient.
// The edges' slopes come from the same kind of division: their differences
// stay below 2^31 and their heights below 2^21.
constexpr int32_t kBatchColumnLimit = 16383;
constexpr int64_t kBatchHeightLimit = int64_t{1} << 21;
constexpr int32_t kBatchRows = 8;

// Corners already ordered by row.
bool fitsBatchedPath(const TriangleSetup& t)
{
    const auto inRange = [](int32_t x) {
        return x >= -kBatchColumnLimit && x <= kBatchColumnLimit;
    };
    return inRange(t.top.x) && inRange(t.middle.x) && inRange(t.bottom.x) &&
           static_cast<int64_t>(t.bottom.y) - t.top.y < kBatchHeightLimit;
}

// The four slopes of one edge in one division; an edge of zero height keeps
// zero slopes, as edgeSlopes gives.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline EdgeSlopes batchedEdgeSlopes(
    const Corner& from, const Corner& to)
{
    const int32_t height = to.y - from.y;
    if (height == 0) {
        return EdgeSlopes{0, 0, 0, 0};
    }
    const __m128i difference = _mm_setr_epi32(to.x - from.x, to.red - from.red,
                                              to.green - from.green, to.blue - from.blue);
    const __m128i scaled = _mm_slli_epi32(difference, kFixedShift);
    const __m128i slopes = _mm256_cvttpd_epi32(
        _mm256_div_pd(_mm256_cvtepi32_pd(scaled), _mm256_set1_pd(static_cast<double>(height))));
    return EdgeSlopes{_mm_cvtsi128_si32(slopes), _mm_extract_epi32(slopes, 1),
                      _mm_extract_epi32(slopes, 2), _mm_extract_epi32(slopes, 3)};
}

// Eight rows of spans, ready for the pixel kernel; a count below 1 draws nothing.
struct RowBatch {
    alignas(32) int32_t left[kBatchRows];
    alignas(32) int32_t count[kBatchRows];
    alignas(32) int32_t value[3][kBatchRows];
    alignas(32) int32_t step[3][kBatchRows];
};

// Lane k: a side's value k rows below `base`, in wrapping 32-bit arithmetic
// (lanes past the half's last row are never used).
[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i batchLanes(int32_t base,
                                                                                int32_t slope)
{
    const __m256i row = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return _mm256_add_epi32(_mm256_set1_epi32(base),
                            _mm256_mullo_epi32(row, _mm256_set1_epi32(slope)));
}

[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i batchQuotient(
    __m256i difference, __m256d lengthLow, __m256d lengthHigh)
{
    const __m128i low = _mm256_cvttpd_epi32(
        _mm256_div_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(difference)), lengthLow));
    const __m128i high = _mm256_cvttpd_epi32(
        _mm256_div_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(difference, 1)), lengthHigh));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// Exchange, rejection, cut and gradient of eight rows, as prepareSpan does for
// one. a and b hold x, red, green, blue of sides A and B.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline void prepareBatch(
    const __m256i (&a)[4], const __m256i (&b)[4], RowBatch& batch)
{
    const __m256i x1 = _mm256_srai_epi32(a[0], kFixedShift);
    const __m256i x2 = _mm256_srai_epi32(b[0], kFixedShift);
    const __m256i exchange = _mm256_cmpgt_epi32(x1, x2);
    const __m256i left = _mm256_blendv_epi8(x1, x2, exchange);
    const __m256i right = _mm256_blendv_epi8(x2, x1, exchange);
    const __m256i length = _mm256_sub_epi32(right, _mm256_sub_epi32(left, _mm256_set1_epi32(1)));
    const __m256d lengthLow = _mm256_cvtepi32_pd(_mm256_castsi256_si128(length));
    const __m256d lengthHigh = _mm256_cvtepi32_pd(_mm256_extracti128_si256(length, 1));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i cutLeft = _mm256_max_epi32(_mm256_sub_epi32(zero, left), zero);
    const __m256i visibleLeft = _mm256_max_epi32(left, zero);
    const __m256i visibleRight = _mm256_min_epi32(right, _mm256_set1_epi32(kLastColumn));
    _mm256_store_si256(reinterpret_cast<__m256i*>(batch.left), visibleLeft);
    _mm256_store_si256(reinterpret_cast<__m256i*>(batch.count),
                       _mm256_sub_epi32(visibleRight, _mm256_sub_epi32(visibleLeft,
                                                                       _mm256_set1_epi32(1))));
    for (int c = 0; c < 3; ++c) {
        const __m256i start = _mm256_blendv_epi8(a[c + 1], b[c + 1], exchange);
        const __m256i end = _mm256_blendv_epi8(b[c + 1], a[c + 1], exchange);
        const __m256i step =
            batchQuotient(_mm256_sub_epi32(end, start), lengthLow, lengthHigh);
        _mm256_store_si256(reinterpret_cast<__m256i*>(batch.step[c]), step);
        _mm256_store_si256(reinterpret_cast<__m256i*>(batch.value[c]),
                           _mm256_add_epi32(start, _mm256_mullo_epi32(cutLeft, step)));
    }
}

// Side values at the first row of one half as four 32-bit numbers.
void batchSide(const Corner& corner, const EdgeSlopes& slopes, int64_t rows, int32_t (&out)[4])
{
    const SideValues side = sideAt(corner, slopes, rows);
    out[0] = static_cast<int32_t>(side.x);
    out[1] = static_cast<int32_t>(side.red);
    out[2] = static_cast<int32_t>(side.green);
    out[3] = static_cast<int32_t>(side.blue);
}

int32_t batchSlope(int64_t slope)
{
    return static_cast<int32_t>(slope);
}

// The value eight rows further on, wrapping like the lanes.
int32_t advanceBatch(int32_t value, int32_t slope)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) +
                                static_cast<uint32_t>(kBatchRows) * static_cast<uint32_t>(slope));
}

[[gnu::always_inline]] __attribute__((target("avx2"))) inline void fillBatchedHalf(
    uint32_t* pixels, int64_t first, int64_t last, const Corner& cornerA,
    const EdgeSlopes& slopesA, const Corner& cornerB, const EdgeSlopes& slopesB)
{
    const int64_t top = std::max<int64_t>(first, 0);
    const int64_t bottom = std::min<int64_t>(last, kLastRow);
    if (top > bottom) {
        return;
    }
    int32_t sideA[4];
    int32_t sideB[4];
    batchSide(cornerA, slopesA, top - cornerA.y, sideA);
    batchSide(cornerB, slopesB, top - cornerB.y, sideB);
    const int32_t slopeA[4] = {batchSlope(slopesA.x), batchSlope(slopesA.red),
                               batchSlope(slopesA.green), batchSlope(slopesA.blue)};
    const int32_t slopeB[4] = {batchSlope(slopesB.x), batchSlope(slopesB.red),
                               batchSlope(slopesB.green), batchSlope(slopesB.blue)};
    RowBatch batch;
    for (int64_t y = top; y <= bottom; y += kBatchRows) {
        __m256i a[4];
        __m256i b[4];
        for (int v = 0; v < 4; ++v) {
            a[v] = batchLanes(sideA[v], slopeA[v]);
            b[v] = batchLanes(sideB[v], slopeB[v]);
            sideA[v] = advanceBatch(sideA[v], slopeA[v]);
            sideB[v] = advanceBatch(sideB[v], slopeB[v]);
        }
        prepareBatch(a, b, batch);
        const int64_t rows = std::min<int64_t>(kBatchRows, bottom - y + 1);
        uint32_t* row = pixels + y * kFrameWidth;
        for (int64_t k = 0; k < rows; ++k, row += kFrameWidth) {
            if (batch.count[k] > 0) {
                runSpanAvx2(SpanRun{row + batch.left[k], batch.count[k],
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

__attribute__((target("avx2"), flatten)) void fillTriangleBatchedAvx2(uint32_t* pixels,
                                                                       const TriangleSetup& t)
{
    const EdgeSlopes upper = batchedEdgeSlopes(t.top, t.middle);
    const EdgeSlopes lower = batchedEdgeSlopes(t.middle, t.bottom);
    const EdgeSlopes longEdge = batchedEdgeSlopes(t.top, t.bottom);
    fillBatchedHalf(pixels, t.top.y, static_cast<int64_t>(t.middle.y) - 1, t.top, upper, t.top,
                    longEdge);
    fillBatchedHalf(pixels, t.middle.y, t.bottom.y, t.middle, lower, t.top, longEdge);
}

} // namespace

SpanKernel rasterBestSpanKernel()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        return SpanKernel::Avx2;
    }
    return SpanKernel::Sse2;
}

// raster.cpp draws scalar spans itself; Scalar is handled here too so
// that every kernel the seam accepts draws something.
void rasterSimdSpanRow(SpanKernel kernel, uint32_t* row, const SpanEnds& ends)
{
    switch (kernel) {
    case SpanKernel::Avx2:
        fillSpanRowAvx2(row, ends);
        return;
    case SpanKernel::Sse2:
        fillSpanRowSse2(row, ends);
        return;
    case SpanKernel::Scalar:
        fillSpanRow<ScalarSpanKernel>(row, ends);
        return;
    }
}

void rasterSimdTriangle(SpanKernel kernel, uint32_t* pixels, const TriangleSetup& corners)
{
    if (kernel == SpanKernel::Avx2 && fitsBatchedPath(corners)) {
        fillTriangleBatchedAvx2(pixels, corners);
        return;
    }
    TriangleSetup t = corners;
    setTriangleEdges(t);
    switch (kernel) {
    case SpanKernel::Avx2:
        fillTriangleAvx2(pixels, t);
        return;
    case SpanKernel::Sse2:
        fillTriangleSse2(pixels, t);
        return;
    case SpanKernel::Scalar:
        fillTriangleRows<ScalarSpanKernel>(pixels, t);
        return;
    }
}
