// The matrix kit. Products of two floats are exact in double; each running sum
// is rounded to float exactly where the frame's composition expects it to be.
#include "matrix.h"

#include "trig.h"

namespace {

constexpr double kPi = 3.141593;
constexpr double kDegreesPerHalfTurn = 180.0;
constexpr int kRows = 4;
constexpr int kCols = 4;

float degreesToRadians(int32_t degrees)
{
    return static_cast<float>(degrees * kPi / kDegreesPerHalfTurn);
}

// cos and sin of the angle, each rounded to float.
void rotationCosSin(int32_t degrees, float& c, float& s)
{
    double sinAngle = 0.0;
    double cosAngle = 0.0;
    trigSinCos(static_cast<double>(degreesToRadians(degrees)), sinAngle, cosAngle);
    c = static_cast<float>(cosAngle);
    s = static_cast<float>(sinAngle);
}

} // namespace

void matZero(Matrix4& m)
{
    for (auto& row : m.e) {
        for (float& element : row) {
            element = 0.0f;
        }
    }
}

void matIdentity(Matrix4& m)
{
    matZero(m);
    for (int i = 0; i < kRows; ++i) {
        m.e[i][i] = 1.0f;
    }
}

void matRotateX(Matrix4& m, int32_t degrees)
{
    float c = 0.0f;
    float s = 0.0f;
    rotationCosSin(degrees, c, s);
    matIdentity(m);
    m.e[1][1] = c;
    m.e[1][2] = -s;
    m.e[2][1] = s;
    m.e[2][2] = c;
}

void matRotateZ(Matrix4& m, int32_t degrees)
{
    float c = 0.0f;
    float s = 0.0f;
    rotationCosSin(degrees, c, s);
    matIdentity(m);
    m.e[0][0] = c;
    m.e[0][1] = -s;
    m.e[1][0] = s;
    m.e[1][1] = c;
}

void matTranslate(Matrix4& m, float tx, float ty, float tz)
{
    matIdentity(m);
    m.e[0][3] = tx;
    m.e[1][3] = ty;
    m.e[2][3] = tz;
}

void matMultiply(Matrix4& target, const Matrix4& step)
{
    Matrix4 product{};
    for (int i = 0; i < kRows - 1; ++i) {
        for (int j = 0; j < kCols; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < kCols; ++k) {
                sum = static_cast<float>(static_cast<double>(sum) +
                                         static_cast<double>(step.e[i][k]) * target.e[k][j]);
            }
            product.e[i][j] = sum;
        }
    }
    product.e[3][3] = 1.0f;
    target = product;
}

void matTransformPoint(const Matrix4& m, float x, float y, float z, float& outX, float& outY,
                       float& outZ)
{
    const double dx = x;
    const double dy = y;
    const double dz = z;
    outX = static_cast<float>(m.e[0][0] * dx + m.e[0][1] * dy + m.e[0][2] * dz + m.e[0][3]);
    outY = static_cast<float>(m.e[1][0] * dx + m.e[1][1] * dy + m.e[1][2] * dz + m.e[1][3]);
    outZ = static_cast<float>(m.e[2][0] * dx + m.e[2][1] * dy + m.e[2][2] * dz + m.e[2][3]);
}
