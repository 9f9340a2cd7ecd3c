// Stage-by-stage and whole-frame timings of the software renderer on the demo's
// own tube, taken at frame 90 (largest twist, tube across most of the screen).
// Run with --benchmark_repetitions=N to get medians.
#include "draw.h"
#include "frame.h"
#include "project.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kBenchStartSpin = 0;
constexpr int32_t kBenchFrame = 90;

SceneState sceneAtBenchFrame()
{
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, kBenchStartSpin});
    for (int32_t frame = 1; frame <= kBenchFrame; ++frame) {
        sceneRenderFrame(scene);
    }
    return scene;
}

void BM_clearFrame(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    for (auto _ : state) {
        clearFrame(scene.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_clearFrame);

void BM_twistTube(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    for (auto _ : state) {
        float wavePhase = scene.wavePhase;
        twistTube(scene.vertices, kTubeRadius, kTubeRings, kTubePointsPerRing, scene.twist,
                  scene.frameCounter, wavePhase);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_twistTube);

void BM_projectVertices(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    for (auto _ : state) {
        projectVertices(scene.vertices, scene.frameMatrix);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_projectVertices);

void BM_sortFaces(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    for (auto _ : state) {
        sortFaces(scene.vertices, scene.faces);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_sortFaces);

// Argument: the span kernel (0 scalar, 1 SSE2, 2 AVX2 where the processor has it).
void BM_drawMesh(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    rasterSelectSpanKernel(static_cast<SpanKernel>(state.range(0)));
    for (auto _ : state) {
        drawMesh(scene.pixels.data(), scene.vertices, scene.faces, scene.light.x, scene.light.y,
                 scene.light.z);
        benchmark::ClobberMemory();
    }
    rasterSelectSpanKernel(rasterBestSpanKernel());
}
BENCHMARK(BM_drawMesh)->Arg(0)->Arg(1)->Arg(2);

// The whole frame, tube rebuild and sort included, as the demo runs it frame
// after frame.
void BM_framePipeline(benchmark::State& state)
{
    SceneState scene = sceneAtBenchFrame();
    for (auto _ : state) {
        sceneRenderFrame(scene);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_framePipeline);

} // namespace

BENCHMARK_MAIN();
