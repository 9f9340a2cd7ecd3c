// The GL demo's tube, its start-up build and its rebuild for each frame.
#include "tubeanimation.h"

namespace {

void rebuildTube(TubeAnimation& tube, float twist, float time)
{
    buildTube(tube.mesh, kGlTubeRadius, float(kGlTubeRings), float(kGlTubeSegments), twist, time);
}

}  // namespace

void tubeAnimationStart(TubeAnimation& tube)
{
    tube = TubeAnimation{};
    rebuildTube(tube, 0.0f, 0.0f);
    buildTriangles(tube.mesh, kGlTubeRings, kGlTubeSegments);
}

void tubeAnimationFrame(TubeAnimation& tube)
{
    frameClockAdvance(tube.clock);
    rebuildTube(tube, tube.clock.twist, tube.clock.frameTime);
}
