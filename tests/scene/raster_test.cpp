// The rasterizer: clipping, the cut span's gradient, edge truncation and the
// order of equal rows worked by hand; then every instruction set against the
// fallback's row-by-row fill on random spans and triangles, and no write
// outside the buffer however wild the coordinates.
#include "raster.h"

#include "simd_targets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kCanary = 0xDEADBEEFu;
constexpr size_t kGuardWords = 4096;
constexpr uint32_t kWhite = 0x00FFFFFFu;

// A cleared frame with canary words on both sides.
struct GuardedFrame {
    std::vector<uint32_t> words = std::vector<uint32_t>(kFramePixels + 2 * kGuardWords, kCanary);
    GuardedFrame() { clearFrame(pixels()); }
    uint32_t* pixels() { return words.data() + kGuardWords; }
    uint32_t at(int x, int y) { return pixels()[y * kFrameWidth + x]; }
    bool guardsIntact() const
    {
        const auto canary = [](uint32_t w) { return w == kCanary; };
        return std::all_of(words.begin(), words.begin() + kGuardWords, canary) &&
               std::all_of(words.end() - kGuardWords, words.end(), canary);
    }
    int64_t lit()
    {
        return std::count_if(pixels(), pixels() + kFramePixels, [](uint32_t w) { return w != 0; });
    }
};

// The columns of row y that are not black, as [first, last]; {-1, -1} if none.
std::pair<int, int> rowCoverage(GuardedFrame& frame, int y)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < kFrameWidth; ++x) {
        if (frame.at(x, y) != 0) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return {first, last};
}

struct SpanCase {
    int32_t x1, y, x2;
    int first, last;  // expected columns on row y, -1 for none
};

TEST(Raster, FlatAndShadedSpansClipTheSameWay)
{
    const SpanCase cases[] = {
        {700, 10, -5, 0, 639},   {3, -1, 9, -1, -1},         {3, 480, 9, -1, -1},
        {3, 479, 9, 3, 9},       {640, 5, 700, -1, -1},      {-10, 5, -1, -1, -1},
        {-10, 5, 0, 0, 0},       {639, 5, 639, 639, 639},    {INT_MAX, 7, INT_MIN, 0, 639},
    };
    for (const SpanCase& c : cases) {
        GuardedFrame flat;
        fillSpanFlat(flat.pixels(), c.x1, c.y, c.x2, kWhite);
        GuardedFrame shaded;
        fillSpanShaded(shaded.pixels(), c.x1, c.y, c.x2, 255 << 16, 255 << 16, 1 << 16, 1 << 16,
                       9 << 16, 9 << 16);
        const int row = std::clamp(c.y, 0, kFrameHeight - 1);
        const std::pair<int, int> expected{c.first, c.last};
        EXPECT_EQ(rowCoverage(flat, row), expected) << c.x1 << " " << c.x2;
        EXPECT_EQ(rowCoverage(shaded, row), expected) << c.x1 << " " << c.x2;
        EXPECT_EQ(flat.lit(), c.first < 0 ? 0 : c.last - c.first + 1);
        EXPECT_EQ(shaded.lit(), flat.lit());
        if (c.first >= 0) {
            EXPECT_EQ(shaded.at(c.first, row), 0x00FF0109u);
        }
        EXPECT_TRUE(flat.guardsIntact() && shaded.guardsIntact());
    }
}

