// The tube's builders. Named intermediates (a, wobble, t, centres, z, ringAngle)
// are floats, rounded once when computed; each formula runs in double with the
// constants exactly as written, and sin, cos are trig.h's correctly rounded
// ones, so every compiler and C library gives the same tube. The values kept
// per ring are rounded through roundToFloat32, since they are widened again
// for every point and a merged rounding would move whole rings.
#include "mesh.h"

#include "conventions.h"
#include "float32.h"
#include "trig.h"

#include <cassert>
#include <cstddef>

namespace {

constexpr float kRingSpacing = 15.75f;
constexpr double kWavePhaseStep = 0.1;
constexpr double kHelixRadius = 40.0;
constexpr double kWobbleAmplitude = 10.0;
constexpr double kWobbleRings = 10.0;
constexpr double kHelixFramePace = 0.3;

// 1 when the random number exceeds one half, else 0 (one half itself gives 0).
int32_t drawRandomBit(bool drawRandom)
{
    if (!drawRandom) {
        return 0;
    }
    return randomUnit() > 0.5 ? 1 : 0;
}

// A product's bits masked to a byte: 1 * 255 gives 255, 2 * 255 gives 254, 4 * 255 gives 252.
float colourLevel(int32_t remainder)
{
    return static_cast<float>((remainder * 255) & 255);
}

void fillQuadFaces(std::vector<Face>& faces, int32_t f, int32_t pointsPerRing, int32_t base,
                   int32_t k, int32_t m, bool drawRandom)
{
    Face& first = faces[f];
    first.i0 = (pointsPerRing + k + base + 1) % m;
    first.i1 = (pointsPerRing + k + base) % m;
    first.i2 = (base + k) % m;
    first.randomBit = drawRandomBit(drawRandom);
    first.texU0 = 0, first.texV0 = 0, first.texU1 = 1, first.texV1 = 0;
    first.texU2 = 1, first.texV2 = 1;

    Face& second = faces[f + 1];
    second.i0 = (base + k) % m;
    second.i1 = (base + k + 1) % m;
    second.i2 = (pointsPerRing + k + base + 1) % m;
    second.randomBit = drawRandomBit(drawRandom);
    second.texU0 = 1, second.texV0 = 1, second.texU1 = 0, second.texV1 = 1;
    second.texU2 = 0, second.texV2 = 0;
}

// The angles around a ring, float(6.283186 / pointsPerRing * k), are the same
// on every ring and every frame: kept with their sines and cosines, so that
// each point's come from the addition theorem on the ring's twist. Per
// thread, so that scenes on different threads never share it.
struct KeptAround {
    int32_t points = 0;
    std::vector<TrigAngle> angles;
    std::vector<TrigPair> sums;
};

KeptAround& keptAround(int32_t pointsPerRing)
{
    thread_local KeptAround kept;
    if (kept.points != pointsPerRing) {
        kept.angles.resize(static_cast<size_t>(pointsPerRing));
        kept.sums.resize(static_cast<size_t>(pointsPerRing));
        for (int32_t k = 0; k < pointsPerRing; ++k) {
            kept.angles[k] = trigAngle(static_cast<float>(kTwoPi / pointsPerRing * k));
        }
        kept.points = pointsPerRing;
    }
    return kept;
}

void twistRing(Vertex* ring, double radius, int32_t pointsPerRing, float ringAngle, float z,
               float wobble, float centreX, float centreY)
{
    KeptAround& around = keptAround(pointsPerRing);
    // ringAngle + a stays in double inside the sine and cosine: the sums are
    // those of trigSinCos(double(ringAngle) + double(a)), bit for bit.
    trigSinCosSums(trigAngle(ringAngle), around.angles.data(), pointsPerRing, around.sums.data());
    for (int32_t k = 0; k < pointsPerRing; ++k) {
        const TrigPair& trig = around.sums[k];
        Vertex& v = ring[k];
        v.pos.x = static_cast<float>((radius + wobble) * trig.c + centreX);
        v.pos.y = static_cast<float>((radius + wobble) * trig.s + centreY);
        v.pos.z = -z;
        // The normal's components are floats before normalising, taken from
        // the stored position.
        v.normal.x = static_cast<float>(static_cast<double>(v.pos.x) - centreX);
        v.normal.y = static_cast<float>(static_cast<double>(v.pos.y) - centreY);
        v.normal.z = v.pos.z;
    }
    // Normalised in a pass of their own: with no sin and cos calls in between,
    // the square roots and divisions of neighbouring points overlap.
    for (int32_t k = 0; k < pointsPerRing; ++k) {
        normalizeVec3(ring[k].normal);
    }
}

} // namespace

void initTube(std::vector<Vertex>& vertices, int32_t rings, int32_t pointsPerRing)
{
    assert(rings >= 1 && pointsPerRing >= 1);
    vertices.assign(static_cast<size_t>(rings) * pointsPerRing + 1, Vertex{});
}

void buildFaces(std::vector<Vertex>& vertices, std::vector<Face>& faces, int32_t rings,
                int32_t pointsPerRing, bool drawRandom)
{
    assert(rings >= 2 && pointsPerRing >= 1);
    assert(vertices.size() == static_cast<size_t>(rings) * pointsPerRing + 1);
    const int32_t m = (pointsPerRing + 1) * rings;
    faces.assign(static_cast<size_t>(2) * m + 1, Face{});
    int32_t f = 0;
    int32_t c = 0;
    for (int32_t j = 0; j <= rings - 3; ++j) {
        const int32_t base = pointsPerRing * j;
        for (int32_t k = 0; k <= pointsPerRing; ++k) {
            fillQuadFaces(faces, f, pointsPerRing, base, k, m, drawRandom);
            f += 2;
            // The running counter c, not the ring point 32 * j + k, gets the colour.
            Vertex& v = vertices[c];
            v.red = colourLevel((4 * j) % 6);
            v.green = colourLevel((3 * k) % 3);
            v.blue = colourLevel((14 * j + 4 * k) % 3);
            ++c;
        }
    }
}

void twistTube(std::vector<Vertex>& vertices, int32_t radius, int32_t rings,
               int32_t pointsPerRing, float twistStep, int32_t frameCounter, float& wavePhase)
{
    assert(vertices.size() >= static_cast<size_t>(rings) * pointsPerRing);
    wavePhase = roundToFloat32(wavePhase + kWavePhaseStep);
    float z = roundToFloat32(static_cast<double>(kRingSpacing) * rings / 2);
    float ringAngle = 0.0f;
    for (int32_t j = 0; j < rings; ++j) {
        const float wobble = roundToFloat32(
            trigSin((static_cast<double>(wavePhase) + j) * kPi / kWobbleRings) *
            kWobbleAmplitude);
        const float t = roundToFloat32(j + frameCounter * kHelixFramePace);
        const double helixAngle = kThreePi * t / rings;
        double helixSin = 0.0;
        double helixCos = 0.0;
        trigSinCos(helixAngle, helixSin, helixCos);
        // A trap: GCC 12, vectorising this pair, added the unrounded doubles to
        // the points and moved whole rings by a float step.
        const float centreX = roundToFloat32(helixCos * kHelixRadius);
        const float centreY = roundToFloat32(helixSin * kHelixRadius);
        twistRing(&vertices[static_cast<size_t>(j) * pointsPerRing], radius, pointsPerRing,
                  ringAngle, z, wobble, centreX, centreY);
        ringAngle = roundToFloat32(static_cast<double>(ringAngle) + twistStep);
        z = roundToFloat32(static_cast<double>(z) - kRingSpacing);
    }
}
