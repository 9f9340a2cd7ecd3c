// The GL demo's tube, its start-up build and its rebuild for each frame.
#include "tubeanimation.h"

namespace {

constexpr float kTubeRadius = 3.5f;
constexpr int kTubeRings = 42;
constexpr int kTubeSegments = 32;

void rebuildTube(TubeAnimation& tube, float twist, float time)
{
    buildTube(tube.mesh, kTubeRadius, float(kTubeRings), float(kTubeSegments), twist, time);
}

}  // namespace

void tubeAnimationStart(TubeAnimation& tube)
{
    tube = TubeAnimation{};
    rebuildTube(tube, 0.0f, 0.0f);
    buildTriangles(tube.mesh, kTubeRings, kTubeSegments);
}

void tubeAnimationFrame(TubeAnimation& tube)
{
    frameClockAdvance(tube.clock);
    rebuildTube(tube, tube.clock.twist, tube.clock.frameTime);
}
