#include "float32.h"
#include "tube.h"
#include "tubeanimation.h"
#include "tube_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kVertexCount = kGlTubeRings * (kGlTubeSegments + 1);

TubeMesh startUpMesh()
{
    TubeAnimation tube;
    tubeAnimationStart(tube);
    return tube.mesh;
}

template <typename T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

bool sameMesh(const TubeMesh& a, const TubeMesh& b)
{
    return sameBits(a.vertices, b.vertices) && sameBits(a.normals, b.normals) &&
           sameBits(a.texCoords, b.texCoords) && a.phase == b.phase;
}

}  // namespace

// Every frame against the formulas transcribed with a rounding at each step,
// which no optimiser can skip or merge.
TEST(BuildTube, EveryFrameOfALongRunIsTheStrictTranscriptionToTheBit)
{
    const auto strict = [](double x) { return roundToFloat32(x); };
    TubeAnimation tube;
    TubeMesh reference;
    int framesOff = 0;
    tubeAnimationStart(tube);
    for (int frame = 0; frame <= 3000; ++frame) {
        if (frame > 0) {
            tubeAnimationFrame(tube);
        }
        referenceBuildTube<double>(reference, kGlTubeRadius, float(kGlTubeRings),
                                   float(kGlTubeSegments), tube.clock.twist, tube.clock.frameTime,
                                   strict);
        if (!sameMesh(tube.mesh, reference) && framesOff++ < 3) {
            ADD_FAILURE() << "frame " << frame << " differs";
        }
    }
    EXPECT_EQ(framesOff, 0);
}

bool sameVec3(const Vec3& v, float x, float y, float z)
{
    return v.x == x && v.y == y && v.z == z;
}

TEST(BuildTube, FirstCallGivesTheKnownCornerValues)
{
    const TubeMesh mesh = startUpMesh();
    ASSERT_EQ(mesh.vertices.size(), size_t(kVertexCount));
    ASSERT_EQ(mesh.normals.size(), size_t(kVertexCount));
    ASSERT_EQ(mesh.texCoords.size(), size_t(kVertexCount));
    EXPECT_EQ(mesh.phase, 0.1f);
    EXPECT_TRUE(sameVec3(mesh.vertices[0], 6.3392596f, 0.0f, -15.75f));
    EXPECT_TRUE(sameVec3(mesh.normals[0], 0.21924743f, 0.0f, -0.97566926f));
    EXPECT_TRUE(mesh.texCoords[0].s == 0.0f && mesh.texCoords[0].t == 0.0f);
    // The seam point lies a hair off point 0 because 6.283186 is not 2 pi.
    EXPECT_TRUE(sameVec3(mesh.vertices[32], 6.3392596f, 0.0000023064745f, -15.75f));
    EXPECT_TRUE(mesh.texCoords[32].s == 0.0f && mesh.texCoords[32].t == 2.0f);
}

TEST(BuildTube, UnusableCountsLeaveNothingToDraw)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float rings;
        float segments;
    } cases[] = {
        {42.0f, 0.0f}, {0.0f, 32.0f}, {-3.0f, 32.0f}, {42.0f, -1.0f}, {nan, 32.0f},
        {42.0f, inf},  {42.0f, 0.4f}, {1e9f, 1e9f},   {4.0e6f, 1.0f},
    };
    for (const auto& c : cases) {
        TubeMesh mesh = startUpMesh();
        buildTube(mesh, kGlTubeRadius, c.rings, c.segments, 0.0f, 0.0f);
        EXPECT_TRUE(mesh.vertices.empty()) << c.rings << " x " << c.segments;
        EXPECT_TRUE(mesh.normals.empty());
        EXPECT_TRUE(mesh.texCoords.empty());
        EXPECT_EQ(mesh.phase, 0.2f);
    }
}

TEST(BuildTriangles, ListShapeForTheDemo)
{
    const TubeMesh mesh = startUpMesh();
    ASSERT_EQ(mesh.triangles.size(), 2773u);
    const struct {
        int record;
        int a, b, c;
        float sA, sB, sC;
    } cases[] = {
        {0, 33, 32, 0, 0.0f, 1.0f, 1.0f},   {1, 0, 1, 33, 1.0f, 0.0f, 0.0f},
        {64, 65, 64, 32, 0.0f, 1.0f, 1.0f}, {66, 65, 64, 32, 0.0f, 1.0f, 1.0f},  // the seam twice
        {2572, 1281, 1280, 1248, 0.0f, 1.0f, 1.0f}, {2573, 1248, 1249, 1281, 1.0f, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        const Triangle& t = mesh.triangles[c.record];
        EXPECT_TRUE(t.a == c.a && t.b == c.b && t.c == c.c) << "record " << c.record;
        EXPECT_TRUE(t.sA == c.sA && t.sB == c.sB && t.sC == c.sC) << "record " << c.record;
        EXPECT_TRUE(t.random >= 0.0f && t.random < 1.0f) << "record " << c.record;
    }
    for (size_t r = 2574; r < mesh.triangles.size(); ++r) {
        const Triangle& t = mesh.triangles[r];
        ASSERT_TRUE(t.a == 0 && t.b == 0 && t.c == 0 && t.random == 0.0f && t.sA == 0.0f)
            << "record " << r << " stays zero";
    }
}

TEST(BuildTriangles, FacesRunCounterClockwiseSeenFromOutside)
{
    const TubeMesh mesh = startUpMesh();
    int checked = 0;
    for (size_t r = 0; r < 2574; ++r) {
        const Triangle& t = mesh.triangles[r];
        const Vec3& a = mesh.vertices[t.a];
        const Vec3& b = mesh.vertices[t.b];
        const Vec3& c = mesh.vertices[t.c];
        const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double area = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (area < 1e-3) {
            continue;  // the seam slivers have no meaningful orientation
        }
        // The vertex normals lean along the axis; their xy part is the radial
        // direction away from the ring's centre.
        const Vec3& outward = mesh.normals[t.a];
        ASSERT_GT(nx * outward.x + ny * outward.y, 0.0) << "record " << r;
        ++checked;
    }
    EXPECT_GT(checked, 2400);
}

TEST(BuildTriangles, FewRingsWriteNoPairsAndBadCountsNoRecords)
{
    TubeMesh mesh;
    buildTriangles(mesh, 3, 32);
    ASSERT_EQ(mesh.triangles.size(), size_t(2 * 3 * 33 + 1));
    for (const Triangle& t : mesh.triangles) {
        ASSERT_TRUE(t.a == 0 && t.b == 0 && t.c == 0);
    }
    const int bad[][2] = {{0, 32}, {42, 0}, {-1, 32}, {42, -1}, {1 << 30, 1 << 30}};
    for (const auto& c : bad) {
        buildTriangles(mesh, c[0], c[1]);
        EXPECT_TRUE(mesh.triangles.empty()) << c[0] << " x " << c[1];
    }
}
