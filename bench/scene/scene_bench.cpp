// Stage-by-stage and whole-frame timings of the software renderer on the demo's
// own tube. Each stage cycles through sixteen consecutive frames (from frame 90,
// the largest twist, with the tube across most of the screen) so that branch
// predictors cannot learn one frame by heart; the frame's records are copied
// into one working scene outside the timing, so they are as warm in the cache
// as in the running demo. Use --benchmark_repetitions=N to get medians.
//
// The whole frame single- and multi-threaded, and Mesa's llvmpipe drawing the
// same frames' triangles on its own thread and on two, compare in frames/s
// over the same 360 frames (BM_frames*, BM_llvmpipe*), in one run. Their
// cpu_ms_per_frame counts the processor time of every thread of the renderer
// (of the peer process for llvmpipe): what a frame costs, which a busy machine
// changes far less than the time it takes.
#include "draw.h"
#include "llvmpipe_peer.h"
#include "pipeline.h"
#include "project.h"
#include "scene.h"
#include "simd_targets.h"
#include "sort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int32_t kBenchStartSpin = 0;
constexpr int32_t kBenchFirstFrame = 90;
constexpr size_t kBenchFrames = 16;

// The scene as it stands after each of the benchmark's frames.
const std::vector<SceneState>& benchFrames()
{
    static const std::vector<SceneState> frames = [] {
        std::vector<SceneState> states;
        SceneState scene{};
        sceneStartup(scene, SceneStart{false, kBenchStartSpin});
        for (int32_t frame = 1; frame < kBenchFirstFrame + static_cast<int32_t>(kBenchFrames);
             ++frame) {
            sceneRenderFrame(scene);
            if (frame >= kBenchFirstFrame) {
                states.push_back(scene);
            }
        }
        return states;
    }();
    return frames;
}

// Loads frame i's records into the working scene without timing the copy.
SceneState& loadFrame(benchmark::State& state, SceneState& work, size_t i)
{
    state.PauseTiming();
    const SceneState& frame = benchFrames()[i % kBenchFrames];
    work.vertices = frame.vertices;
    work.faces = frame.faces;
    work.frameMatrix = frame.frameMatrix;
    work.twist = frame.twist;
    work.frameCounter = frame.frameCounter;
    work.wavePhase = frame.wavePhase;
    state.ResumeTiming();
    return work;
}

// One run per instruction set the kernels were built for, weakest first.
void eachTarget(benchmark::internal::Benchmark* benchmark)
{
    const std::vector<int64_t> targets = simdTargets();
    for (auto target = targets.rbegin(); target != targets.rend(); ++target) {
        benchmark->Arg(*target);
    }
}

int64_t targetOf(benchmark::State& state)
{
    state.SetLabel(simdTargetName(state.range(0)));
    return state.range(0);
}

