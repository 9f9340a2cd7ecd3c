// The shared vector helper. The squared length and its root are taken in double
// and only the scale is rounded to float, then each product once more.
#include "vec3.h"

#include <cmath>

void normalizeVec3(Vec3& v)
{
    const double x = v.x;
    const double y = v.y;
    const double z = v.z;
    const double lengthSquared = x * x + y * y + z * z;
    const float scale = static_cast<float>(1.0 / std::sqrt(lengthSquared));
    if (lengthSquared == 0.0 || scale == 0.0f) {
        v = Vec3{0.0f, 0.0f, 1.0f};
        return;
    }
    if (std::isinf(scale)) {
        // A length below about 1e-38 has an inverse beyond the float range;
        // dividing in double still gives the unit vector instead of infinities.
        const double length = std::sqrt(lengthSquared);
        v = Vec3{static_cast<float>(x / length), static_cast<float>(y / length),
                 static_cast<float>(z / length)};
        return;
    }
    v.x = static_cast<float>(x * static_cast<double>(scale));
    v.y = static_cast<float>(y * static_cast<double>(scale));
    v.z = static_cast<float>(z * static_cast<double>(scale));
}
