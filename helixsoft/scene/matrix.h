// The 4x4 float matrix kit of the software demo. Points are column vectors
// (x, y, z, 1) multiplied from the right; element (row r, column c), 1 to 4 in
// the maths, lives at e[r - 1][c - 1]. Angles are whole degrees, turned into
// radians with 3.141593 as written; sums are taken in double, rounded to float.
#pragma once

#include <cstdint>

struct Matrix4 {
    float e[4][4];
};

void matZero(Matrix4& m);
void matIdentity(Matrix4& m);
// Rotation about X: +Y turns towards +Z.
void matRotateX(Matrix4& m, int32_t degrees);
// Rotation about Z: +X turns towards +Y.
void matRotateZ(Matrix4& m, int32_t degrees);
void matTranslate(Matrix4& m, float tx, float ty, float tz);
// target := step * target for rows 1 to 3, each running sum rounded to float
// after every addition; row 4 becomes (0, 0, 0, 1) whatever the inputs hold.
void matMultiply(Matrix4& target, const Matrix4& step);
// Rows 1 to 3 of m applied to (x, y, z, 1); each sum rounded once, at the end.
void matTransformPoint(const Matrix4& m, float x, float y, float z, float& outX, float& outY,
                       float& outZ);
