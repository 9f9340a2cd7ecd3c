// Projection. Distances to the eye are rounded half to even before the
// perspective division.
#include "project.h"

#include "raster.h"
#include "rounding.h"

namespace {

constexpr double kEyeZ = 256.0;
constexpr double kFocalLength = 256.0;
constexpr double kScreenCentreX = kFrameWidth / 2;
constexpr double kScreenCentreY = kFrameHeight / 2;

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