void BM_clearFrame(benchmark::State& state)
{
    std::vector<uint32_t> pixels(kFramePixels, 1u);
    for (auto _ : state) {
        clearFrame(pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_clearFrame);

void BM_twistTube(benchmark::State& state)
{
    SceneState work = benchFrames().front();
    size_t i = 0;
    for (auto _ : state) {
        SceneState& scene = loadFrame(state, work, i++);
        float wavePhase = scene.wavePhase;
        twistTube(scene.vertices, kTubeRadius, kTubeRings, kTubePointsPerRing, scene.twist,
                  scene.frameCounter, wavePhase);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_twistTube);

void BM_projectVertices(benchmark::State& state)
{
    SceneState work = benchFrames().front();
    size_t i = 0;
    for (auto _ : state) {
        SceneState& scene = loadFrame(state, work, i++);
        projectVertices(scene.vertices, scene.frameMatrix);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_projectVertices);

void BM_sortFaces(benchmark::State& state)
{
    const SimdTargetScope scope(targetOf(state));
    SceneState work = benchFrames().front();
    size_t i = 0;
    for (auto _ : state) {
        SceneState& scene = loadFrame(state, work, i++);
        sortFaces(scene.vertices, scene.faces, scene.sortScratch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_sortFaces)->Apply(eachTarget);

// The sort alone, on each frame's faces as sortFaces keys them before sorting:
// face i carries its own key and drawOrder i.
void BM_quickSortFaces(benchmark::State& state)
{
    static const std::vector<std::vector<Face>> keyed = [] {
        std::vector<std::vector<Face>> frames;
        for (const SceneState& frame : benchFrames()) {
            std::vector<Face> faces = frame.faces;
            for (const Face& sorted : frame.faces) {
                faces[sorted.drawOrder].depthKey = sorted.depthKey;
            }
            for (size_t i = 0; i < faces.size(); ++i) {
                faces[i].drawOrder = static_cast<int32_t>(i);
            }
            frames.push_back(faces);
        }
        return frames;
    }();
    const SimdTargetScope scope(targetOf(state));
    std::vector<Face> faces = keyed.front();
    DepthSortBuffer scratch;
    size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        faces = keyed[i++ % kBenchFrames];
        state.ResumeTiming();
        quickSortFaces(faces, 0, static_cast<int32_t>(faces.size()) - 1, scratch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_quickSortFaces)->Apply(eachTarget);

void BM_drawMesh(benchmark::State& state)
{
    const SimdTargetScope scope(targetOf(state));
    SceneState work = benchFrames().front();
    std::vector<uint32_t> pixels(kFramePixels, 0u);
    size_t i = 0;
    for (auto _ : state) {
        const SceneState& scene = loadFrame(state, work, i++);
        drawMesh(pixels.data(), scene.vertices, scene.faces, scene.light.x, scene.light.y,
                 scene.light.z, work.corners, work.drawList);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_drawMesh)->Apply(eachTarget);

// The whole frame, tube rebuild and sort included, as the demo runs it frame
// after frame.
void BM_framePipeline(benchmark::State& state)
{
    SceneState scene = benchFrames().front();
    for (auto _ : state) {
        sceneRenderFrame(scene);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_framePipeline);

// Frames 1 to 360 from a fresh start, as the demo renders them, through the
// pipeline on state.range(0) threads; start-up is not timed, the pipeline's
// threads starting and ending are.
void BM_framesOnThreads(benchmark::State& state)
{
    const auto threads = static_cast<int32_t>(state.range(0));
    SceneState scene{};
    int64_t lit = 0;
    std::clock_t cpu = 0;  // every thread's, as std::clock counts it
    for (auto _ : state) {
        state.PauseTiming();
        sceneStartup(scene, SceneStart{false, kPeerStartSpin});
        state.ResumeTiming();
        const std::clock_t cpuStart = std::clock();
        FramePipeline pipeline;
        framePipelineStart(pipeline, scene, threads);
        for (int32_t frame = 1; frame <= kPeerFrames; ++frame) {
            framePipelineRenderNext(pipeline);
        }
        framePipelineStop(pipeline);
        benchmark::ClobberMemory();
        cpu += std::clock() - cpuStart;
        lit = std::count_if(scene.pixels.begin(), scene.pixels.end(),
                            [](uint32_t p) { return p != 0; });
    }
    state.SetItemsProcessed(state.iterations() * kPeerFrames);
    state.counters["lit"] = static_cast<double>(lit);
    state.counters["cpu_ms_per_frame"] = static_cast<double>(cpu) * 1e3 / CLOCKS_PER_SEC /
                                         static_cast<double>(state.iterations() * kPeerFrames);
}
BENCHMARK(BM_framesOnThreads)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// llvmpipe drawing the same 360 frames' triangles with LP_NUM_THREADS=0 (on
// the calling thread) and 2, in a peer process each.
void BM_llvmpipeFrames(benchmark::State& state)
{
    static std::map<int64_t, LlvmpipePeer> peers;
    const int64_t threads = state.range(0);
    if (peers.count(threads) == 0 &&
        !llvmpipePeerStart(peers[threads], static_cast<int32_t>(threads))) {
        state.SkipWithError(peers[threads].renderer.c_str());
        return;
    }
    LlvmpipePeer& peer = peers[threads];
    state.SetLabel(peer.renderer);
    LlvmpipeRun run{};
    int64_t cpuNanoseconds = 0;
    for (auto _ : state) {
        if (!llvmpipePeerRun(peer, run)) {
            state.SkipWithError("the llvmpipe peer ended");
            return;
        }
        state.SetIterationTime(static_cast<double>(run.nanoseconds) * 1e-9);
        cpuNanoseconds += run.cpuNanoseconds;
    }
    state.SetItemsProcessed(state.iterations() * kPeerFrames);
    state.counters["lit"] = static_cast<double>(run.litPixels);
    state.counters["cpu_ms_per_frame"] = static_cast<double>(cpuNanoseconds) * 1e-6 /
                                         static_cast<double>(state.iterations() * kPeerFrames);
}
BENCHMARK(BM_llvmpipeFrames)
    ->ArgName("LP_NUM_THREADS")
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], kLlvmpipePeerArg) == 0) {
        return llvmpipePeerServe();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
