// The portable sine and cosine against the C library's, on every argument the
// two demos pass over frames 1 to 2,100 (the points of every 50th frame), in
// one run: the pair, each alone, and the exact path that decides the few
// arguments the fast one cannot.
#include "trig_arguments.h"
#include "trig.h"
#include "trigexact.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

const std::vector<double>& demoArguments()
{
    static const std::vector<double> arguments = [] {
        std::vector<double> all = helixsoftTrigArguments(2100, 50);
        const std::vector<double> gl = vesselglTrigArguments(2100, 50);
        all.insert(all.end(), gl.begin(), gl.end());
        return all;
    }();
    return arguments;
}

template <typename Function>
void runOverDemoArguments(benchmark::State& state, Function function)
{
    const std::vector<double>& arguments = demoArguments();
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : arguments) {
            sum += function(x);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(arguments.size()));
}

void BM_libcSinAndCos(benchmark::State& state)
{
    runOverDemoArguments(state, [](double x) { return std::sin(x) + std::cos(x); });
}
BENCHMARK(BM_libcSinAndCos);

void BM_trigSinCos(benchmark::State& state)
{
    runOverDemoArguments(state, [](double x) {
        double s = 0.0;
        double c = 0.0;
        trigSinCos(x, s, c);
        return s + c;
    });
}
BENCHMARK(BM_trigSinCos);

void BM_libcSin(benchmark::State& state)
{
    runOverDemoArguments(state, [](double x) { return std::sin(x); });
}
BENCHMARK(BM_libcSin);

void BM_trigSin(benchmark::State& state)
{
    runOverDemoArguments(state, [](double x) { return trigSin(x); });
}
BENCHMARK(BM_trigSin);

// The GL demo's shape of work: 33 kept angles around a ring, each added to
// the ring's twist, for 42 rings of 0.2 radians' twist; the same sums through
// trigSinCos beside it.
struct RingSums {
    std::vector<TrigAngle> around;
    std::vector<TrigPair> out;
    RingSums() : out(33)
    {
        for (int k = 0; k <= 32; ++k) {
            around.push_back(trigAngle(static_cast<float>(6.283186 / 32.0 * k)));
        }
    }
};

void BM_trigSinCosSums(benchmark::State& state)
{
    RingSums rings;
    for (auto _ : state) {
        for (int i = 0; i < 42; ++i) {
            trigSinCosSums(trigAngle(static_cast<float>(0.2 * i)), rings.around.data(), 33,
                           rings.out.data());
            benchmark::DoNotOptimize(rings.out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 42 * 33);
}
BENCHMARK(BM_trigSinCosSums);

void BM_trigSinCosOfSums(benchmark::State& state)
{
    RingSums rings;
    for (auto _ : state) {
        for (int i = 0; i < 42; ++i) {
            const double twist = static_cast<float>(0.2 * i);
            for (int k = 0; k <= 32; ++k) {
                trigSinCos(twist + rings.around[k].x, rings.out[k].s, rings.out[k].c);
            }
            benchmark::DoNotOptimize(rings.out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 42 * 33);
}
BENCHMARK(BM_trigSinCosOfSums);

// The exact path alone, on the first 2,000 arguments.
void BM_trigExactSin(benchmark::State& state)
{
    const std::vector<double> some(demoArguments().begin(), demoArguments().begin() + 2000);
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : some) {
            sum += x < 0x1p-27 ? x : trigExactSin(x);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(some.size()));
}
BENCHMARK(BM_trigExactSin);

} // namespace

BENCHMARK_MAIN();
