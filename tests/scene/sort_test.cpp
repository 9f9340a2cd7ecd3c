// The fast depth sort against a literal transcription of the quicksort it must
// reproduce: every position's depthKey and drawOrder must match, so ties end in
// the same order and the same face is painted last. Heavy ties, sorted and
// reversed runs, sub-ranges amid hostile neighbours and the demo's own frames.
#include "scene.h"
#include "sort.h"
#include "sort_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
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

// How one test array's keys are laid out.
enum class Layout { Random, Ascending, Descending, OrganPipe, Sawtooth };

struct KeyShape {
    const char* name;
    Layout layout;
    int32_t distinct;  // keys drawn from this many values (1 = all equal)
};

std::vector<int32_t> makeKeys(const KeyShape& shape, int32_t count, std::mt19937& random)
{
    std::uniform_int_distribution<int32_t> draw(0, shape.distinct - 1);
    std::vector<int32_t> keys(count);
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = draw(random);
    }
    switch (shape.layout) {
    case Layout::Random:
        break;
    case Layout::Ascending:
        std::sort(keys.begin(), keys.end());
        break;
    case Layout::Descending:
        std::sort(keys.rbegin(), keys.rend());
        break;
    case Layout::OrganPipe:
        std::sort(keys.begin(), keys.begin() + count / 2);
        std::sort(keys.rbegin(), keys.rbegin() + (count - count / 2));
        break;
    case Layout::Sawtooth:
        for (int32_t i = 0; i < count; ++i) {
            keys[i] = i % shape.distinct;
        }
        break;
    }
    return keys;
}

const KeyShape kShapes[] = {
    {"all equal", Layout::Random, 1},
    {"two values", Layout::Random, 2},
    {"three values", Layout::Random, 3},
    {"ten values", Layout::Random, 10},
    {"hundred values", Layout::Random, 100},
    {"wide", Layout::Random, 1 << 30},
    {"ascending, ties", Layout::Ascending, 20},
    {"ascending, distinct", Layout::Ascending, 1 << 30},
    {"descending, ties", Layout::Descending, 20},
    {"descending, distinct", Layout::Descending, 1 << 30},
    {"organ pipe", Layout::OrganPipe, 50},
    {"sawtooth", Layout::Sawtooth, 7},
};

TEST(DepthSort, MatchesTheLiteralSortOnEverySizeAndShape)
{
    std::mt19937 random(2113);
    for (const KeyShape& shape : kShapes) {
        for (int32_t count = 1; count <= 300; ++count) {
            const std::vector<int32_t> keys = makeKeys(shape, count, random);
            expectSameAsLiteral(keys, 0, count - 1, std::string(shape.name) + ", " +
                                                         std::to_string(count) + " keys");
        }
        for (int round = 0; round < 4; ++round) {
            const std::vector<int32_t> keys = makeKeys(shape, 2113, random);
            expectSameAsLiteral(keys, 0, 2112, std::string(shape.name) + ", 2113 keys");
        }
    }
}

// Every way up to six keys can compare (each key one of n values, all n^n
// arrays): the short ranges where the sort takes its shortcuts.
TEST(DepthSort, MatchesTheLiteralSortOnEveryOrderingOfFewKeys)
{
    for (int32_t n = 1; n <= 6; ++n) {
        int32_t arrays = 1;
        for (int32_t t = 0; t < n; ++t) {
            arrays *= n;
        }
        for (int32_t code = 0; code < arrays; ++code) {
            std::vector<int32_t> keys(n);
            for (int32_t r = 0, digits = code; r < n; ++r, digits /= n) {
                keys[r] = 1000 * (digits % n) - 7;
            }
            expectSameAsLiteral(keys, 0, n - 1, std::to_string(n) + " keys, code " +
                                                    std::to_string(code));
        }
    }
}

TEST(DepthSort, MatchesTheLiteralSortAtTheKeyExtremes)
{
    std::mt19937 random(7);
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    std::uniform_int_distribution<int> pick(0, 6);
    for (const int32_t count : {2, 3, 17, 33, 64, 65, 500}) {
        std::vector<int32_t> keys(count);
        for (int32_t& k : keys) {
            k = extremes[pick(random)];
        }
        expectSameAsLiteral(keys, 0, count - 1, "extremes, " + std::to_string(count));
    }
}

