#include "float32.h"
#include "frameclock.h"
#include "tube.h"
#include "tube_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <set>

namespace {

constexpr float kRadius = 3.5f;
constexpr int kRings = 42;
constexpr int kSegments = 32;
constexpr int kVertexCount = kRings * (kSegments + 1);

TubeMesh startUpMesh()
{
    TubeMesh mesh;
    buildTube(mesh, kRadius, 42.0f, 32.0f, 0.0f, 0.0f);
    buildTriangles(mesh, kRings, kSegments);
    return mesh;
}

double length(const Vec3& v)
{
    return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
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

// The start-up build (twist 0, time 0) and then frames 1 to frames with the
// program's clock, each handed to step(twist, time).
template <typename Step>
void forEachFrame(int frames, Step step)
{
    step(0.0f, 0.0f);
    FrameClock clock;
    for (int frame = 1; frame <= frames; ++frame) {
        frameClockAdvance(clock);
        step(clock.twist, clock.frameTime);
    }
}

// Distance in floats between a and b of one sign, 0 when equal.
int32_t ulpsApart(float a, float b)
{
    int32_t ia = 0;
    int32_t ib = 0;
    std::memcpy(&ia, &a, sizeof ia);
    std::memcpy(&ib, &b, sizeof ib);
    return ia > ib ? ia - ib : ib - ia;
}

}  // namespace

TEST(BuildTube, EveryFrameOfALongRunIsTheStrictTranscriptionToTheBit)
{
    const auto strict = [](double x) { return roundToFloat32(x); };
    TubeMesh mesh;
    TubeMesh reference;
    int framesOff = 0;
    forEachFrame(3000, [&](float twist, float time) {
        buildTube(mesh, kRadius, 42.0f, 32.0f, twist, time);
        referenceBuildTube<double>(reference, kRadius, 42.0f, 32.0f, twist, time, strict);
        if (!sameMesh(mesh, reference) && framesOff++ < 3) {
            ADD_FAILURE() << "frame at time " << time << " differs";
        }
    });
    EXPECT_EQ(framesOff, 0);
}

// Double inside the formulas, as on every platform, against extended precision:
// texture coordinates agree everywhere; of the 8.3 million vertex and normal
// floats of these 1,001 builds, 3 land on the neighbouring float. (Over 20,001
// builds: 68 of 166 million, all within 2.4e-7; 2 or 3 floats apart only for
// coordinates within 2e-7 of zero, where the floats are that much finer.)
TEST(BuildTube, DoublePrecisionIsExtendedPrecisionToAFewFloatsOnAFewPoints)
{
    const auto plain = [](long double x) { return static_cast<float>(x); };
    TubeMesh mesh;
    TubeMesh extended;
    int differing = 0;
    int widest = 0;
    forEachFrame(1000, [&](float twist, float time) {
        buildTube(mesh, kRadius, 42.0f, 32.0f, twist, time);
        referenceBuildTube<long double>(extended, kRadius, 42.0f, 32.0f, twist, time, plain);
        ASSERT_TRUE(sameBits(mesh.texCoords, extended.texCoords));
        for (size_t n = 0; n < mesh.vertices.size(); ++n) {
            for (const auto& [ours, theirs] : {std::pair{mesh.vertices[n], extended.vertices[n]},
                                               std::pair{mesh.normals[n], extended.normals[n]}}) {
                for (const int32_t ulps : {ulpsApart(ours.x, theirs.x), ulpsApart(ours.y, theirs.y),
                                           ulpsApart(ours.z, theirs.z)}) {
                    differing += ulps != 0;
                    widest = std::max(widest, ulps);
                }
            }
        }
    });
    EXPECT_LE(differing, 10);
    EXPECT_LE(widest, 3);
}

TEST(BuildTube, FirstCallGivesTheKnownCornerValues)
{
    const TubeMesh mesh = startUpMesh();
    ASSERT_EQ(mesh.vertices.size(), size_t(kVertexCount));
    ASSERT_EQ(mesh.normals.size(), size_t(kVertexCount));
    ASSERT_EQ(mesh.texCoords.size(), size_t(kVertexCount));
    EXPECT_EQ(mesh.phase, 0.1f);

    EXPECT_EQ(mesh.vertices[0].x, 6.3392596f);
    EXPECT_EQ(mesh.vertices[0].y, 0.0f);
    EXPECT_EQ(mesh.vertices[0].z, -15.75f);
    EXPECT_EQ(mesh.normals[0].x, 0.21924743f);
    EXPECT_EQ(mesh.normals[0].y, 0.0f);
    EXPECT_EQ(mesh.normals[0].z, -0.97566926f);
    EXPECT_EQ(mesh.texCoords[0].s, 0.0f);
    EXPECT_EQ(mesh.texCoords[0].t, 0.0f);

    // The seam point lies a hair off point 0 because 6.283186 is not 2 pi.
    EXPECT_EQ(mesh.vertices[32].x, 6.3392596f);
    EXPECT_EQ(mesh.vertices[32].y, 0.0000023064745f);
    EXPECT_EQ(mesh.vertices[32].z, -15.75f);
    EXPECT_EQ(mesh.texCoords[32].s, 0.0f);
    EXPECT_EQ(mesh.texCoords[32].t, 2.0f);
}

TEST(BuildTube, NormalsAreUnitAndRadialOnlyAtTheMiddleRing)
{
    const TubeMesh mesh = startUpMesh();
    for (int n = 0; n < kVertexCount; ++n) {
        ASSERT_NEAR(length(mesh.normals[n]), 1.0, 1e-6) << "vertex " << n;
    }
    for (int k = 0; k <= kSegments; ++k) {
        const int middle = 21 * (kSegments + 1) + k;
        EXPECT_EQ(mesh.normals[middle].z, 0.0f);
        EXPECT_LT(mesh.normals[k].z, -0.9f) << "ring 0 leans back along the axis";
        EXPECT_GT(mesh.normals[41 * (kSegments + 1) + k].z, 0.9f);
    }
}

TEST(BuildTube, EachRingTurnsByTheTwistAgainstThePreviousOne)
{
    TubeMesh mesh;
    const float twist = frameTwist(90.0f);
    buildTube(mesh, kRadius, 42.0f, 32.0f, twist, 0.0f);
    float offset = 0.0f;
    for (int i = 0; i < kRings; ++i) {
        const int n = i * (kSegments + 1);
        const double sweep = 9.424779 * i / 42.0;
        const double dx = mesh.vertices[n].x - float(std::cos(sweep) * 2.8);
        const double dy = mesh.vertices[n].y - float(std::sin(sweep) * 2.8);
        EXPECT_NEAR(std::remainder(std::atan2(dy, dx) - offset, 2.0 * std::numbers::pi), 0.0, 1e-5)
            << "ring " << i;
        offset = float(twist + static_cast<double>(offset));
    }
}

TEST(BuildTube, RebuildingReusesTheArraysStorage)
{
    TubeMesh mesh = startUpMesh();
    const Vec3* vertices = mesh.vertices.data();
    const Vec3* normals = mesh.normals.data();
    const TexCoord* texCoords = mesh.texCoords.data();
    for (int frame = 1; frame <= 3; ++frame) {
        buildTube(mesh, kRadius, 42.0f, 32.0f, frameTwist(float(frame)), float(frame));
    }
    EXPECT_EQ(mesh.vertices.data(), vertices);
    EXPECT_EQ(mesh.normals.data(), normals);
    EXPECT_EQ(mesh.texCoords.data(), texCoords);
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
        buildTube(mesh, kRadius, c.rings, c.segments, 0.0f, 0.0f);
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
    } cases[] = {
        {0, 33, 32, 0}, {1, 0, 1, 33}, {2572, 1281, 1280, 1248}, {2573, 1248, 1249, 1281},
    };
    for (const auto& c : cases) {
        const Triangle& t = mesh.triangles[c.record];
        EXPECT_EQ(t.a, c.a) << "record " << c.record;
        EXPECT_EQ(t.b, c.b) << "record " << c.record;
        EXPECT_EQ(t.c, c.c) << "record " << c.record;
    }
    const Triangle& first = mesh.triangles[0];
    EXPECT_EQ(first.sB, 1.0f);
    EXPECT_EQ(first.tC, 1.0f);
    const Triangle& second = mesh.triangles[1];
    EXPECT_EQ(second.sA, 1.0f);
    EXPECT_EQ(second.tB, 1.0f);
    EXPECT_EQ(second.sC, 0.0f);
    for (size_t r = 2574; r < mesh.triangles.size(); ++r) {
        const Triangle& t = mesh.triangles[r];
        ASSERT_TRUE(t.a == 0 && t.b == 0 && t.c == 0 && t.random == 0.0f && t.sA == 0.0f)
            << "record " << r << " stays zero";
    }
}

TEST(BuildTriangles, SeamValuesOfPComeTwiceAndIndicesStayBelowN)
{
    const TubeMesh mesh = startUpMesh();
    std::set<int> seen;
    int largest = 0;
    for (size_t r = 0; r < 2574; r += 2) {
        const Triangle& t = mesh.triangles[r];
        seen.insert(t.c);
        largest = std::max({largest, t.a, t.b, t.c, mesh.triangles[r + 1].b});
        ASSERT_GE(t.random, 0.0f);
        ASSERT_LT(t.random, 1.0f);
    }
    EXPECT_EQ(seen.size(), 1249u);
    EXPECT_EQ(*seen.rbegin(), 1248);
    EXPECT_EQ(largest, 1281);
    for (int i = 64; i <= 65; ++i) {
        EXPECT_EQ(mesh.triangles[i].a, mesh.triangles[i + 2].a);
        EXPECT_EQ(mesh.triangles[i].b, mesh.triangles[i + 2].b);
        EXPECT_EQ(mesh.triangles[i].c, mesh.triangles[i + 2].c);
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
