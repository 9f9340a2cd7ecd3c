// Stage-by-stage and whole-frame timings of the software renderer on the demo's
// own tube. Each stage cycles through sixteen consecutive frames (from frame 90,
// the largest twist, with the tube across most of the screen) so that branch
// predictors cannot learn one frame by heart; the frame's records are copied
// into one working scene outside the timing, so they are as warm in the cache
// as in the running demo. Use --benchmark_repetitions=N to get medians.
//
// The whole frame single- and multi-threaded, and Mesa's llvmpipe drawing the
// same frames' triangles on its own thread and on two, compare in frames/s
// over the same 360 frames (BM_frames*, BM_llvmpipe*), in one run;
// BM_pairedWithLlvmpipe times the two back to back and gives the median of the
// pairs' ratios, which a shared machine's drift moves far less. Their
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
#include <chrono>
#include <ctime>
#include <cstring>
#include <map>
#include <sched.h>
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
// pipeline on `threads`: the threads starting and ending count, start-up does not.
struct OwnRun {
    int64_t nanoseconds;
    std::clock_t cpu;  // every thread's, as std::clock counts it
};

OwnRun renderPeerFrames(SceneState& scene, int32_t threads)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    FramePipeline pipeline;
    framePipelineStart(pipeline, scene, threads);
    for (int32_t frame = 1; frame <= kPeerFrames; ++frame) {
        framePipelineRenderNext(pipeline);
    }
    framePipelineStop(pipeline);
    benchmark::ClobberMemory();
    return OwnRun{
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count(),
        std::clock() - cpuStart};
}

int64_t litPixels(const SceneState& scene)
{
    return std::count_if(scene.pixels.begin(), scene.pixels.end(),
                         [](uint32_t p) { return p != 0; });
}

double cpuMsPerFrame(double cpuSeconds, int64_t iterations)
{
    return cpuSeconds * 1e3 / static_cast<double>(iterations * kPeerFrames);
}

// The frames on state.range(0) threads.
void BM_framesOnThreads(benchmark::State& state)
{
    const auto threads = static_cast<int32_t>(state.range(0));
    SceneState scene{};
    std::clock_t cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sceneStartup(scene, SceneStart{false, kPeerStartSpin});
        state.ResumeTiming();
        cpu += renderPeerFrames(scene, threads).cpu;
    }
    state.SetItemsProcessed(state.iterations() * kPeerFrames);
    state.counters["lit"] = static_cast<double>(litPixels(scene));
    state.counters["cpu_ms_per_frame"] =
        cpuMsPerFrame(static_cast<double>(cpu) / CLOCKS_PER_SEC, state.iterations());
}
BENCHMARK(BM_framesOnThreads)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The peer process for LP_NUM_THREADS=threads, started on first use and kept
// for the whole run; nullptr, with the benchmark skipped, when it cannot start.
LlvmpipePeer* llvmpipePeerFor(benchmark::State& state, int64_t threads)
{
    struct PeerSlot {
        bool started = false;
        LlvmpipePeer peer;
    };
    static std::map<int64_t, PeerSlot> peers;
    const auto [slot, fresh] = peers.try_emplace(threads);
    if (fresh) {
        slot->second.started = llvmpipePeerStart(slot->second.peer, static_cast<int32_t>(threads));
    }
    if (!slot->second.started) {
        state.SkipWithError(slot->second.peer.renderer.c_str());
        return nullptr;
    }
    state.SetLabel(slot->second.peer.renderer);
    return &slot->second.peer;
}

