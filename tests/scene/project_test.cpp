// Projection onto the screen and the quicksort's exact order, ties included:
// which of two equal-key faces ends last decides which one is painted on top.
#include "project.h"
#include "sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

DepthSortBuffer scratch;

std::vector<Face> facesWithKeys(const std::vector<int32_t>& keys)
{
    std::vector<Face> faces(keys.size(), Face{});
    for (size_t i = 0; i < keys.size(); ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = static_cast<int32_t>(i);
    }
    return faces;
}

std::vector<int32_t> drawOrders(const std::vector<Face>& faces)
{
    std::vector<int32_t> order;
    for (const Face& f : faces) {
        order.push_back(f.drawOrder);
    }
    return order;
}

struct SortCase {
    std::vector<int32_t> keys;
    std::vector<int32_t> expectedOrder;
};

TEST(QuickSortFaces, LeavesTiesInItsOwnOrder)
{
    const SortCase cases[] = {
        {{7, 7, 7, 7, 7}, {3, 4, 2, 0, 1}},
        {{7, 7, 7}, {2, 1, 0}},
        {{7, 7}, {1, 0}},
        {{7}, {0}},
        {{1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5}},
        {{3, 1, 2}, {1, 2, 0}},
    };
    for (const SortCase& c : cases) {
        std::vector<Face> faces = facesWithKeys(c.keys);
        quickSortFaces(faces, 0, static_cast<int32_t>(faces.size()) - 1, scratch);
        EXPECT_EQ(drawOrders(faces), c.expectedOrder) << "first key " << c.keys[0];
    }
}

TEST(QuickSortFaces, SortsManyKeysAndMovesOnlyKeyAndOrder)
{
    std::mt19937 random(3);
    std::uniform_int_distribution<int32_t> key(-40, 40);  // many ties
    std::vector<int32_t> keys(2113);
    for (int32_t& k : keys) {
        k = key(random);
    }
    std::vector<Face> faces = facesWithKeys(keys);
    for (size_t i = 0; i < faces.size(); ++i) {
        faces[i].i0 = static_cast<int32_t>(i);
    }
    quickSortFaces(faces, 0, static_cast<int32_t>(faces.size()) - 1, scratch);
    std::vector<int32_t> seen(faces.size(), 0);
    for (size_t p = 0; p < faces.size(); ++p) {
        EXPECT_EQ(faces[p].i0, static_cast<int32_t>(p));
        if (p > 0) {
            EXPECT_LE(faces[p - 1].depthKey, faces[p].depthKey);
        }
        EXPECT_EQ(keys[faces[p].drawOrder], faces[p].depthKey);
        ++seen[faces[p].drawOrder];
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

TEST(SortFaces, KeysAreTheRoundedSumOfCornerDepths)
{
    std::vector<Vertex> vertices(4, Vertex{});
    vertices[0].view.z = 0.25f;
    vertices[1].view.z = 0.25f;
    vertices[2].view.z = 2.0f;   // 2.5 rounds to 2
    vertices[3].view.z = 3.0f;   // 3.5 rounds to 4
    std::vector<Face> faces(3, Face{});
    faces[0] = Face{0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    faces[1] = Face{0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    faces[2] = Face{2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    sortFaces(vertices, faces, scratch);
    EXPECT_EQ(faces[0].depthKey, 2);
    EXPECT_EQ(faces[0].drawOrder, 1);
    EXPECT_EQ(faces[1].depthKey, 4);
    EXPECT_EQ(faces[1].drawOrder, 0);
    EXPECT_EQ(faces[2].depthKey, 6);
    EXPECT_EQ(faces[2].drawOrder, 2);
}

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
