// The reference rasterizer, written step by step from the rules of the span and
// the triangle, with the cut span keeping its full-length gradient.
#include "reference_raster.h"

#include <utility>

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

// x, y and the channels; running values in 16.16, 64 bits only so that the step
// taken after a half's last row cannot overflow (every value drawn fits 32).
struct RefPoint {
    int64_t x, y, r, g, b;
};

RefPoint slopes(const RefPoint& from, const RefPoint& to)
{
    const int64_t h = to.y - from.y;
    if (h == 0) {
        return RefPoint{0, 0, 0, 0, 0};
    }
    const auto slope = [h](int64_t a, int64_t b) { return int32_t(b - a) * 65536 / int32_t(h); };
    return RefPoint{slope(from.x, to.x), 0, slope(from.r, to.r), slope(from.g, to.g),
                    slope(from.b, to.b)};
}

RefPoint fixed(const RefPoint& p)
{
    return RefPoint{p.x * 65536, p.y, p.r * 65536, p.g * 65536, p.b * 65536};
}

// Rows from up to (excluding) end; side a then continues from where it is.
void rows(uint32_t* pixels, int64_t from, int64_t end, RefPoint& a, const RefPoint& da, RefPoint& b,
          const RefPoint& db)
{
    for (int64_t y = from; y < end; ++y) {
        referenceFillSpanShaded(pixels, int32_t(a.x >> 16), int32_t(y), int32_t(b.x >> 16),
                                int32_t(a.r), int32_t(b.r), int32_t(a.g), int32_t(b.g),
                                int32_t(a.b), int32_t(b.b));
        a = RefPoint{a.x + da.x, 0, a.r + da.r, a.g + da.g, a.b + da.b};
        b = RefPoint{b.x + db.x, 0, b.r + db.r, b.g + db.g, b.b + db.b};
    }
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
        return RefPoint{x, y, c >> 16, (c >> 8) & 0xFF, c & 0xFF};
    };
    RefPoint v1 = split(x1, y1, colour1);
    RefPoint v2 = split(x2, y2, colour2);
    RefPoint v3 = split(x3, y3, colour3);
    if (v2.y < v1.y) std::swap(v1, v2);
    if (v3.y < v1.y) std::swap(v1, v3);
    if (v3.y < v2.y) std::swap(v2, v3);
    RefPoint a = fixed(v1);
    RefPoint b = a;
    rows(pixels, v1.y, v2.y, a, slopes(v1, v2), b, slopes(v1, v3));
    a = fixed(v2);
    rows(pixels, v2.y, v3.y + 1, a, slopes(v2, v3), b, slopes(v1, v3));
}
