// The GL demo's camera against values worked out by hand from its own numbers:
// gluPerspective(40, 1.33333333333333, 1, 200), and the first frame's
// model-view T(0, -1, -20) Rz(1) Rx(90). Column-major, as the GL takes them.
#include "viewmatrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMatrix(const ViewMatrixF& got, const std::array<double, 16>& expected)
{
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(got[i], expected[i], 1e-6 * (1.0 + std::abs(expected[i]))) << "element " << i;
    }
}

TEST(ViewMatrix, ProjectionAndModelViewAreTheDemosCamera)
{
    const double f = 2.7474774194546;  // cot 20 degrees, half the field of view
    // (far + near) / (near - far) and 2 far near / (near - far)
    const double depth = -201.0 / 199, offset = -400.0 / 199;
    expectMatrix(viewProjection(),
                 {f / 1.33333333333333, 0, 0, 0, 0, f, 0, 0, 0, 0, depth, -1, 0, 0, offset, 0});
    // The tube's z axis becomes the view's -y, turned 1 degree in the screen plane.
    const double c = 0.99984769515639, s = 0.01745240643728;  // cos, sin 1 degree
    expectMatrix(viewModelView(1), {c, s, 0, 0, 0, 0, 1, 0, s, -c, 0, 0, 0, -1, -20, 1});
    expectMatrix(viewModelView(90), {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, -1, -20, 1});
}

}  // namespace
