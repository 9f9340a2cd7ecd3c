// The reference rasterizer, written step by step from the rules of the span and
// the triangle, with the cut span keeping its full-length gradient.
#include "reference_raster.h"

#include <utility>

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

struct RefVertex {
    int32_t x, y, r, g, b;
};

struct RefSlopes {
    int32_t x, r, g, b;
};

RefSlopes refSlopes(const RefVertex& from, const RefVertex& to)
{
    const int32_t h = to.y - from.y;
    if (h == 0) {
        return RefSlopes{0, 0, 0, 0};
    }
    return RefSlopes{(to.x - from.x) * 65536 / h, (to.r - from.r) * 65536 / h,
                     (to.g - from.g) * 65536 / h, (to.b - from.b) * 65536 / h};
}

} // namespace

void referenceFillSpanShaded(uint32_t* pixels, int32_t x1, int32_t y, int32_t x2,
                             int32_t red1, int32_t red2, int32_t green1, int32_t green2,
                             int32_t blue1, int32_t blue2)
{
    if (y < 0 || y > kHeight - 1) {
        return;
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(red1, red2);
        std::swap(green1, green2);
        std::swap(blue1, blue2);
    }
    if (x1 > kWidth - 1 || x2 < 0) {
        return;
    }
    const int32_t fullLength = x2 - x1 + 1;
    const int32_t dRed = (red2 - red1) / fullLength;
    const int32_t dGreen = (green2 - green1) / fullLength;
    const int32_t dBlue = (blue2 - blue1) / fullLength;
    int32_t red = red1;
    int32_t green = green1;
    int32_t blue = blue1;
    for (int32_t x = x1; x <= x2; ++x) {
        if (x >= 0 && x < kWidth) {
            pixels[y * kWidth + x] = static_cast<uint32_t>((red >> 16) << 16) |
                                     static_cast<uint32_t>((green >> 16) << 8) |
                                     static_cast<uint32_t>((blue >> 16) & 0xFF);
        }
        red += dRed;
        green += dGreen;
        blue += dBlue;
    }
}

void referenceFillTriangleShaded(uint32_t* pixels, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, int32_t x3, int32_t y3, uint32_t colour1,
                                 uint32_t colour2, uint32_t colour3)
{
    auto split = [](int32_t x, int32_t y, uint32_t c) {
        return RefVertex{x, y, static_cast<int32_t>(c >> 16), static_cast<int32_t>((c >> 8) & 0xFF),
                         static_cast<int32_t>(c & 0xFF)};
    };
    RefVertex v1 = split(x1, y1, colour1);
    RefVertex v2 = split(x2, y2, colour2);
    RefVertex v3 = split(x3, y3, colour3);
    if (v2.y < v1.y) std::swap(v1, v2);
    if (v3.y < v1.y) std::swap(v1, v3);
    if (v3.y < v2.y) std::swap(v2, v3);
    const RefSlopes upper = refSlopes(v1, v2);
    const RefSlopes lower = refSlopes(v2, v3);
    const RefSlopes longEdge = refSlopes(v1, v3);
    // 64-bit running values only so that the step taken after the last row
    // cannot overflow; every value used for a row is the 32-bit one.
    int64_t ax = v1.x * 65536, ar = v1.r * 65536, ag = v1.g * 65536, ab = v1.b * 65536;
    int64_t bx = ax, br = ar, bg = ag, bb = ab;
    for (int32_t y = v1.y; y < v2.y; ++y) {
        referenceFillSpanShaded(pixels, static_cast<int32_t>(ax >> 16), y,
                                static_cast<int32_t>(bx >> 16), static_cast<int32_t>(ar),
                                static_cast<int32_t>(br), static_cast<int32_t>(ag),
                                static_cast<int32_t>(bg), static_cast<int32_t>(ab),
                                static_cast<int32_t>(bb));
        ax += upper.x, ar += upper.r, ag += upper.g, ab += upper.b;
        bx += longEdge.x, br += longEdge.r, bg += longEdge.g, bb += longEdge.b;
    }
    ax = v2.x * 65536, ar = v2.r * 65536, ag = v2.g * 65536, ab = v2.b * 65536;
    for (int32_t y = v2.y; y <= v3.y; ++y) {
        referenceFillSpanShaded(pixels, static_cast<int32_t>(ax >> 16), y,
                                static_cast<int32_t>(bx >> 16), static_cast<int32_t>(ar),
                                static_cast<int32_t>(br), static_cast<int32_t>(ag),
                                static_cast<int32_t>(bg), static_cast<int32_t>(ab),
                                static_cast<int32_t>(bb));
        ax += lower.x, ar += lower.r, ag += lower.g, ab += lower.b;
        bx += longEdge.x, br += longEdge.r, bg += longEdge.g, bb += longEdge.b;
    }
}
