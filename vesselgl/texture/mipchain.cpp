// Prepares the GL demo's texture on the CPU: power-of-two sides and the whole
// mipmap chain, so the upload only hands finished levels to the GL.
#include "mipchain.h"

#include "tga.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace {

[[maybe_unused]] constexpr int kMaxPowerOfTwo = 1 << 30;  // read by an assert only

bool isPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

// Where destination texel i samples the source along one axis: the two
// neighbours and the weight of the second, pixel centres aligned, edges clamped.
struct Tap {
    int first;
    int second;
    double weight;
};

std::vector<Tap> scaleTaps(int from, int to)
{
    std::vector<Tap> taps(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        double u = (i + 0.5) * from / to - 0.5;
        u = u < 0.0 ? 0.0 : (u > from - 1 ? from - 1 : u);
        const int first = static_cast<int>(std::floor(u));
        taps[i] = Tap{first, first + 1 < from ? first + 1 : first, u - first};
    }
    return taps;
}

void averageLevel(const TexImage& src, TexImage& dst)
{
    const int c = src.components;
    // Halving a power-of-two side; a side of 1 stays 1 and is not averaged across.
    const int stepX = src.width > 1 ? 1 : 0;
    const int stepY = src.height > 1 ? 1 : 0;
    const int count = (stepX + 1) * (stepY + 1);
    for (int y = 0; y < dst.height; ++y) {
        const uint8_t* row0 = src.pixels.data() + size_t(2 * y * stepY) * src.width * c;
        const uint8_t* row1 = row0 + size_t(stepY) * src.width * c;
        uint8_t* out = dst.pixels.data() + size_t(y) * dst.width * c;
        for (int x = 0; x < dst.width; ++x) {
            const int x0 = 2 * x * stepX * c;
            const int x1 = x0 + stepX * c;
            for (int k = 0; k < c; ++k) {
                int sum = row0[x0 + k] + row0[x1 + k] + row1[x0 + k] + row1[x1 + k];
                sum = count == 4 ? sum : sum / (4 / count);  // the pairs were counted twice
                *out++ = static_cast<uint8_t>((sum + count / 2) / count);  // halves up
            }
        }
    }
}

}  // namespace

int texNextPowerOfTwo(int value)
{
    assert(value >= 1 && value <= kMaxPowerOfTwo);
    int power = 1;
    while (power < value) {
        power <<= 1;
    }
    return power;
}

TexImage texScaleToPowerOfTwo(TexImage image)
{
    if (isPowerOfTwo(image.width) && isPowerOfTwo(image.height)) {
        return image;
    }
    TexImage out;
    out.width = texNextPowerOfTwo(image.width);
    out.height = texNextPowerOfTwo(image.height);
    out.components = image.components;
    out.pixels.resize(size_t(out.width) * out.height * out.components);
    const std::vector<Tap> tx = scaleTaps(image.width, out.width);
    const std::vector<Tap> ty = scaleTaps(image.height, out.height);
    const int c = image.components;
    const size_t stride = size_t(image.width) * c;
    uint8_t* dst = out.pixels.data();
    for (const Tap& row : ty) {
        const uint8_t* r0 = image.pixels.data() + size_t(row.first) * stride;
        const uint8_t* r1 = image.pixels.data() + size_t(row.second) * stride;
        for (const Tap& col : tx) {
            for (int k = 0; k < c; ++k) {
                const double top = r0[col.first * c + k] +
                                   (r0[col.second * c + k] - r0[col.first * c + k]) * col.weight;
                const double bottom = r1[col.first * c + k] +
                                      (r1[col.second * c + k] - r1[col.first * c + k]) * col.weight;
                // Rounded to nearest, halves to even; the blend stays within 0..255.
                *dst++ = static_cast<uint8_t>(std::nearbyint(top + (bottom - top) * row.weight));
            }
        }
    }
    return out;
}

std::vector<TexImage> texBuildMipChain(TexImage base)
{
    assert(isPowerOfTwo(base.width) && isPowerOfTwo(base.height));
    std::vector<TexImage> levels;
    levels.push_back(std::move(base));
    while (levels.back().width > 1 || levels.back().height > 1) {
        const TexImage& src = levels.back();
        TexImage next;
        next.width = src.width > 1 ? src.width / 2 : 1;
        next.height = src.height > 1 ? src.height / 2 : 1;
        next.components = src.components;
        next.pixels.resize(size_t(next.width) * next.height * next.components);
        averageLevel(src, next);
        levels.push_back(std::move(next));
    }
    return levels;
}

bool texPrepareFile(const char* path, std::vector<TexImage>& levels)
{
    levels.clear();
    TexImage image;
    if (!tgaLoadFile(path, image)) {
        return false;
    }
    levels = texBuildMipChain(texScaleToPowerOfTwo(std::move(image)));
    return true;
}