TEST(Raster, CutSpanKeepsTheGradientOfTheWholeSpanAndEachEndItsColour)
{
    GuardedFrame frame;
    // Columns -10..9, red 0 towards 20: one level per column, so column 0 is
    // the eleventh pixel and shows red 10, not the squeezed start.
    fillSpanShaded(frame.pixels(), -10, 0, 9, 0, 20 << 16, 0, 0, 40 << 16, 0);
    EXPECT_EQ(frame.at(0, 0), (10u << 16) | 20u);
    EXPECT_EQ(frame.at(9, 0), (19u << 16) | 2u);
    // Cut on the right, ends given right to left: columns 630..649.
    fillSpanShaded(frame.pixels(), 649, 1, 630, 20 << 16, 0, 0, 0, 0, 0);
    EXPECT_EQ(frame.at(630, 1), 0u);
    EXPECT_EQ(frame.at(639, 1), 9u << 16);
    // Steps truncate, so the far end falls short of its colour; one pixel
    // takes the first-given colour.
    fillSpanShaded(frame.pixels(), 0, 2, 1, 0, 255 << 16, 0, 0, 0, 0);
    EXPECT_EQ(frame.at(1, 2), 0x007F0000u);
    fillSpanShaded(frame.pixels(), 9, 3, 9, 1 << 16, 2 << 16, 3 << 16, 4 << 16, 5 << 16, 6 << 16);
    EXPECT_EQ(frame.at(9, 3), 0x00010305u);
}

struct TriangleCase {
    int32_t x1, y1, x2, y2, x3, y3;
    int firstRow;
    std::vector<std::pair<int, int>> rows;  // coverage of rows firstRow on
};

// Rows 0 to last covering columns 0 to the row's number.
std::vector<std::pair<int, int>> columnsUpTo(int last)
{
    std::vector<std::pair<int, int>> rows;
    for (int y = 0; y <= last; ++y) {
        rows.emplace_back(0, y);
    }
    return rows;
}

TEST(Raster, TriangleCoverageFollowsTheTruncatedEdges)
{
    const TriangleCase cases[] = {
        {0, 0, 0, 3, 10, 3, 0, {{0, 0}, {0, 3}, {0, 6}, {0, 9}}},
        {0, 0, 10, 3, 0, 3, 0, {{0, 0}, {0, 3}, {0, 6}, {0, 10}}},
        {0, 0, 10, 0, 5, 5, 0, {{0, 10}, {1, 9}, {2, 8}, {3, 7}, {4, 6}, {5, 5}}},
        // A whole column a row over 49 rows: 49 << 16 times 1/49 in double
        // falls short of 65536.
        {0, 0, 49, 49, 0, 49, 0, columnsUpTo(49)},
        {4, 7, 8, 7, 100, 7, 7, {{4, 8}}},  // one row: first corner to second
        {0, -20, 10, -20, 5, -1, 0, {}},
        {0, 480, 10, 500, 5, 490, 0, {}},
    };
    for (const TriangleCase& c : cases) {
        GuardedFrame frame;
        fillTriangleShaded(frame.pixels(), c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, kWhite, kWhite,
                           kWhite);
        for (int y = 0; y < kFrameHeight; ++y) {
            const auto index = static_cast<size_t>(y - c.firstRow);
            const auto expected = index < c.rows.size() ? c.rows[index] : std::make_pair(-1, -1);
            ASSERT_EQ(rowCoverage(frame, y), expected)
                << "triangle at " << c.x1 << "," << c.y1 << " row " << y;
        }
    }
}

TEST(Raster, EqualRowsAreOrderedByTheThreeExchanges)
{
    // y values 5, 5, 3: the order becomes third, second, first. Row 5 runs from
    // side A at the given second vertex (10, 5, red) to side B at the given first
    // one (0, 5, blue); the span's ends are exchanged, so column 0 shows blue
    // exactly and column 10 falls one step short of red.
    GuardedFrame frame;
    fillTriangleShaded(frame.pixels(), 0, 5, 10, 5, 5, 3, 0x000000FFu, 0x00FF0000u, 0x0000FF00u);
    EXPECT_EQ(frame.at(0, 5), 0x000000FFu);
    EXPECT_EQ(frame.at(10, 5), 0x00E70017u);
    EXPECT_EQ(frame.at(5, 3), 0x0000FF00u);
}

