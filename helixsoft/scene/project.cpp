// Projection and depth ordering. Distances and keys are rounded half to even;
// the quicksort follows one fixed sequence of scans and exchanges because the
// order it leaves equal keys in decides which face is painted last.
#include "project.h"

#include "rounding.h"

#include <cassert>
#include <utility>

namespace {

constexpr double kEyeZ = 256.0;
constexpr double kFocalLength = 256.0;
constexpr double kScreenCentreX = 320.0;
constexpr double kScreenCentreY = 240.0;
constexpr int kRangeStackSize = 256;

struct IndexRange {
    int32_t low;
    int32_t high;
};

// The two values the sort moves, packed so that the scans stay in cache.
struct KeyOrder {
    int32_t depthKey;
    int32_t drawOrder;
};

// Working copy of the keys; grows to the largest face array once and is then
// reused, so a frame's sort allocates nothing.
struct SortScratch {
    std::vector<KeyOrder> items;
};

SortScratch sortScratch;

// One partition of low..high around the middle key; i and j end where the
// scans crossed. The pivot value is read once and stays fixed.
void partitionKeys(KeyOrder* items, int32_t low, int32_t high, int32_t& i, int32_t& j)
{
    i = low;
    j = high;
    const int32_t pivot = items[(low + high) / 2].depthKey;
    do {
        while (items[i].depthKey < pivot) {
            ++i;
        }
        while (items[j].depthKey > pivot) {
            --j;
        }
        if (i <= j) {
            std::swap(items[i], items[j]);  // also at i = j, where it changes nothing
            ++i;
            --j;
        }
    } while (i <= j);
}

void quickSortKeys(KeyOrder* items, int32_t low, int32_t high)
{
    // Entry 0 is unused: sp names the next free entry and the stack is empty at 1.
    IndexRange rangeStack[kRangeStackSize + 1];
    int sp = 1;
    rangeStack[sp++] = IndexRange{low, high};
    while (sp != 1) {
        --sp;
        int32_t left = rangeStack[sp].low;
        int32_t right = rangeStack[sp].high;
        do {
            int32_t i = 0;
            int32_t j = 0;
            partitionKeys(items, left, right, i, j);
            // The smaller part goes on at once and the larger waits on the
            // stack, which bounds the stack by log2 of the face count.
            if (j - left < right - i) {
                if (i < right) {
                    rangeStack[sp++] = IndexRange{i, right};
                }
                right = j;
            } else {
                if (left < j) {
                    rangeStack[sp++] = IndexRange{left, j};
                }
                left = i;
            }
            assert(sp <= kRangeStackSize);
        } while (left < right);
    }
}

} // namespace

void projectVertices(std::vector<Vertex>& vertices, const Matrix4& frameMatrix)
{
    const size_t count = vertices.empty() ? 0 : vertices.size() - 1;
    for (size_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        matTransformPoint(frameMatrix, v.pos.x, v.pos.y, v.pos.z, v.view.x, v.view.y, v.view.z);
        // The divisor is the rounded distance, not the exact one. Kept as an
        // integral double: the same value as the 32-bit integer wherever that
        // exists, and no undefined conversion for a wild view z.
        const double d = roundHalfEven(kEyeZ - v.view.z);
        if (!(d > 0.0)) {
            continue;  // at or behind the eye's plane: keep last frame's position
        }
        v.screenX = static_cast<float>(kFocalLength * v.view.x / d + kScreenCentreX);
        v.screenY = static_cast<float>(kScreenCentreY - kFocalLength * v.view.y / d);
    }
}

void sortFaces(const std::vector<Vertex>& vertices, std::vector<Face>& faces)
{
    if (faces.empty()) {
        return;
    }
    const int32_t last = static_cast<int32_t>(faces.size()) - 1;
    for (int32_t i = 0; i <= last; ++i) {
        Face& f = faces[i];
        assert(f.i0 >= 0 && f.i1 >= 0 && f.i2 >= 0);
        assert(static_cast<size_t>(f.i0) < vertices.size() &&
               static_cast<size_t>(f.i1) < vertices.size() &&
               static_cast<size_t>(f.i2) < vertices.size());
        const double sum = static_cast<double>(vertices[f.i1].view.z) + vertices[f.i0].view.z +
                           vertices[f.i2].view.z;
        f.depthKey = roundToInt32(sum);
        f.drawOrder = i;
    }
    quickSortFaces(faces, 0, last);
}

void quickSortFaces(std::vector<Face>& faces, int32_t low, int32_t high)
{
    assert(low >= 0 && low <= high && static_cast<size_t>(high) < faces.size());
    std::vector<KeyOrder>& items = sortScratch.items;
    if (items.size() < faces.size()) {
        items.resize(faces.size());
    }
    for (int32_t i = low; i <= high; ++i) {
        items[i] = KeyOrder{faces[i].depthKey, faces[i].drawOrder};
    }
    quickSortKeys(items.data(), low, high);
    for (int32_t i = low; i <= high; ++i) {
        faces[i].depthKey = items[i].depthKey;
        faces[i].drawOrder = items[i].drawOrder;
    }
}
