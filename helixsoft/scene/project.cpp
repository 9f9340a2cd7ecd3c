// Projection and depth ordering. Distances and keys are rounded half to even;
// the quicksort follows one fixed sequence of scans and exchanges because the
// order it leaves equal keys in decides which face is painted last.
#include "project.h"

#include "rounding.h"
#include "sort.h"

#include <cassert>

namespace {

constexpr double kEyeZ = 256.0;
constexpr double kFocalLength = 256.0;
constexpr double kScreenCentreX = 320.0;
constexpr double kScreenCentreY = 240.0;

// Working copy of the keys and face indices; grows to the largest face array
// once and is then reused, so a frame's sort allocates nothing.
DepthSortBuffer sortBuffer;

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
    depthSortReserve(sortBuffer, faces.size());
    int32_t* keys = sortBuffer.keys.data() + kDepthSortSlack;
    int32_t* orders = sortBuffer.orders.data() + kDepthSortSlack;
    for (int32_t i = 0; i <= last; ++i) {
        const Face& f = faces[i];
        assert(f.i0 >= 0 && f.i1 >= 0 && f.i2 >= 0);
        assert(static_cast<size_t>(f.i0) < vertices.size() &&
               static_cast<size_t>(f.i1) < vertices.size() &&
               static_cast<size_t>(f.i2) < vertices.size());
        const double sum = static_cast<double>(vertices[f.i1].view.z) + vertices[f.i0].view.z +
                           vertices[f.i2].view.z;
        keys[i] = roundToInt32(sum);
        orders[i] = i;
    }
    depthSortRange(sortBuffer, 0, last);
    for (int32_t i = 0; i <= last; ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = orders[i];
    }
}

void quickSortFaces(std::vector<Face>& faces, int32_t low, int32_t high)
{
    if (low < 0 || low > high || static_cast<size_t>(high) >= faces.size()) {
        return;  // no such range: nothing to order
    }
    depthSortReserve(sortBuffer, faces.size());
    int32_t* keys = sortBuffer.keys.data() + kDepthSortSlack;
    int32_t* orders = sortBuffer.orders.data() + kDepthSortSlack;
    for (int32_t i = low; i <= high; ++i) {
        keys[i] = faces[i].depthKey;
        orders[i] = faces[i].drawOrder;
    }
    depthSortRange(sortBuffer, low, high);
    for (int32_t i = low; i <= high; ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = orders[i];
    }
}