// A triangle whose middle row runs n columns between a black vertical edge and
// a grey corner of n levels: a step of exactly one level a pixel, up or down,
// which a quotient computed through a float reciprocal falls short of (for
// these n, 1/n rounds down in float). Near the screen, where the kernels set up a batch of rows at once.
TEST(Raster, WholeQuotientStepsReachEveryLevelOnEveryInstructionSet)
{
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        for (const int32_t n : {25, 49, 107, 197, 254}) {
            for (const bool greyOnTheLeft : {false, true}) {
                GuardedFrame frame;
                const int32_t left = greyOnTheLeft ? 300 - (n - 1) : 300;
                fillTriangleShaded(frame.pixels(), 300, 10, greyOnTheLeft ? left : 300 + n - 1,
                                   20, 300, 30, 0u, static_cast<uint32_t>(n) * 0x010101u, 0u);
                for (int32_t i = 0; i < n; ++i) {
                    const auto level = static_cast<uint32_t>(greyOnTheLeft ? n - i : i);
                    ASSERT_EQ(frame.at(left + i, 20), level * 0x010101u)
                        << simdTargetName(target) << ", length " << n << ", pixel " << i;
                }
            }
        }
    }
}

// 4000 random spans, or 3000 random triangles; offsetX moves every first corner.
void drawRandomly(uint32_t* pixels, bool triangles, int32_t offsetX)
{
    std::mt19937 random(triangles ? 9 : 5);
    std::uniform_int_distribution<int32_t> column(-700, 1300);
    std::uniform_int_distribution<int32_t> row(-5, 484);
    std::uniform_int_distribution<int32_t> channel(0, 255 * 65536 + 65535);
    std::uniform_int_distribution<int32_t> coordinate(-1500, 2000);
    std::uniform_int_distribution<uint32_t> colour(0, 0x00FFFFFFu);
    for (int i = 0; i < (triangles ? 3000 : 4000); ++i) {
        if (!triangles) {
            const int32_t x1 = column(random), y = row(random), x2 = column(random);
            int32_t c[6];
            for (int32_t& v : c) {
                v = channel(random);
            }
            fillSpanShaded(pixels, x1, y, x2, c[0], c[1], c[2], c[3], c[4], c[5]);
            continue;
        }
        int32_t v[6];
        for (int32_t& c : v) {
            c = coordinate(random) / (i % 3 + 1);
        }
        v[0] += offsetX;
        const uint32_t c1 = colour(random), c2 = colour(random), c3 = colour(random);
        fillTriangleShaded(pixels, v[0], v[1], v[2], v[3], v[4], v[5], c1, c2, c3);
    }
}

// The fallback fills row by row, its spans a pixel at a time; the others set
// up a batch of rows at once for triangles near the screen and fill spans a
// vector at a time. All must agree to the bit on spans, on triangles near the
// screen and on triangles with the first corner far to the left (x beyond
// -16383, differences still within 32767: row by row everywhere).
TEST(Raster, EveryInstructionSetDrawsTheFallbacksPixels)
{
    const std::vector<int64_t> targets = simdTargets();
    const std::pair<bool, int32_t> draws[] = {{false, 0}, {true, 0}, {true, -20000}};
    for (const auto& [triangles, offsetX] : draws) {
        GuardedFrame expected;
        {
            const SimdTargetScope fallback(targets.back());
            drawRandomly(expected.pixels(), triangles, offsetX);
        }
        ASSERT_GT(expected.lit(), kFramePixels / 2);
        for (const int64_t target : targets) {
            const SimdTargetScope scope(target);
            GuardedFrame frame;
            drawRandomly(frame.pixels(), triangles, offsetX);
            EXPECT_TRUE(frame.words == expected.words)
                << simdTargetName(target) << (triangles ? ", triangles at " : ", spans at ")
                << offsetX;
        }
    }
}

TEST(Raster, TrianglesOffTheScreenAreTheOnesThatDrawNothing)
{
    struct ReachCase {
        int32_t x1, y1, x2, y2, x3, y3;
        bool reaches;
    };
    const ReachCase cases[] = {
        {-9, 5, -1, 9, -5, 40, false}, {-9, 5, 0, 9, -5, 40, true},
        {640, 5, 700, 9, 660, 40, false}, {639, 5, 700, 9, 660, 40, true},
        {3, -20, 90, -1, 50, -7, false}, {3, -20, 90, 0, 50, -7, true},
        {3, 480, 90, 500, 50, 490, false}, {3, 479, 90, 500, 50, 490, true},
    };
    for (const ReachCase& c : cases) {
        const RowOrderedTriangle t =
            orderTriangle(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, kWhite, kWhite, kWhite);
        EXPECT_EQ(triangleReachesScreen(t), c.reaches) << c.x1 << "," << c.y1;
        GuardedFrame frame;
        fillTriangleShaded(frame.pixels(), c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, kWhite, kWhite,
                           kWhite);
        EXPECT_EQ(frame.lit() > 0, c.reaches) << c.x1 << "," << c.y1;
    }
}

