// Generates the vessel-wall texture. Noise lattices have periods that divide
// the image size and vessels are painted with wrapped coordinates, which is
// what makes the result tile; a fixed seed keeps the committed asset reproducible.
#include "artery.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

constexpr double kTau = 6.283185307179586;
constexpr int kNoiseOctaves = 5;
constexpr int kBaseLattice = 4;       // cells across the image in the coarsest octave
constexpr int kTrunks = 3;
constexpr int kMaxDepth = 4;
constexpr double kTrunkWidth = 4.2;
constexpr double kThinnest = 0.55;    // branches end below this radius, in pixels
constexpr double kTaperPerStep = 0.9965;
constexpr double kBranchChance = 0.022;
constexpr int kHaloRadius = 3;

struct Random {
    uint64_t state;
};

// splitmix64: small, fast and the same on every platform.
uint64_t randomNext(Random& r)
{
    uint64_t z = (r.state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double randomUnit(Random& r)
{
    return static_cast<double>(randomNext(r) >> 11) * 0x1.0p-53;
}

double randomRange(Random& r, double low, double high)
{
    return low + (high - low) * randomUnit(r);
}

double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

// Value noise whose lattice repeats every `cells` cells across the image.
struct Lattice {
    int cells;
    std::vector<double> values;
};

Lattice latticeMake(int cells, Random& r)
{
    Lattice l{cells, std::vector<double>(size_t(cells) * cells)};
    for (double& v : l.values) {
        v = randomUnit(r);
    }
    return l;
}

double latticeSample(const Lattice& l, double u, double v)
{
    const double x = u * l.cells;
    const double y = v * l.cells;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = smooth(x - x0);
    const double fy = smooth(y - y0);
    auto at = [&l](int i, int j) {
        const int wi = ((i % l.cells) + l.cells) % l.cells;
        const int wj = ((j % l.cells) + l.cells) % l.cells;
        return l.values[size_t(wj) * l.cells + wi];
    };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Fractal sum of octaves, normalised to about 0..1.
std::vector<double> tissueNoise(int size, Random& r)
{
    std::vector<Lattice> octaves;
    for (int o = 0; o < kNoiseOctaves; ++o) {
        octaves.push_back(latticeMake(kBaseLattice << o, r));
    }
    std::vector<double> out(size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum = 0.0;
            double weight = 0.0;
            double amplitude = 1.0;
            for (const Lattice& l : octaves) {
                sum += amplitude * latticeSample(l, double(x) / size, double(y) / size);
                weight += amplitude;
                amplitude *= 0.5;
            }
            out[size_t(y) * size + x] = sum / weight;
        }
    }
    return out;
}

struct VesselMap {
    int size;
    std::vector<double> cover;  // 0 tissue .. 1 vessel
};

// A soft disc, wrapped at the edges; coverage keeps the strongest stroke.
void paintDisc(VesselMap& map, double cx, double cy, double radius, double strength)
{
    const int reach = static_cast<int>(std::ceil(radius + 1.0));
    const int ix = static_cast<int>(std::floor(cx));
    const int iy = static_cast<int>(std::floor(cy));
    for (int y = iy - reach; y <= iy + reach; ++y) {
        for (int x = ix - reach; x <= ix + reach; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double a = std::clamp(radius + 0.5 - d, 0.0, 1.0) * strength;
            const int wx = ((x % map.size) + map.size) % map.size;
            const int wy = ((y % map.size) + map.size) % map.size;
            double& c = map.cover[size_t(wy) * map.size + wx];
            c = std::max(c, a);
        }
    }
}

struct Branch {
    double x, y, angle, width;
    int depth;
};

void growBranch(VesselMap& map, Branch b, Random& r)
{
    double bend = 0.0;
    while (b.width >= kThinnest) {
        bend = 0.8 * bend + randomRange(r, -0.035, 0.035);  // slowly wandering course
        b.angle += bend;
        b.x += std::cos(b.angle);
        b.y += std::sin(b.angle);
        b.width *= kTaperPerStep;
        paintDisc(map, b.x, b.y, b.width, std::min(1.0, 0.55 + 0.12 * b.width));
        if (b.depth < kMaxDepth && randomUnit(r) < kBranchChance) {
            const double side = randomUnit(r) < 0.5 ? -1.0 : 1.0;
            Branch child{b.x, b.y, b.angle + side * randomRange(r, 0.4, 1.1),
                         b.width * randomRange(r, 0.45, 0.7), b.depth + 1};
            growBranch(map, child, r);
            b.width *= 0.92;  // a vessel narrows after giving off a branch
        }
    }
}

VesselMap vesselNetwork(int size, Random& r)
{
    VesselMap map{size, std::vector<double>(size_t(size) * size, 0.0)};
    for (int t = 0; t < kTrunks; ++t) {
        Branch trunk{randomUnit(r) * size, randomUnit(r) * size, randomUnit(r) * kTau,
                     kTrunkWidth * randomRange(r, 0.7, 1.1), 0};
        growBranch(map, trunk, r);
        // Grown both ways from its start, so that no vessel ends bluntly.
        trunk.angle += kTau / 2.0;
        growBranch(map, trunk, r);
    }
    return map;
}

// Wrapped box blur of the vessel cover: the tissue beside a vessel is shaded.
std::vector<double> vesselHalo(const VesselMap& map)
{
    const int n = map.size;
    std::vector<double> out(map.cover.size(), 0.0);
    const double area = double(2 * kHaloRadius + 1) * (2 * kHaloRadius + 1);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double sum = 0.0;
            for (int dy = -kHaloRadius; dy <= kHaloRadius; ++dy) {
                for (int dx = -kHaloRadius; dx <= kHaloRadius; ++dx) {
                    sum += map.cover[size_t((y + dy + n) % n) * n + (x + dx + n) % n];
                }
            }
            out[size_t(y) * n + x] = sum / area;
        }
    }
    return out;
}

