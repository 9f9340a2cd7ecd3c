#include "vec3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(NormalizeVec3, RoundsTheScaleToFloatBeforeMultiplying)
{
    // (3, 4, 0): 1/5 as a float is 0.2000000029802..., so 3 * scale rounds to
    // float(0.6000000089...) and not to float(0.6).
    Vec3 v{3.0f, 4.0f, 0.0f};
    normalizeVec3(v);
    const float scale = static_cast<float>(1.0 / 5.0);
    EXPECT_EQ(v.x, static_cast<float>(3.0 * static_cast<double>(scale)));
    EXPECT_EQ(v.y, static_cast<float>(4.0 * static_cast<double>(scale)));
    EXPECT_EQ(v.z, 0.0f);
}

TEST(NormalizeVec3, DegenerateVectorsBecomeUnitZ)
{
    const float inf = std::numeric_limits<float>::infinity();
    const Vec3 cases[] = {
        {0.0f, 0.0f, 0.0f},
        {-0.0f, 0.0f, -0.0f},
        {inf, 1.0f, 0.0f},  // 1 / length is 0
    };
    for (Vec3 v : cases) {
        normalizeVec3(v);
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, 1.0f);
    }
}

TEST(NormalizeVec3, TinyVectorsStayFiniteAndUnitLength)
{
    const float tiny = std::numeric_limits<float>::denorm_min();
    Vec3 v{tiny, 0.0f, -tiny};
    normalizeVec3(v);
    EXPECT_FLOAT_EQ(v.x, static_cast<float>(1.0 / std::sqrt(2.0)));
    EXPECT_FLOAT_EQ(v.z, -static_cast<float>(1.0 / std::sqrt(2.0)));
    EXPECT_EQ(v.y, 0.0f);
}
