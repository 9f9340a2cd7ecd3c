// The matrix kit's rounding points: rotations built from the float angle, sums
// in matMultiply rounded after each addition, matTransformPoint rounded once.
// (Translations and the order of products are every pinned run's.)
#include "matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Matrix, RotationsUseTheFloatAngle)
{
    Matrix4 m;
    matRotateX(m, 90);
    // cos of the float nearest 3.141593 / 2 is a tiny negative, not 0. (The
    // pinned runs do not tell the float angle from the double one.)
    EXPECT_NEAR(m.e[1][1], -1.6292068e-07f, 1e-13f);
    EXPECT_EQ(m.e[2][1], 1.0f);
    EXPECT_EQ(m.e[1][2], -1.0f);
}

TEST(Matrix, MultiplyRoundsEachAdditionAndTransformRoundsOnce)
{
    // 1 + 2^-30 rounds back to 1 in float; adding -1 then gives 0. Rounding
    // only at the end would give 2^-30.
    Matrix4 target;
    matZero(target);
    target.e[0][0] = 1.0f;
    target.e[1][0] = std::ldexp(1.0f, -30);
    target.e[2][0] = -1.0f;
    Matrix4 step;
    matZero(step);
    step.e[0][0] = step.e[0][1] = step.e[0][2] = 1.0f;
    matMultiply(target, step);
    EXPECT_EQ(target.e[0][0], 0.0f);
    // The transform sums in double: 1 + 2^-30 - 1 stays 2^-30.
    Matrix4 m;
    matZero(m);
    m.e[0][0] = m.e[0][1] = 1.0f;
    m.e[0][3] = -1.0f;
    float x = 0, y = 0, z = 0;
    matTransformPoint(m, 1.0f, std::ldexp(1.0f, -30), 5.0f, x, y, z);
    EXPECT_EQ(x, std::ldexp(1.0f, -30));
    EXPECT_EQ(y, 0.0f);
}

} // namespace
