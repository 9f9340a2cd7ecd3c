// Projection onto the screen through the rounded distance to the eye; what is at
// or behind the eye's plane, or the last record, keeps its old position.
#include "project.h"

#include <gtest/gtest.h>

namespace {

TEST(ProjectVertices, ProjectsThroughTheRoundedDistance)
{
    Matrix4 identity;
    matIdentity(identity);
    const struct {
        Vec3 pos;
        float screenX, screenY;  // -3 and -4: left as they were
    } cases[] = {
        {{0.0f, 0.0f, 100.0f}, 320.0f, 240.0f},                 // on the axis
        {{10.0f, 20.0f, 0.5f}, 330.0f, 220.0f},                 // d = 255.5 rounds to 256
        {{10.0f, 20.0f, 1.5f}, float(256 * 10.0 / 254 + 320), float(240 - 256 * 20.0 / 254)},
        {{5.0f, 5.0f, 256.0f}, -3.0f, -4.0f},                    // d = 0
        {{5.0f, 5.0f, 256.4f}, -3.0f, -4.0f},                    // d rounds to 0
        {{5.0f, 5.0f, 1e30f}, -3.0f, -4.0f},                     // far behind
        {{5.0f, 5.0f, -1e30f}, 320.0f, 240.0f},                  // far in front: the centre
        {{1.0f, 1.0f, 1.0f}, -3.0f, -4.0f},                      // the last record
    };
    std::vector<Vertex> vertices;
    for (const auto& c : cases) {
        Vertex v{};
        v.pos = c.pos;
        v.screenX = -3.0f;
        v.screenY = -4.0f;
        vertices.push_back(v);
    }
    projectVertices(vertices, identity);
    for (size_t i = 0; i < vertices.size(); ++i) {
        EXPECT_EQ(vertices[i].screenX, cases[i].screenX) << "vertex " << i;
        EXPECT_EQ(vertices[i].screenY, cases[i].screenY) << "vertex " << i;
    }
    EXPECT_EQ(vertices[3].view.z, 256.0f);
    EXPECT_EQ(vertices.back().view.z, 0.0f) << "the last record is never transformed";
}

} // namespace
