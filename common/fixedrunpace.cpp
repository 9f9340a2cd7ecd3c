#include "fixedrunpace.h"

#include <algorithm>
#include <chrono>

double fixedRunClockMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double, std::milli>(now).count();
}

FixedRunPace fixedRunPaceStart(double nowMs)
{
    return FixedRunPace{nowMs, 0, 1};
}

bool fixedRunPaceFrameDone(FixedRunPace& pace, double nowMs)
{
    ++pace.framesSinceResume;
    return pace.framesSinceResume >= pace.batchFrames ||
           nowMs - pace.resumedAtMs >= kFixedRunYieldMs;
}

void fixedRunPaceResumed(FixedRunPace& pace, double nowMs)
{
    const double frames = std::max(pace.framesSinceResume, int32_t{1});
    const double batchMs = nowMs - pace.resumedAtMs;
    const double fit = batchMs > 0.0 ? kFixedRunYieldMs * frames / batchMs : 2.0 * frames;
    // Truncated toward zero: a batch errs on the short side.
    pace.batchFrames = static_cast<int32_t>(std::clamp(fit, 1.0, 2.0 * frames));
    pace.resumedAtMs = nowMs;
    pace.framesSinceResume = 0;
}
