// Costs of the GL demo's CPU work: one tube rebuild, and one whole frame short
// of the GL itself (the clock, the rebuild and the walk over every corner that
// immediate mode submits). Also the one-off texture preparation at start-up.
#include "frameclock.h"
#include "teximage.h"
#include "tube.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kRadius = 3.5f;
constexpr int kRings = 42;
constexpr int kSegments = 32;

struct Corner {
    Vec3 normal;
    TexCoord texCoord;
    Vec3 vertex;
};

void BM_BuildTube(benchmark::State& state)
{
    TubeMesh mesh;
    buildTube(mesh, kRadius, float(kRings), float(kSegments), 0.0f, 0.0f);
    float time = 0.0f;
    for (auto _ : state) {
        time += 1.0f;
        buildTube(mesh, kRadius, float(kRings), float(kSegments), frameTwist(time), time);
        benchmark::DoNotOptimize(mesh.vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(mesh.vertices.size()));
}
BENCHMARK(BM_BuildTube);

void BM_FrameCpuSide(benchmark::State& state)
{
    TubeMesh mesh;
    FrameClock clock;
    buildTube(mesh, kRadius, float(kRings), float(kSegments), 0.0f, 0.0f);
    buildTriangles(mesh, kRings, kSegments);
    std::vector<Corner> submitted(mesh.triangles.size() * 3);
    for (auto _ : state) {
        frameClockAdvance(clock);
        buildTube(mesh, kRadius, float(kRings), float(kSegments), clock.twist, clock.frameTime);
        Corner* out = submitted.data();
        for (const Triangle& t : mesh.triangles) {
            for (const int32_t i : {t.a, t.b, t.c}) {
                *out++ = Corner{mesh.normals[i], mesh.texCoords[i], mesh.vertices[i]};
            }
        }
        benchmark::DoNotOptimize(submitted.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCpuSide);

void BM_PrepareTexture(benchmark::State& state)
{
    std::vector<TexImage> levels;
    for (auto _ : state) {
        const bool ok = texPrepareFile(VESSELGL_ASSET, levels);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_PrepareTexture);

}  // namespace

BENCHMARK_MAIN();
