// The GL demo's camera against values worked out by hand from its numbers:
// gluPerspective(40, 1.33333333333333, 1, 200) and the model-view
// T(0, -1, -20) Rz(spin) Rx(90) of spins 1 (the first frame) and 90.
#include "viewmatrix.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ViewMatrix, ProjectionAndModelViewAreTheDemosCamera)
{
    const double f = 2.7474774194546;  // cot 20 degrees
    const double a = f / 1.33333333333333;
    const double z = -201.0 / 199, w = -400.0 / 199;  // (far + near), 2 far near over (near - far)
    const double c = 0.99984769515639, s = 0.01745240643728;  // cos and sin 1 degree
    const std::pair<ViewMatrixF, std::array<double, 16>> cases[] = {  // column-major
        {viewProjection(), {a, 0, 0, 0, 0, f, 0, 0, 0, 0, z, -1, 0, 0, w, 0}},
        {viewModelView(1), {c, s, 0, 0, 0, 0, 1, 0, s, -c, 0, 0, 0, -1, -20, 1}},
        {viewModelView(90), {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, -1, -20, 1}},
    };
    for (const auto& [got, expected] : cases) {
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(got[i], expected[i], 1e-6 * (1 + std::abs(expected[i]))) << i;
        }
    }
}
