// The GL demo's projection and model-view matrices computed on the CPU, for
// the GL path that has no matrix stack (WebGL) and for the projection that
// the fixed-function path would otherwise need GLU for. Matrices are 4x4,
// column-major, as glLoadMatrix and glUniformMatrix4fv take them.
#pragma once

#include <array>
#include <cstdint>

using ViewMatrixD = std::array<double, 16>;
using ViewMatrixF = std::array<float, 16>;

// The perspective matrix of gluPerspective(fovy degrees, aspect, near, far),
// with GLU's own formula in double; the identity for degenerate arguments,
// where GLU leaves the matrix unchanged.
ViewMatrixD viewPerspective(double fovy, double aspect, double nearPlane, double farPlane);

// a * b in float, each element summed in column order as the GL does it.
ViewMatrixF viewMultiply(const ViewMatrixF& a, const ViewMatrixF& b);

// The demo's model-view for a frame, T(0, -1, -20) Rz(spin) Rx(90), composed
// from glTranslatef and glRotatef matrices in float as the GL composes them.
ViewMatrixF viewModelView(int32_t spinAngle);

// The demo's projection rounded to float, as the GL stores it.
ViewMatrixF viewProjection();
