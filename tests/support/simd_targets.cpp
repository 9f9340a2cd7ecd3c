// Highway's own test hooks: a mock of the processor's instruction sets, and
// the table index every dispatched call reads. A build that compiled a single
// instruction set has no run-time choice and no library behind these hooks.
#include "simd_targets.h"

#include <hwy/highway.h>

#if HWY_TARGETS != HWY_STATIC_TARGET

std::vector<int64_t> simdTargets()
{
    return hwy::SupportedAndGeneratedTargets();
}

SimdTargetScope::SimdTargetScope(int64_t target)
{
    // Target bits grow as the sets get weaker: keep target and every weaker one.
    hwy::SetSupportedTargetsForTest(hwy::SupportedTargets() & ~(target - 1));
    hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

SimdTargetScope::~SimdTargetScope()
{
    hwy::SetSupportedTargetsForTest(0);  // 0 ends the mock
    hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

#else

std::vector<int64_t> simdTargets()
{
    return {HWY_STATIC_TARGET};
}

SimdTargetScope::SimdTargetScope(int64_t) {}

SimdTargetScope::~SimdTargetScope() = default;

#endif

std::string simdTargetName(int64_t target)
{
    return hwy::TargetName(target);
}
