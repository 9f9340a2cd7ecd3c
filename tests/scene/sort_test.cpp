// The depth sort against a literal transcription of the quicksort it must
// reproduce, on every instruction set: every position's depthKey and drawOrder
// must match, so ties end in the same order and the same face is painted last.
// Heavy ties, sorted and reversed runs, key extremes and sub-ranges amid
// hostile neighbours. (The demo's own frames are every pinned run's.)
#include "simd_targets.h"
#include "sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>

namespace {

DepthSortBuffer scratch;

// The sort word for word: a stack of 256 (low, high) pairs from entry 1, the
// middle key read once as the pivot, strict scans, an exchange even at i = j,
// the smaller part continued and the larger pushed.
void literalQuickSort(std::vector<Face>& faces, int32_t low, int32_t high)
{
    int32_t stackLow[257];
    int32_t stackHigh[257];
    int sp = 1;
    stackLow[sp] = low, stackHigh[sp] = high, sp = sp + 1;
    while (sp != 1) {
        sp = sp - 1;
        int32_t L = stackLow[sp];
        int32_t R = stackHigh[sp];
        do {
            int32_t i = L;
            int32_t j = R;
            const int32_t pivot = faces[(L + R) / 2].depthKey;
            do {
                while (faces[i].depthKey < pivot) i = i + 1;
                while (faces[j].depthKey > pivot) j = j - 1;
                if (i <= j) {
                    std::swap(faces[i].depthKey, faces[j].depthKey);
                    std::swap(faces[i].drawOrder, faces[j].drawOrder);
                    i = i + 1;
                    j = j - 1;
                }
            } while (i <= j);
            if (j - L < R - i) {
                if (i < R) stackLow[sp] = i, stackHigh[sp] = R, sp = sp + 1;
                R = j;
            } else {
                if (L < j) stackLow[sp] = L, stackHigh[sp] = j, sp = sp + 1;
                L = i;
            }
        } while (L < R);
    }
}

std::vector<Face> facesWithKeys(const std::vector<int32_t>& keys)
{
    std::vector<Face> faces(keys.size(), Face{});
    for (size_t i = 0; i < keys.size(); ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = static_cast<int32_t>(i);
        faces[i].i0 = static_cast<int32_t>(i);  // must stay with its record
    }
    return faces;
}

// Sorts low..high both ways and requires every record to agree, inside the
// range and outside it.
void expectSameAsLiteral(const std::vector<int32_t>& keys, int32_t low, int32_t high,
                         const std::string& what)
{
    std::vector<Face> expected = facesWithKeys(keys);
    literalQuickSort(expected, low, high);
    std::vector<Face> actual = facesWithKeys(keys);
    quickSortFaces(actual, low, high, scratch);
    for (size_t p = 0; p < keys.size(); ++p) {
        ASSERT_EQ(actual[p].depthKey, expected[p].depthKey) << what << ", position " << p;
        ASSERT_EQ(actual[p].drawOrder, expected[p].drawOrder) << what << ", position " << p;
        ASSERT_EQ(actual[p].i0, static_cast<int32_t>(p)) << what << ", position " << p;
    }
}

// Keys drawn from `distinct` values, then sorted up or down, or in a sawtooth.
struct KeyShape {
    const char* name;
    int32_t distinct;  // 1: all equal
    int order;         // 0 as drawn, 1 ascending, -1 descending, 2 sawtooth
};

const KeyShape kShapes[] = {
    {"all equal", 1, 0},        {"two values", 2, 0},   {"ten values", 10, 0},
    {"wide", 1 << 30, 0},       {"ascending, ties", 20, 1}, {"descending", 1 << 30, -1},
    {"sawtooth", 7, 2},
};

std::vector<int32_t> makeKeys(const KeyShape& shape, int32_t count, std::mt19937& random)
{
    std::uniform_int_distribution<int32_t> draw(0, shape.distinct - 1);
    std::vector<int32_t> keys(count);
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = shape.order == 2 ? i % shape.distinct : draw(random);
    }
    if (shape.order == 1) {
        std::sort(keys.begin(), keys.end());
    } else if (shape.order == -1) {
        std::sort(keys.rbegin(), keys.rend());
    }
    return keys;
}

TEST(DepthSort, MatchesTheLiteralSortOnEverySizeShapeAndInstructionSet)
{
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        std::mt19937 random(2113);
        for (const KeyShape& shape : kShapes) {
            const std::string what = simdTargetName(target) + ", " + shape.name + ", ";
            for (int32_t count = 1; count <= 300; ++count) {
                const std::vector<int32_t> keys = makeKeys(shape, count, random);
                expectSameAsLiteral(keys, 0, count - 1, what + std::to_string(count) + " keys");
            }
            expectSameAsLiteral(makeKeys(shape, 2113, random), 0, 2112, what + "2113 keys");
        }
    }
}

// The kernel reads whole windows of keys around a range; the records beyond it,
// here keys that would stop one scan or the other at once, must neither steer
// the result nor be moved. Keys inside are the extremes of the 32-bit range.
TEST(DepthSort, SubRangesAtTheKeyExtremesIgnoreTheirNeighbours)
{
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    const std::pair<int32_t, int32_t> neighbours[] = {{INT32_MIN, INT32_MAX},
                                                      {INT32_MAX, INT32_MIN}};
    for (const int64_t target : simdTargets()) {
        const SimdTargetScope scope(target);
        std::mt19937 random(90);
        std::uniform_int_distribution<size_t> pick(0, std::size(extremes) - 1);
        for (const auto& [before, after] : neighbours) {
            for (const int32_t count : {1, 2, 6, 9, 31, 32, 33, 65, 257}) {
                for (const int32_t margin : {0, 1, 7, 40}) {
                    std::vector<int32_t> keys(count + 2 * margin, after);
                    std::fill(keys.begin(), keys.begin() + margin, before);
                    for (int32_t i = margin; i < margin + count; ++i) {
                        keys[i] = extremes[pick(random)];
                    }
                    expectSameAsLiteral(keys, margin, margin + count - 1,
                                        simdTargetName(target) + ", range of " +
                                            std::to_string(count) + " after " +
                                            std::to_string(margin));
                }
            }
        }
    }
}

TEST(DepthSort, RangesThatDoNotExistChangeNothing)
{
    const std::vector<int32_t> keys = {5, 1, 4, 1, 3};
    const std::pair<int32_t, int32_t> ranges[] = {{3, 2}, {-1, 4}, {0, 5}, {5, 5}, {INT32_MIN, 0}};
    for (const auto& [low, high] : ranges) {
        std::vector<Face> faces = facesWithKeys(keys);
        quickSortFaces(faces, low, high, scratch);
        for (size_t p = 0; p < keys.size(); ++p) {
            EXPECT_EQ(faces[p].depthKey, keys[p]) << low << ".." << high;
            EXPECT_EQ(faces[p].drawOrder, static_cast<int32_t>(p)) << low << ".." << high;
        }
    }
}

} // namespace
