// The tube's records: topology, colours, the unused tail records, the twisted
// geometry of the first frame, and every frame of a long run against a
// transcription of the formulas that rounds at each step.
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

bool allZero(const void* record, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(record);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST(Mesh, BuildSizesArraysAndLeavesTheTailRecordsZero)
{
    const Tube tube = buildTube();
    ASSERT_EQ(tube.vertices.size(), 1025u);
    ASSERT_EQ(tube.faces.size(), 2113u);
    for (size_t f = 1980; f < tube.faces.size(); ++f) {
        EXPECT_TRUE(allZero(&tube.faces[f], sizeof(Face))) << "face " << f;
    }
    for (size_t v = 990; v < tube.vertices.size(); ++v) {
        EXPECT_EQ(tube.vertices[v].red + tube.vertices[v].green + tube.vertices[v].blue, 0.0f);
    }
    EXPECT_TRUE(allZero(&tube.vertices[1024], sizeof(Vertex)));
}

TEST(Mesh, FacesFollowTheRingTopologyIncludingTheSeam)
{
    const Tube tube = buildTube();
    const int32_t p = kTubePointsPerRing;
    // Row j = 2, k = 5: ordinary quad; k = 31: seam onto the next ring; k = 32:
    // repeats k = 0 of row 3.
    const Face& first = tube.faces[2 * (33 * 2 + 5)];
    EXPECT_EQ(first.i0, 3 * p + 6);
    EXPECT_EQ(first.i1, 3 * p + 5);
    EXPECT_EQ(first.i2, 2 * p + 5);
    const Face& second = tube.faces[2 * (33 * 2 + 5) + 1];
    EXPECT_EQ(second.i0, 2 * p + 5);
    EXPECT_EQ(second.i1, 2 * p + 6);
    EXPECT_EQ(second.i2, 3 * p + 6);
    EXPECT_EQ(second.texU0, 1);
    EXPECT_EQ(second.texV1, 1);
    const Face& seam = tube.faces[2 * (33 * 2 + 31)];
    EXPECT_EQ(seam.i0, 4 * p);
    EXPECT_EQ(seam.i2, 2 * p + 31);
    const Face& repeat = tube.faces[2 * (33 * 2 + 32)];
    const Face& next = tube.faces[2 * (33 * 3 + 0)];
    EXPECT_EQ(repeat.i0, next.i0);
    EXPECT_EQ(repeat.i1, next.i1);
    EXPECT_EQ(repeat.i2, next.i2);
}

TEST(Mesh, ColoursGoToTheRunningCounterWithMaskedLevels)
{
    const Tube tube = buildTube();
    struct ColourCase {
        int32_t j, k;
        float red, blue;
    };
    // red = (4j mod 6) * 255 & 255, blue = ((14j + 4k) mod 3) * 255 & 255.
    const ColourCase cases[] = {{0, 0, 0, 0},     {0, 1, 0, 255},  {1, 0, 252, 254},
                                {2, 1, 254, 254}, {1, 1, 252, 0},  {29, 32, 254, 0}};
    for (const ColourCase& c : cases) {
        const Vertex& v = tube.vertices[33 * c.j + c.k];
        EXPECT_EQ(v.red, c.red) << c.j << "," << c.k;
        EXPECT_EQ(v.green, 0.0f);
        EXPECT_EQ(v.blue, c.blue) << c.j << "," << c.k;
    }
}

TEST(Mesh, FirstFrameGeometryMatchesTheHelixAndRipple)
{
    Tube tube = buildTube();
    float wavePhase = 0.0f;
    const float twist = static_cast<float>(trigSin(1 * 3.141593 / 180) * 0.3171);
    twistTube(tube.vertices, kTubeRadius, kTubeRings, kTubePointsPerRing, twist, 1, wavePhase);
    EXPECT_EQ(wavePhase, 0.1f);
    // Ring 0, point 0: angle 0, so the point is its centre moved by the radius.
    const float wobble = static_cast<float>(trigSin(0.1f * 3.141593 / 10) * 10);
    EXPECT_NEAR(tube.vertices[0].pos.x - (100.0f + wobble), 39.84396f, 1e-4f);
    EXPECT_NEAR(tube.vertices[0].pos.y, 3.529695f, 1e-5f);
    EXPECT_EQ(tube.vertices[0].pos.z, -252.0f);
    EXPECT_EQ(tube.vertices[31 * 32].pos.z, 236.25f);
    EXPECT_NEAR(tube.vertices[0].normal.z, -0.93f, 0.01f);
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(tube.vertices[16 * 32 + k].normal.z, 0.0f);  // ring 16 lies at z = 0
    }
    const Vertex before = tube.vertices[1024];
    EXPECT_TRUE(allZero(&before, sizeof(Vertex)));
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
