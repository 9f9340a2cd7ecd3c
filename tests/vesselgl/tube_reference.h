// buildTube transcribed step by step from its formulas, with none of the
// builder's shortcuts, for the checks and the benchmark: Real is the precision
// inside each formula and round(x) is each float(...) of the formulas. Rounding
// through roundToFloat32 gives an evaluation no optimiser can merge; a plain
// static_cast gives the plain evaluation the builder is timed against. Only for
// valid counts (the demo's 42 rings of 32 segments).
#pragma once

#include "trig.h"
#include "tube.h"

#include <cmath>

// The constants are long double literals: rounded to double, each is the double
// literal, so one transcription serves both precisions.
static_assert(double(9.424779L) == 9.424779 && double(6.283186L) == 6.283186 &&
              double(3.141593L) == 3.141593 && double(2.8L) == 2.8 && double(0.3L) == 0.3 &&
              double(0.1L) == 0.1);

// The builder's sine and cosine in double, the C library's in long double.
inline double referenceSin(double x)
{
    return trigSin(x);
}
inline double referenceCos(double x)
{
    return trigCos(x);
}
inline long double referenceSin(long double x)
{
    return std::sin(x);
}
inline long double referenceCos(long double x)
{
    return std::cos(x);
}

template <typename Real, typename Round>
void referenceBuildTube(TubeMesh& mesh, float radius, float rings, float segments, float twist,
                        float time, Round round)
{
    const long ringCount = std::lround(rings);
    const long pointCount = std::lround(segments) + 1;
    mesh.vertices.assign(static_cast<size_t>(ringCount * pointCount), Vec3{});
    mesh.normals.assign(mesh.vertices.size(), Vec3{});
    mesh.texCoords.assign(mesh.vertices.size(), TexCoord{});
    mesh.phase = round(mesh.phase + Real(0.1L));
    float zc = round(Real(rings) * Real(0.75L) / Real(2.0L));
    float offset = 0.0f;
    long n = 0;
    for (long i = 0; i < ringCount; ++i) {
        const float ti = round(Real(i) + Real(0.3L) * time);
        const float cx = round(referenceCos(Real(9.424779L) * ti / rings) * Real(2.8L));
        const float cy = round(referenceSin(Real(9.424779L) * ti / rings) * Real(2.8L));
        const Real rho =
            referenceSin((mesh.phase + Real(i)) * Real(3.141593L) / Real(8.0L)) + radius;
        for (long k = 0; k < pointCount; ++k, ++n) {
            const float theta = round(Real(6.283186L) / segments * Real(k));
            const Real angle = Real(offset) + theta;
            Vec3& v = mesh.vertices[n];
            v = Vec3{round(rho * referenceCos(angle) + cx), round(rho * referenceSin(angle) + cy),
                     -zc};
            mesh.normals[n] = Vec3{round(Real(v.x) - cx), round(Real(v.y) - cy), v.z};
            normalizeVec3(mesh.normals[n]);
            mesh.texCoords[n] = TexCoord{round(Real(i) / rings * Real(2.0L)),
                                         round(Real(k) / segments * Real(2.0L))};
        }
        offset = round(Real(twist) + offset);
        zc = round(Real(zc) - Real(0.75L));
    }
}
