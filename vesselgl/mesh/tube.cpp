// Builds the GL demo's tube. Every formula runs in double with the program's
// constants exactly as written (9.424779, 6.283186 and 3.141593 are not exact
// multiples of pi) and is rounded to float once, where a value is kept. Double on
// every platform, and trig.h's correctly rounded sine and cosine, so desktop and
// web build the same mesh: long double is a software float in WebAssembly and
// differs in width elsewhere, and C libraries round sin and cos differently.
#include "tube.h"

#include "conventions.h"
#include "float32.h"
#include "trig.h"

#include <cmath>

namespace {

constexpr double kCentreSweep = kThreePi;  // radians the centres wind over all rings
constexpr double kCentreRadius = 2.8;
constexpr double kRingSpacing = 0.75;
constexpr double kTimeScroll = 0.3;         // rings the centre path moves per unit of time
constexpr double kPhaseStep = 0.1;
constexpr double kWaveLength = 8.0;         // half a ripple period, in rings
constexpr double kTextureRepeats = 2.0;

struct RingFrame {
    float cx;
    float cy;
    double rho;    // radius of this ring, deliberately not rounded
    float z;
    float offset;  // accumulated twist of this ring
    float s;       // texture coordinate along the tube
};

// A whole-number count held in a float, rounded half to even; -1 when unusable.
long countFromFloat(float value)
{
    if (!std::isfinite(value)) {
        return -1;
    }
    const double rounded = std::nearbyint(static_cast<double>(value));
    if (rounded < 1.0 || rounded > static_cast<double>(kTubeMaxVertices)) {
        return -1;
    }
    return static_cast<long>(rounded);
}

// -1 unless rings * (segments + 1) is a usable vertex count.
long vertexCount(long rings, long segments)
{
    if (rings < 1 || segments < 1 || segments >= kTubeMaxVertices) {
        return -1;
    }
    const long count = rings * (segments + 1);
    return count > kTubeMaxVertices ? -1 : count;
}

// Ring i's centre, radius and place. The values kept per ring are widened again
// for every point: rounded where no optimiser can skip the rounding (float32.h).
RingFrame ringFrame(long i, double rings, float phase, float radius, float time, float zc,
                    float offset)
{
    const float ti = roundToFloat32(static_cast<double>(i) + kTimeScroll * time);
    const double sweep = kCentreSweep * ti / rings;
    const double ripple = (phase + static_cast<double>(i)) * kPi / kWaveLength;
    RingFrame ring{};
    double sweepSin = 0.0;
    double sweepCos = 0.0;
    trigSinCos(sweep, sweepSin, sweepCos);
    ring.cx = roundToFloat32(sweepCos * kCentreRadius);
    ring.cy = roundToFloat32(sweepSin * kCentreRadius);
    ring.rho = trigSin(ripple) + radius;
    ring.z = -zc;
    ring.offset = offset;
    ring.s = static_cast<float>(static_cast<double>(i) / rings * kTextureRepeats);
    return ring;
}

// A ring's positions, from the sines and cosines of the ring's twist plus each
// kept angle around it.
void placeRing(Vec3* points, TrigPair* trig, const RingFrame& ring, const TrigAngle* around,
               long pointCount)
{
    trigSinCosSums(trigAngle(ring.offset), around, pointCount, trig);
    for (long k = 0; k < pointCount; ++k) {
        points[k] = Vec3{static_cast<float>(ring.rho * trig[k].c + ring.cx),
                         static_cast<float>(ring.rho * trig[k].s + ring.cy), ring.z};
    }
}

// Point k's angle is offset + float(thetaStep k), the sum in double: the
// second term, its sine and cosine are the same on every ring and every build.
void keepAround(TubeMesh& mesh, double thetaStep, long pointCount)
{
    if (mesh.aroundStep == thetaStep && mesh.around.size() == static_cast<size_t>(pointCount)) {
        return;
    }
    mesh.around.resize(static_cast<size_t>(pointCount));
    for (long k = 0; k < pointCount; ++k) {
        const float theta = static_cast<float>(thetaStep * static_cast<double>(k));
        mesh.around[k] = trigAngle(theta);
    }
    mesh.aroundStep = thetaStep;
    mesh.ringTrig.resize(static_cast<size_t>(pointCount));
}

// The coordinate around the tube is the same on every ring: ring 0's t values,
// written first by fillAround, are copied rather than divided out again.
void finishRing(Vec3* normals, TexCoord* texCoords, const Vec3* points, const RingFrame& ring,
                const TexCoord* ring0, long pointCount)
{
    for (long k = 0; k < pointCount; ++k) {
        // The normal keeps the vertex's own z, so it leans along the axis
        // away from the middle ring.
        normals[k] = Vec3{static_cast<float>(static_cast<double>(points[k].x) - ring.cx),
                          static_cast<float>(static_cast<double>(points[k].y) - ring.cy),
                          points[k].z};
        normalizeVec3(normals[k]);
        texCoords[k] = TexCoord{ring.s, ring0[k].t};
    }
}

void fillAround(TexCoord* ring0, double segments, long pointCount)
{
    for (long k = 0; k < pointCount; ++k) {
        ring0[k].t = static_cast<float>(static_cast<double>(k) / segments * kTextureRepeats);
    }
}

void fillPair(Triangle* pair, long p, long segments, long count)
{
    pair[0] = Triangle{static_cast<int32_t>((p + segments + 1) % count),
                       static_cast<int32_t>((p + segments) % count),
                       static_cast<int32_t>(p % count),
                       0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, static_cast<float>(randomUnit())};
    pair[1] = Triangle{static_cast<int32_t>(p % count),
                       static_cast<int32_t>((p + 1) % count),
                       static_cast<int32_t>((p + segments + 1) % count),
                       1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, static_cast<float>(randomUnit())};
}

}  // namespace

