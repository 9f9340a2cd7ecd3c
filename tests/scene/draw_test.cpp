// Shaded drawing: the cull sign, rounding of colours, the clamped light, and
// faces far off the screen. (The walk in sorted order with later faces on top
// is every golden frame's.)
#include "draw.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

CornerCache corners;
DrawList drawList;

struct CullCase {
    int32_t x0, y0, x1, y1, x2, y2;
    int64_t expected;
};

TEST(Draw, CullValueIsExactAndSignedLikeTheScreen)
{
    const CullCase cases[] = {
        {0, 0, 10, 0, 0, 10, -100},
        {0, 0, 0, 10, 10, 0, 100},
        {0, 0, 5, 5, 10, 10, 0},
        {INT_MIN, INT_MIN, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT64_MIN},
        {INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT64_MAX},
        {0, 0, 65536, 0, 0, -65536, int64_t{1} << 32},
        {INT_MIN, 0, INT_MAX, 0, INT_MIN, 1, 1 - (int64_t{1} << 32)},  // wide, not saturated
    };
    for (const CullCase& c : cases) {
        EXPECT_EQ(cullValue(c.x0, c.y0, c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST(Draw, IntensityIsClampedNanIsDarkAndChannelsRoundHalfToEven)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<Vec3, float> cases[] = {
        {{0.0f, -0.3f, 0.0f}, 0.0f}, {{0.0f, 1.0000001f, 0.0f}, 1.0f},
        {{nan, 0.0f, 0.0f}, 0.0f},   {{0.0f, 0.5f, 0.0f}, 0.5f},
    };
    for (const auto& [normal, expected] : cases) {
        EXPECT_EQ(cornerIntensity(0.0f, 1.0f, 0.0f, normal), expected);
    }
    EXPECT_EQ(shadeColour(255.0f, 0.0f, 254.0f, 0.5f), 0x0080007Fu);
    EXPECT_EQ(shadeColour(255.0f, 255.0f, 255.0f, 1.0f), 0x00FFFFFFu);
    EXPECT_EQ(shadeColour(252.0f, 0.0f, 255.0f, 0.0f), 0u);
    EXPECT_EQ(shadeColour(5.0f, 3.0f, 1.0f, 0.5f), 0x00020200u);  // 2.5, 1.5, 0.5
}

TEST(Draw, FarOffCornersAreCulledAndClippedWithoutOverflow)
{
    // Corners saturate to the 32-bit range; the face covers y >= x on screen.
    const float far[][2] = {{-3e9f, -3e9f}, {-3e9f, 3e9f}, {3e9f, 3e9f},
                            {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
    std::vector<Vertex> vertices;
    for (const auto& [x, y] : far) {
        Vertex v{};
        v.screenX = x, v.screenY = y, v.red = 255.0f;
        v.normal = Vec3{0.0f, 1.0f, 0.0f};
        vertices.push_back(v);
    }
    std::vector<Face> faces(2, Face{});
    faces[0].i0 = 0, faces[0].i1 = 1, faces[0].i2 = 2;
    faces[1].i0 = 3, faces[1].i1 = 1, faces[1].i2 = 2, faces[1].drawOrder = 1;
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    drawMesh(pixels.data(), vertices, faces, 0.0f, 1.0f, 0.0f, corners, drawList);
    EXPECT_EQ(pixels[0], 255u << 16);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[479 * kFrameWidth + 479], 255u << 16);
    EXPECT_EQ(pixels[479 * kFrameWidth + 480], 0u);
}

} // namespace
