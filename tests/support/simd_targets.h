// The kernels' instruction sets, for tests that run them one after another.
// Highway picks the best one the processor has, once for all kernels; a scope
// lowers that ceiling, so each kernel falls back to the best it was built for
// at or below the given one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The instruction sets to try, best first: those the processor runs that the
// build compiled. A build without run-time choice lists just its one.
std::vector<int64_t> simdTargets();
std::string simdTargetName(int64_t target);

// While it lives, the kernels run as on a processor whose best instruction set
// is target (one of simdTargets()).
struct SimdTargetScope {
    explicit SimdTargetScope(int64_t target);
    ~SimdTargetScope();
    SimdTargetScope(const SimdTargetScope&) = delete;
    SimdTargetScope& operator=(const SimdTargetScope&) = delete;
};