void buildTube(TubeMesh& mesh, float radius, float rings, float segments, float twist,
               float time)
{
    mesh.phase = roundToFloat32(mesh.phase + kPhaseStep);
    const long ringCount = countFromFloat(rings);
    const long segmentCount = countFromFloat(segments);
    const long count = vertexCount(ringCount, segmentCount);
    // Every entry is rewritten below, so resizing alone gives what zero-filling
    // and refilling would, and the storage of the previous frame is reused.
    const size_t size = count < 0 ? 0 : static_cast<size_t>(count);
    mesh.vertices.resize(size);
    mesh.normals.resize(size);
    mesh.texCoords.resize(size);
    if (count < 0) {
        return;
    }
    const double ringsD = rings;
    const double thetaStep = kTwoPi / static_cast<double>(segments);
    const long pointCount = segmentCount + 1;
    fillAround(mesh.texCoords.data(), segments, pointCount);
    keepAround(mesh, thetaStep, pointCount);
    float zc = roundToFloat32(ringsD * kRingSpacing / 2.0);
    float offset = 0.0f;
    // Each ring in two passes, positions and then normals and texture
    // coordinates, where the square roots and divisions of neighbouring points
    // overlap instead of waiting behind the sines and cosines.
    for (long i = 0; i < ringCount; ++i) {
        const RingFrame ring = ringFrame(i, ringsD, mesh.phase, radius, time, zc, offset);
        const long first = i * pointCount;
        placeRing(&mesh.vertices[first], mesh.ringTrig.data(), ring, mesh.around.data(),
                  pointCount);
        finishRing(&mesh.normals[first], &mesh.texCoords[first], &mesh.vertices[first], ring,
                   mesh.texCoords.data(), pointCount);
        offset = roundToFloat32(static_cast<double>(twist) + offset);
        zc = roundToFloat32(zc - kRingSpacing);
    }
}

void buildTriangles(TubeMesh& mesh, int rings, int segments)
{
    const long count = vertexCount(rings, segments);
    if (count < 0) {
        mesh.triangles.clear();
        return;
    }
    mesh.triangles.assign(static_cast<size_t>(2 * count + 1), Triangle{});
    Triangle* next = mesh.triangles.data();
    // base steps by S, not S + 1: the last point of one strip and the first of
    // the next share a value of p, so those pairs are written twice.
    for (long j = 0; j + 3 < rings; ++j) {
        const long base = j * segments;
        for (long k = 0; k <= segments; ++k) {
            fillPair(next, base + k, segments, count);
            next += 2;
        }
    }
}
