// Projection and depth ordering. Distances and keys are rounded half to even;
// the quicksort follows one fixed sequence of scans and exchanges because the
// order it leaves equal keys in decides which face is painted last.
#include "project.h"

#include "rounding.h"

#include <cassert>

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

void exchangeKeys(Face& a, Face& b)
{
    const int32_t key = a.depthKey;
    const int32_t order = a.drawOrder;
    a.depthKey = b.depthKey;
    a.drawOrder = b.drawOrder;
    b.depthKey = key;
    b.drawOrder = order;
}

// One partition of low..high around the middle key; i and j end where the
// scans crossed.
void partitionFaces(Face* faces, int32_t low, int32_t high, int32_t& i, int32_t& j)
{
    i = low;
    j = high;
    const int32_t pivot = faces[(low + high) / 2].depthKey;
    do {
        while (faces[i].depthKey < pivot) {
            ++i;
        }
        while (faces[j].depthKey > pivot) {
            --j;
        }
        if (i <= j) {
            exchangeKeys(faces[i], faces[j]);
            ++i;
            --j;
        }
    } while (i <= j);
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
    // Entry 0 is unused: sp names the next free entry and the stack is empty at 1.
    IndexRange rangeStack[kRangeStackSize + 1];
    int sp = 1;
    rangeStack[sp++] = IndexRange{low, high};
    Face* data = faces.data();
    while (sp != 1) {
        --sp;
        int32_t left = rangeStack[sp].low;
        int32_t right = rangeStack[sp].high;
        do {
            int32_t i = 0;
            int32_t j = 0;
            partitionFaces(data, left, right, i, j);
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
        } while (left < right);
    }
}
