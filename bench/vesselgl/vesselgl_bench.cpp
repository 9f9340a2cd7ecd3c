// Costs of the GL demo's CPU work: one tube rebuild, and the demo's own frame
// function over a GL path that only walks the corners it would submit
// (glscene_walk.cpp). Also the one-off texture preparation at start-up.
#include "frameclock.h"
#include "glframe.h"
#include "teximage.h"
#include "tube.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kRadius = 3.5f;
constexpr int kRings = 42;
constexpr int kSegments = 32;

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
    GlDemo demo;
    glDemoStart(demo, "");
    for (auto _ : state) {
        glDemoFrame(demo);
        benchmark::ClobberMemory();
    }
    glDemoStop();
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
