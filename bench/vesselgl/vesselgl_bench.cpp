// Costs of the GL demo's CPU work: one tube rebuild, beside the plain
// evaluations of the same formulas in double and in long double (the checks'
// transcription), and the demo's own frame function over a GL path that only
// walks the corners immediate mode would submit (glscene_walk.cpp). Also the
// one-off texture preparation at start-up.
#include "frameclock.h"
#include "glframe.h"
#include "mipchain.h"
#include "tube.h"
#include "tube_reference.h"
#include "tubeanimation.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Frames of the demo, one per iteration, each built by build(mesh, rings,
// segments, twist, time). The counts come as values the optimiser cannot see, as
// they reach buildTube from the program: no builder is specialised for 42 x 32.
template <typename Build>
void buildFrames(benchmark::State& state, Build build)
{
    volatile float counts[] = {float(kGlTubeRings), float(kGlTubeSegments)};
    const float rings = counts[0];
    const float segments = counts[1];
    TubeMesh mesh;
    build(mesh, rings, segments, 0.0f, 0.0f);
    float time = 0.0f;
    for (auto _ : state) {
        time += 1.0f;
        build(mesh, rings, segments, frameTwist(time), time);
        benchmark::DoNotOptimize(mesh.vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(mesh.vertices.size()));
}

void BM_BuildTube(benchmark::State& state)
{
    buildFrames(state, [](TubeMesh& mesh, float rings, float segments, float twist, float time) {
        buildTube(mesh, kGlTubeRadius, rings, segments, twist, time);
    });
}
BENCHMARK(BM_BuildTube);

template <typename Real>
void BM_BuildTubePlain(benchmark::State& state)
{
    buildFrames(state, [](TubeMesh& mesh, float rings, float segments, float twist, float time) {
        referenceBuildTube<Real>(mesh, kGlTubeRadius, rings, segments, twist, time,
                                 [](Real x) { return static_cast<float>(x); });
    });
}
BENCHMARK(BM_BuildTubePlain<double>);
BENCHMARK(BM_BuildTubePlain<long double>);

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
