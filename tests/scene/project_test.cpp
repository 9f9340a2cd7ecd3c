// Projection onto the screen through the rounded distance to the eye.
#include "project.h"

#include <gtest/gtest.h>

namespace {

TEST(ProjectVertices, ProjectsThroughTheRoundedDistance)
{
    Matrix4 identity;
    matIdentity(identity);
    std::vector<Vertex> vertices(5, Vertex{});
    vertices[0].pos = Vec3{0.0f, 0.0f, 100.0f};     // on the axis
    vertices[1].pos = Vec3{10.0f, 20.0f, 0.5f};     // d = 255.5 rounds to 256
    vertices[2].pos = Vec3{10.0f, 20.0f, 1.5f};     // d = 254.5 rounds to 254
    vertices[3].pos = Vec3{10.0f, 20.0f, 256.0f};   // d = 0: left alone
    vertices[3].screenX = 11.0f;
    vertices[3].screenY = 12.0f;
    vertices[4].pos = Vec3{1.0f, 1.0f, 1.0f};       // the last record is never projected
    projectVertices(vertices, identity);
    EXPECT_EQ(vertices[0].screenX, 320.0f);
    EXPECT_EQ(vertices[0].screenY, 240.0f);
    EXPECT_EQ(vertices[1].screenX, 330.0f);
    EXPECT_EQ(vertices[1].screenY, 220.0f);
    EXPECT_EQ(vertices[2].screenX, static_cast<float>(256 * 10.0 / 254 + 320.0));
    EXPECT_EQ(vertices[2].screenY, static_cast<float>(240.0 - 256 * 20.0 / 254));
    EXPECT_EQ(vertices[3].view.z, 256.0f);
    EXPECT_EQ(vertices[3].screenX, 11.0f);
    EXPECT_EQ(vertices[3].screenY, 12.0f);
    EXPECT_EQ(vertices[4].view.z, 0.0f);
    EXPECT_EQ(vertices[4].screenX, 0.0f);
}

TEST(ProjectVertices, BehindTheEyeOrWildDepthsKeepTheOldPosition)
{
    Matrix4 m;
    matIdentity(m);
    std::vector<Vertex> vertices(4, Vertex{});
    vertices[0].pos = Vec3{5.0f, 5.0f, 1e30f};
    vertices[1].pos = Vec3{5.0f, 5.0f, 256.4f};   // d rounds to 0
    vertices[2].pos = Vec3{5.0f, 5.0f, -1e30f};   // far in front: lands near the centre
    for (Vertex& v : vertices) {
        v.screenX = -3.0f;
        v.screenY = -4.0f;
    }
    projectVertices(vertices, m);
    EXPECT_EQ(vertices[0].screenX, -3.0f);
    EXPECT_EQ(vertices[1].screenY, -4.0f);
    EXPECT_EQ(vertices[2].screenX, 320.0f);
    EXPECT_EQ(vertices[2].screenY, 240.0f);
}

} // namespace