// llvmpipe drawing the same 360 frames' triangles with LP_NUM_THREADS=0 (on
// the calling thread) and 2, in a peer process each.
void BM_llvmpipeFrames(benchmark::State& state)
{
    LlvmpipePeer* peer = llvmpipePeerFor(state, state.range(0));
    if (peer == nullptr) {
        return;
    }
    LlvmpipeRun run{};
    int64_t cpuNanoseconds = 0;
    for (auto _ : state) {
        if (!llvmpipePeerRun(*peer, run)) {
            state.SkipWithError("the llvmpipe peer ended");
            return;
        }
        state.SetIterationTime(static_cast<double>(run.nanoseconds) * 1e-9);
        cpuNanoseconds += run.cpuNanoseconds;
    }
    state.SetItemsProcessed(state.iterations() * kPeerFrames);
    state.counters["lit"] = static_cast<double>(run.litPixels);
    state.counters["cpu_ms_per_frame"] =
        cpuMsPerFrame(static_cast<double>(cpuNanoseconds) * 1e-9, state.iterations());
}
BENCHMARK(BM_llvmpipeFrames)
    ->ArgName("LP_NUM_THREADS")
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Where this thread and the llvmpipe peer's may run, to be put back.
struct SavedAffinity {
    cpu_set_t own;
    cpu_set_t peer;
};

// The cores of a shared virtual machine differ in speed, by a quarter at
// times, and a pair on one thread each whose halves ran on different cores
// would compare the cores: so both go to the core this thread is on.
bool pinToThisCoreWithPeer(int peerPid, SavedAffinity& saved)
{
    const int core = sched_getcpu();
    if (core < 0 || sched_getaffinity(0, sizeof saved.own, &saved.own) != 0 ||
        sched_getaffinity(peerPid, sizeof saved.peer, &saved.peer) != 0) {
        return false;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    return sched_setaffinity(0, sizeof one, &one) == 0 &&
           sched_setaffinity(peerPid, sizeof one, &one) == 0;
}

void restoreAffinity(int peerPid, const SavedAffinity& saved)
{
    sched_setaffinity(0, sizeof saved.own, &saved.own);
    sched_setaffinity(peerPid, sizeof saved.peer, &saved.peer);
}

// The comparison itself, in pairs: each iteration renders frames 1 to 360 here
// on state.range(0) threads and then has llvmpipe draw them (LP_NUM_THREADS=0
// against one thread, =2 against two), back to back. A shared machine's speed
// drifts by a quarter or more over seconds; the two halves of a pair, well
// under a second apart, see the same machine, so the median of the pairs'
// ratios (`vs_llvmpipe`, in frames/s) holds still where rates measured
// seconds apart do not. On one thread both halves run on the same core. The
// time shown is this renderer's.
void BM_pairedWithLlvmpipe(benchmark::State& state)
{
    const auto threads = static_cast<int32_t>(state.range(0));
    LlvmpipePeer* peer = llvmpipePeerFor(state, threads == 1 ? 0 : threads);
    if (peer == nullptr) {
        return;
    }
    SavedAffinity saved{};
    if (threads == 1 && !pinToThisCoreWithPeer(peer->pid, saved)) {
        state.SkipWithError("cannot keep both on one core");
        return;
    }
    SceneState scene{};
    std::vector<double> ratios;
    LlvmpipeRun run{};
    for (auto _ : state) {
        sceneStartup(scene, SceneStart{false, kPeerStartSpin});  // not timed: manual time
        const OwnRun own = renderPeerFrames(scene, threads);
        if (!llvmpipePeerRun(*peer, run)) {
            state.SkipWithError("the llvmpipe peer ended");
            break;
        }
        state.SetIterationTime(static_cast<double>(own.nanoseconds) * 1e-9);
        ratios.push_back(static_cast<double>(run.nanoseconds) /
                         static_cast<double>(std::max<int64_t>(own.nanoseconds, 1)));
    }
    if (threads == 1) {
        restoreAffinity(peer->pid, saved);
    }
    if (ratios.empty()) {
        return;  // the peer ended at once
    }
    state.SetItemsProcessed(state.iterations() * kPeerFrames);
    state.counters["vs_llvmpipe"] = median(ratios);
    state.counters["lit"] = static_cast<double>(litPixels(scene));
    state.counters["llvmpipe_lit"] = static_cast<double>(run.litPixels);
}
BENCHMARK(BM_pairedWithLlvmpipe)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(9)
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
