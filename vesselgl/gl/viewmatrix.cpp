// CPU copies of the matrices the fixed-function GL builds from the demo's
// calls. Rotations take the sine and cosine of float radians rounded to
// float, as the GL's own rotation does, so cos(90 degrees) is the small float
// it is there. The portable sine and cosine give every platform the same.
#include "viewmatrix.h"

#include "conventions.h"
#include "glstate.h"
#include "trig.h"

#include <numbers>

namespace {

ViewMatrixF identityF()
{
    ViewMatrixF m{};
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return m;
}

ViewMatrixF translation(float x, float y, float z)
{
    ViewMatrixF m = identityF();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// Rotation about the z axis (axisZ) or the x axis, the only two the demo uses.
ViewMatrixF rotation(float degrees, bool axisZ)
{
    const float radians = static_cast<float>(degrees * std::numbers::pi / kDegreesPerHalfTurn);
    double sine = 0.0;
    double cosine = 0.0;
    trigSinCos(radians, sine, cosine);
    const float s = static_cast<float>(sine);
    const float c = static_cast<float>(cosine);
    ViewMatrixF m = identityF();
    const int u = axisZ ? 0 : 5;   // column-major index of the plane's first axis
    const int v = axisZ ? 5 : 10;  // and of its second
    m[u] = c;
    m[v] = c;
    m[u + 1] = s;   // (second, first)
    m[v - 1] = -s;  // (first, second)
    return m;
}

}  // namespace

ViewMatrixD viewPerspective(double fovy, double aspect, double nearPlane, double farPlane)
{
    ViewMatrixD m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    const double radians = fovy / 2 * std::numbers::pi / kDegreesPerHalfTurn;
    const double deltaZ = farPlane - nearPlane;
    double sine = 0.0;
    double cosine = 0.0;
    trigSinCos(radians, sine, cosine);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0) {
        return m;
    }
    const double cotangent = cosine / sine;
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(farPlane + nearPlane) / deltaZ;
    m[11] = -1.0;
    m[14] = -2.0 * nearPlane * farPlane / deltaZ;
    m[15] = 0.0;
    return m;
}

ViewMatrixF viewMultiply(const ViewMatrixF& a, const ViewMatrixF& b)
{
    ViewMatrixF out{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            out[column * 4 + row] = sum;
        }
    }
    return out;
}

ViewMatrixF viewModelView(int32_t spinAngle)
{
    const ViewMatrixF spun = viewMultiply(translation(0.0f, kViewOffsetY, kViewDistance),
                                          rotation(static_cast<float>(spinAngle), true));
    return viewMultiply(spun, rotation(kUpright, false));
}

ViewMatrixF viewProjection()
{
    const ViewMatrixD p = viewPerspective(kFieldOfView, kAspect, kNearPlane, kFarPlane);
    ViewMatrixF out{};
    for (int i = 0; i < 16; ++i) {
        out[i] = static_cast<float>(p[i]);
    }
    return out;
}