// The kernel reads whole windows of keys around a range; the records beyond it,
// here keys that would stop one scan or the other at once, must neither steer
// the result nor be moved.
TEST(DepthSort, SubRangesIgnoreTheirNeighbours)
{
    std::mt19937 random(90);
    std::uniform_int_distribution<int32_t> wild(-5, 5);
    const std::pair<int32_t, int32_t> neighbours[] = {{INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN}};
    for (const auto& [before, after] : neighbours) {
        for (const int32_t count : {1, 2, 5, 6, 9, 31, 32, 33, 100, 257}) {
            for (const int32_t margin : {0, 1, 7, 40}) {
                std::vector<int32_t> keys(count + 2 * margin, after);
                std::fill(keys.begin(), keys.begin() + margin, before);
                for (int32_t i = margin; i < margin + count; ++i) {
                    keys[i] = wild(random);
                }
                expectSameAsLiteral(keys, margin, margin + count - 1,
                                    "range of " + std::to_string(count) + " after " +
                                        std::to_string(margin));
            }
        }
    }
}

// Keys of the demo's faces as sortFaces computes them, recovered from a frame's
// sorted records: position p holds the key of face drawOrder[p].
std::vector<int32_t> frameKeys(const std::vector<Face>& sorted)
{
    std::vector<int32_t> keys(sorted.size());
    for (const Face& f : sorted) {
        keys[f.drawOrder] = f.depthKey;
    }
    return keys;
}

TEST(DepthSort, MatchesTheLiteralSortOnTheDemosFrames)
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, 17});
    for (int32_t frame = 1; frame <= 200; ++frame) {
        sceneRenderFrame(scene);
        if (frame % 25 != 1) {
            continue;
        }
        // The whole sortFaces against keying by hand and the literal sort.
        std::vector<Face> expected = scene.faces;
        for (size_t i = 0; i < expected.size(); ++i) {
            const double sum = static_cast<double>(scene.vertices[expected[i].i1].view.z) +
                               scene.vertices[expected[i].i0].view.z +
                               scene.vertices[expected[i].i2].view.z;
            expected[i].depthKey = static_cast<int32_t>(std::nearbyint(sum));
            expected[i].drawOrder = static_cast<int32_t>(i);
        }
        literalQuickSort(expected, 0, static_cast<int32_t>(expected.size()) - 1);
        std::vector<Face> actual = scene.faces;
        sortFaces(scene.vertices, actual, scratch);
        for (size_t p = 0; p < actual.size(); ++p) {
            ASSERT_EQ(actual[p].depthKey, expected[p].depthKey) << "frame " << frame << " " << p;
            ASSERT_EQ(actual[p].drawOrder, expected[p].drawOrder) << "frame " << frame << " " << p;
        }
        const std::vector<int32_t> keys = frameKeys(scene.faces);
        expectSameAsLiteral(keys, 0, static_cast<int32_t>(keys.size()) - 1,
                            "frame " + std::to_string(frame));
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

// The window masks, whichever file the build linked, bit for bit against the
// scan stops they stand for: ties with the pivot, the key extremes, and keys
// that differ only in the sign bit or the low byte.
TEST(DepthSortWindow, MasksMarkExactlyTheScansStops)
{
    std::mt19937 random(44);
    const int32_t pool[] = {INT_MIN, INT_MIN + 1, -256, -1, 0, 1, 255, 256, INT_MAX - 1, INT_MAX};
    std::uniform_int_distribution<size_t> pick(0, std::size(pool) - 1);
    std::uniform_int_distribution<int32_t> anything(INT_MIN, INT_MAX);
    std::vector<int32_t> keys(kSortWindow);
    for (int round = 0; round < 2000; ++round) {
        for (int32_t& k : keys) {
            k = round % 2 == 0 ? pool[pick(random)] : anything(random);
        }
        const int32_t pivot = round % 3 == 0 ? anything(random) : keys[pick(random) % keys.size()];
        uint32_t atLeast = 0;
        uint32_t atMostDown = 0;
        for (int32_t t = 0; t < kSortWindow; ++t) {
            atLeast |= static_cast<uint32_t>(keys[t] >= pivot) << t;
            atMostDown |= static_cast<uint32_t>(keys[kSortWindow - 1 - t] <= pivot) << t;
        }
        ASSERT_EQ(sortWindowAtLeast(keys.data(), pivot), atLeast) << "round " << round;
        ASSERT_EQ(sortWindowAtMostDown(keys.data() + kSortWindow - 1, pivot), atMostDown)
            << "round " << round;
    }
}

} // namespace
