// Render-only time per frame of the software renderer as each build runs it,
// in one run on the same frames: this native build's capture tool, another
// native build's (TUBE_BENCH_CAPTURE_NATIVE2, e.g. the portable kernels) and
// the WebAssembly build's under Node.js (TUBE_BENCH_CAPTURE_WASM). Each
// iteration runs the tool once and takes the renderer's own time from its last
// line, "rendered N frames in T ms", so start-up and compilation are not
// timed; the counter frame_ms is the time per frame. Use
//   --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// so that the builds take turns and share whatever the machine is doing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kFrames = 1000;
constexpr double kMillisecondsPerSecond = 1000.0;

// The renderer's time in ms for kFrames frames, or a negative value on failure.
double captureMilliseconds(const std::string& command)
{
    const std::string line = command + " --start-spin 0 --frames " + std::to_string(kFrames);
    std::FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    char text[256] = {};
    int frames = 0;
    double milliseconds = -1.0;
    while (std::fgets(text, sizeof text, pipe) != nullptr) {
        std::sscanf(text, "rendered %d frames in %lf ms", &frames, &milliseconds);
    }
    const bool ok = pclose(pipe) == 0 && frames == kFrames;
    return ok ? milliseconds : -1.0;
}

void renderFrames(benchmark::State& state, const std::string& command)
{
    double total = 0.0;
    for (auto _ : state) {
        const double milliseconds = captureMilliseconds(command);
        if (milliseconds < 0.0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.SetIterationTime(milliseconds / kMillisecondsPerSecond);
        total += milliseconds;
    }
    state.counters["frame_ms"] = benchmark::Counter(
        total / kFrames, benchmark::Counter::kAvgIterations);
}

void registerCapture(const char* name, const std::string& command)
{
    benchmark::RegisterBenchmark(name, renderFrames, command)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}

}  // namespace

int main(int argc, char** argv)
{
    registerCapture("render/native", HELIXSOFT_CAPTURE_PATH);
    if (const char* other = std::getenv("TUBE_BENCH_CAPTURE_NATIVE2")) {
        registerCapture("render/native2", other);
    }
    if (const char* wasm = std::getenv("TUBE_BENCH_CAPTURE_WASM")) {
        registerCapture("render/wasm_node", std::string(NODE_PROGRAM) + " " + wasm);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
