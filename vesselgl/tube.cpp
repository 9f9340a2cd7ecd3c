// Builds the GL demo's tube. Every formula runs in long double with the program's
// constants exactly as written (9.424779, 6.283186 and 3.141593 are not exact
// multiples of pi) and is rounded to float once, where a value is kept.
#include "tube.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr long double kCentreSweep = 9.424779L;   // radians the centres wind over all rings
constexpr long double kFullTurn = 6.283186L;
constexpr long double kHalfTurn = 3.141593L;
constexpr long double kCentreRadius = 2.8L;
constexpr long double kRingSpacing = 0.75L;
constexpr long double kTimeScroll = 0.3L;          // rings the centre path moves per unit of time
constexpr long double kPhaseStep = 0.1L;
constexpr long double kWaveLength = 8.0L;          // half a ripple period, in rings
constexpr long double kTextureRepeats = 2.0L;
constexpr int kRandomResolution = 32768;           // 15-bit random numbers

struct RingFrame {
    float cx;
    float cy;
    long double rho;  // radius of this ring, deliberately not rounded
    float z;
    float offset;     // accumulated twist of this ring
    float s;          // texture coordinate along the tube
};

// A whole-number count held in a float, rounded half to even; -1 when unusable.
long countFromFloat(float value)
{
    if (!std::isfinite(value)) {
        return -1;
    }
    const long double rounded = std::nearbyint(static_cast<long double>(value));
    if (rounded < 1.0L || rounded > static_cast<long double>(kTubeMaxVertices)) {
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

// The C library's generator reduced to 15 bits, as the demo's random source.
float randomUnit()
{
    const int value = std::rand() % kRandomResolution;
    return static_cast<float>(value) / static_cast<float>(kRandomResolution);
}

void buildRing(TubeMesh& mesh, long first, const RingFrame& ring, float segments,
               long pointCount)
{
    const long double seg = segments;
    for (long k = 0; k < pointCount; ++k) {
        const long n = first + k;
        const float theta = static_cast<float>(kFullTurn / seg * k);
        const long double angle = static_cast<long double>(ring.offset) + theta;
        Vec3& v = mesh.vertices[n];
        v.x = static_cast<float>(ring.rho * std::cos(angle) + ring.cx);
        v.y = static_cast<float>(ring.rho * std::sin(angle) + ring.cy);
        v.z = ring.z;
        // The normal keeps the vertex's own z, so it leans along the axis
        // away from the middle ring.
        Vec3& normal = mesh.normals[n];
        normal.x = static_cast<float>(static_cast<long double>(v.x) - ring.cx);
        normal.y = static_cast<float>(static_cast<long double>(v.y) - ring.cy);
        normal.z = v.z;
        normalizeVec3(normal);
        mesh.texCoords[n] = TexCoord{ring.s, static_cast<float>(k / seg * kTextureRepeats)};
    }
}

void fillPair(Triangle* pair, long p, long segments, long count)
{
    pair[0] = Triangle{static_cast<int32_t>((p + segments + 1) % count),
                       static_cast<int32_t>((p + segments) % count),
                       static_cast<int32_t>(p % count),
                       0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, randomUnit()};
    pair[1] = Triangle{static_cast<int32_t>(p % count),
                       static_cast<int32_t>((p + 1) % count),
                       static_cast<int32_t>((p + segments + 1) % count),
                       1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, randomUnit()};
}

}  // namespace

void buildTube(TubeMesh& mesh, float radius, float rings, float segments, float twist,
               float time)
{
    mesh.phase = static_cast<float>(mesh.phase + kPhaseStep);
    const long ringCount = countFromFloat(rings);
    const long segmentCount = countFromFloat(segments);
    const long count = vertexCount(ringCount, segmentCount);
    // assign() re-zeroes in place: the storage of the previous frame is reused.
    const size_t size = count < 0 ? 0 : static_cast<size_t>(count);
    mesh.vertices.assign(size, Vec3{});
    mesh.normals.assign(size, Vec3{});
    mesh.texCoords.assign(size, TexCoord{});
    if (count < 0) {
        return;
    }
    const long double ringsL = rings;
    float zc = static_cast<float>(ringsL * kRingSpacing / 2.0L);
    float offset = 0.0f;
    for (long i = 0; i < ringCount; ++i) {
        const float ti = static_cast<float>(i + kTimeScroll * time);
        const long double sweep = kCentreSweep * ti / ringsL;
        RingFrame ring{};
        ring.cx = static_cast<float>(std::cos(sweep) * kCentreRadius);
        ring.cy = static_cast<float>(std::sin(sweep) * kCentreRadius);
        ring.rho = std::sin((mesh.phase + static_cast<long double>(i)) * kHalfTurn / kWaveLength) +
                   radius;
        ring.z = -zc;
        ring.offset = offset;
        ring.s = static_cast<float>(i / ringsL * kTextureRepeats);
        buildRing(mesh, i * (segmentCount + 1), ring, segments, segmentCount + 1);
        offset = static_cast<float>(static_cast<long double>(twist) + offset);
        zc = static_cast<float>(zc - kRingSpacing);
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