// Random triangles of every size near and far, those that reach the screen
// filled band by band (bands of 37 rows, some triangles in many of them), each
// band into a frame of its own, on every instruction set: each band holds the
// rows of filling the triangles one by one, and not a pixel outside them.
TEST(Raster, BandsOfRowsFillTheWholeTrianglesPixelsOnTheirRowsOnly)
{
    std::mt19937 random(33);
    std::uniform_int_distribution<int32_t> coordinate(-1500, 2000);
    std::uniform_int_distribution<uint32_t> colour(0, 0x00FFFFFFu);
    std::vector<RowOrderedTriangle> list;
    GuardedFrame expected;
    for (int i = 0; i < 3000; ++i) {
        int32_t v[6];
        for (int32_t& c : v) {
            c = coordinate(random) / (i % 7 + 1);
        }
        v[0] += i % 11 == 0 ? -20000 : 0;
        const uint32_t c1 = colour(random), c2 = colour(random), c3 = colour(random);
        fillTriangleShaded(expected.pixels(), v[0], v[1], v[2], v[3], v[4], v[5], c1, c2, c3);
        const RowOrderedTriangle t = orderTriangle(v[0], v[1], v[2], v[3], v[4], v[5], c1, c2, c3);
        if (triangleReachesScreen(t)) {
            list.push_back(t);
        }
    }
    std::vector<uint32_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<uint32_t>(i);
    }
    constexpr int32_t kBandRows = 37;
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        for (int32_t first = 0; first < kFrameHeight; first += kBandRows) {
            const RowBand band{first, std::min(first + kBandRows, kFrameHeight) - 1};
            GuardedFrame frame;
            fillOrderedTriangles(frame.pixels(), list.data(), order.data(),
                                 static_cast<int32_t>(order.size()), band);
            std::vector<uint32_t> rows(kFramePixels, 0u);
            const size_t begin = static_cast<size_t>(band.first) * kFrameWidth;
            const size_t end = static_cast<size_t>(band.last + 1) * kFrameWidth;
            std::copy(expected.pixels() + begin, expected.pixels() + end, rows.begin() + begin);
            EXPECT_TRUE(std::equal(rows.begin(), rows.end(), frame.pixels()) &&
                        frame.guardsIntact())
                << simdTargetName(target) << ", rows " << band.first << " to " << band.last;
        }
    }
}

TEST(Raster, WildTrianglesNeverWriteOutsideTheBuffer)
{
    std::mt19937 random(21);
    std::uniform_int_distribution<int32_t> coordinate(-1000000, 1000000);
    std::uniform_int_distribution<int32_t> anything(INT_MIN, INT_MAX);
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        GuardedFrame frame;
        for (int i = 0; i < 5000; ++i) {
            int32_t v[6];
            for (int32_t& c : v) {
                c = i % 5 == 0 ? anything(random) : coordinate(random);
            }
            const auto colour = static_cast<uint32_t>(anything(random));
            fillTriangleShaded(frame.pixels(), v[0], v[1], v[2], v[3], v[4], v[5], colour, ~colour,
                               kWhite);
            fillSpanShaded(frame.pixels(), v[0], v[1] % 500, v[2], anything(random),
                           anything(random), anything(random), anything(random), anything(random),
                           anything(random));
        }
        fillTriangleShaded(frame.pixels(), INT_MIN, INT_MIN, INT_MAX, 0, INT_MIN, INT_MAX, kWhite,
                           kWhite, kWhite);
        EXPECT_TRUE(frame.guardsIntact()) << simdTargetName(target);
    }
}

} // namespace
