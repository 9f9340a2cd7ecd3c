// The matrix kit's rounding points: rotations built from the float angle, sums
// in matMultiply rounded after each addition, matTransformPoint rounded once.
#include "matrix.h"
#include "trig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Matrix, RotateXByNinetyKeepsTheFloatAnglesTinyCosine)
{
    Matrix4 m;
    matRotateX(m, 90);
    const float angle = static_cast<float>(90 * 3.141593 / 180);
    EXPECT_EQ(m.e[1][1], static_cast<float>(trigCos(static_cast<double>(angle))));
    EXPECT_NEAR(m.e[1][1], -1.6292068e-07f, 1e-13f);
    EXPECT_EQ(m.e[2][1], 1.0f);
    EXPECT_EQ(m.e[1][2], -1.0f);
    EXPECT_EQ(m.e[0][0], 1.0f);
    EXPECT_EQ(m.e[3][3], 1.0f);
}

TEST(Matrix, RotateZByZeroIsTheExactIdentity)
{
    Matrix4 m;
    Matrix4 identity;
    matRotateZ(m, 0);
    matIdentity(identity);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m.e[r][c], identity.e[r][c]) << r << "," << c;
        }
    }
}

TEST(Matrix, MultiplyForcesRowFourAndPutsTheStepOnTheLeft)
{
    Matrix4 target;
    matZero(target);
    target.e[0][1] = 3.0f;
    target.e[3][0] = 7.0f;  // a stray fourth row is read for k = 4, then replaced
    Matrix4 step;
    matIdentity(step);
    matMultiply(target, step);
    EXPECT_EQ(target.e[0][1], 3.0f);
    EXPECT_EQ(target.e[3][0], 0.0f);
    EXPECT_EQ(target.e[3][3], 1.0f);

    Matrix4 zero;
    matZero(zero);
    matTranslate(step, 1.0f, 2.0f, 3.0f);
    matMultiply(zero, step);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(zero.e[0][c], 0.0f);
        EXPECT_EQ(zero.e[2][c], 0.0f);
    }
    EXPECT_EQ(zero.e[3][3], 1.0f);

    // T * Rz(90): the point (1, 0, 0) turns to +Y first, then moves by (1, 2, 3).
    Matrix4 frame;
    matRotateZ(frame, 90);
    matMultiply(frame, step);
    float x = 0, y = 0, z = 0;
    matTransformPoint(frame, 1.0f, 0.0f, 0.0f, x, y, z);
    EXPECT_NEAR(x, 1.0f, 1e-6f);
    EXPECT_EQ(y, 3.0f);
    EXPECT_EQ(z, 3.0f);
}

TEST(Matrix, MultiplyRoundsTheRunningSumAfterEachAddition)
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
    step.e[0][0] = 1.0f;
    step.e[0][1] = 1.0f;
    step.e[0][2] = 1.0f;
    matMultiply(target, step);
    EXPECT_EQ(target.e[0][0], 0.0f);
}

TEST(Matrix, TransformPointRoundsEachSumOnceAtTheEnd)
{
    // In double 1 + 2^-30 - 1 is 2^-30; rounding after each addition would give 0.
    Matrix4 m;
    matZero(m);
    m.e[0][0] = 1.0f;
    m.e[0][1] = 1.0f;
    m.e[0][3] = -1.0f;
    float x = 0, y = 0, z = 0;
    matTransformPoint(m, 1.0f, std::ldexp(1.0f, -30), 5.0f, x, y, z);
    EXPECT_EQ(x, std::ldexp(1.0f, -30));
    EXPECT_EQ(y, 0.0f);
    EXPECT_EQ(z, 0.0f);
}

} // namespace