uint8_t toByte(double value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

}  // namespace

ArteryImage arteryGenerate(int size, uint64_t seed)
{
    assert(size >= 64 && (size & (size - 1)) == 0);
    Random r{seed};
    const std::vector<double> tissue = tissueNoise(size, r);
    const VesselMap vessels = vesselNetwork(size, r);
    const std::vector<double> halo = vesselHalo(vessels);
    const double tissueDark[3] = {150.0, 38.0, 40.0};
    const double tissueLight[3] = {222.0, 102.0, 88.0};
    const double vessel[3] = {88.0, 8.0, 26.0};
    ArteryImage image{size, std::vector<uint8_t>(size_t(size) * size * 3)};
    for (size_t i = 0; i < tissue.size(); ++i) {
        const double t = std::clamp((tissue[i] - 0.25) * 2.0, 0.0, 1.0);
        const double shade = 1.0 - 0.3 * std::min(1.0, halo[i] * 1.6);
        const double grain = randomRange(r, -9.0, 9.0);
        for (int c = 0; c < 3; ++c) {
            const double base = (tissueDark[c] + (tissueLight[c] - tissueDark[c]) * t) * shade;
            const double mixed = base + (vessel[c] - base) * vessels.cover[i];
            image.rgb[i * 3 + c] = toByte(mixed + grain + randomRange(r, -3.0, 3.0));
        }
    }
    return image;
}

std::vector<uint8_t> arteryEncodeTga(const ArteryImage& image)
{
    constexpr uint8_t kTrueColor = 2;
    constexpr uint8_t kBitsPerPixel = 24;
    const int n = image.size;
    std::vector<uint8_t> out = {0, 0, kTrueColor, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                uint8_t(n & 0xff), uint8_t(n >> 8), uint8_t(n & 0xff),
                                uint8_t(n >> 8), kBitsPerPixel, 0};
    for (int row = n - 1; row >= 0; --row) {
        for (int x = 0; x < n; ++x) {
            const uint8_t* p = &image.rgb[(size_t(row) * n + x) * 3];
            out.insert(out.end(), {p[2], p[1], p[0]});  // stored blue, green, red
        }
    }
    return out;
}
