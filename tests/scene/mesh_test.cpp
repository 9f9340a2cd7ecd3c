// The twisted tube: every frame of a long run against a transcription of the
// formulas that rounds at each step. (Topology and colours are every pinned
// run's.)
#include "float32.h"
#include "mesh.h"
#include "trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct Tube {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
};

Tube buildTube()
{
    Tube tube;
    initTube(tube.vertices, kTubeRings, kTubePointsPerRing);
    buildFaces(tube.vertices, tube.faces, kTubeRings, kTubePointsPerRing, false);
    return tube;
}

// twistTube transcribed from its formulas for the demo's 32 x 32 tube of radius
// 100: double inside each formula, and each named intermediate and stored field
// rounded through roundToFloat32, so no optimiser can skip or merge a rounding.
void strictTwistTube(std::vector<Vertex>& vertices, float twistStep, int32_t frameCounter,
                     float& wavePhase)
{
    wavePhase = roundToFloat32(wavePhase + 0.1);
    float z = roundToFloat32(15.75 * 32 / 2);
    float ringAngle = 0.0f;
    for (int j = 0; j < 32; ++j) {
        const float wobble = roundToFloat32(trigSin((double(wavePhase) + j) * 3.141593 / 10) * 10);
        const float t = roundToFloat32(j + frameCounter * 0.3);
        const float centreX = roundToFloat32(trigCos(9.424779 * t / 32) * 40);
        const float centreY = roundToFloat32(trigSin(9.424779 * t / 32) * 40);
        for (int k = 0; k < 32; ++k) {
            const float a = roundToFloat32(6.283186 / 32 * k);
            const double angle = double(ringAngle) + a;
            Vertex& v = vertices[32 * j + k];
            v.pos.x = roundToFloat32((100.0 + wobble) * trigCos(angle) + centreX);
            v.pos.y = roundToFloat32((100.0 + wobble) * trigSin(angle) + centreY);
            v.pos.z = -z;
            v.normal = Vec3{roundToFloat32(double(v.pos.x) - centreX),
                            roundToFloat32(double(v.pos.y) - centreY), v.pos.z};
            normalizeVec3(v.normal);
        }
        ringAngle = roundToFloat32(double(ringAngle) + twistStep);
        z = roundToFloat32(double(z) - 15.75);
    }
}

bool sameBits(const Vec3& a, const Vec3& b)
{
    return std::memcmp(&a, &b, sizeof(Vec3)) == 0;
}

TEST(Mesh, EveryFrameOfALongRunIsTheStrictTranscriptionToTheBit)
{
    constexpr int32_t kFrames = 3000;
    Tube tube = buildTube();
    std::vector<Vertex> strict = tube.vertices;
    float wavePhase = 0.0f;
    float strictPhase = 0.0f;
    int32_t framesOff = 0;
    for (int32_t frame = 1; frame <= kFrames; ++frame) {
        const float twist = static_cast<float>(trigSin(frame * 3.141593 / 180) * 0.3171);
        twistTube(tube.vertices, kTubeRadius, kTubeRings, kTubePointsPerRing, twist, frame,
                  wavePhase);
        strictTwistTube(strict, twist, frame, strictPhase);
        int32_t off = 0;
        for (size_t i = 0; i < strict.size(); ++i) {
            off += !sameBits(tube.vertices[i].pos, strict[i].pos) ||
                   !sameBits(tube.vertices[i].normal, strict[i].normal);
        }
        if (off != 0 && framesOff++ < 3) {
            ADD_FAILURE() << "frame " << frame << ": " << off << " vertices differ";
        }
    }
    EXPECT_EQ(framesOff, 0) << "of " << kFrames << " frames";
}

} // namespace
