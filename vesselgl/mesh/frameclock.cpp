// Advances the GL demo's animation by one frame. The formula runs in double
// with 3.141593 as written and trig.h's correctly rounded sine, rounded once to
// float: the same on every platform, as the tube's own formulas, so desktop and
// web animate the same mesh.
#include "frameclock.h"

#include "conventions.h"
#include "trig.h"

namespace {

constexpr double kTwistAmplitude = 0.29171;

}  // namespace

float frameTwist(float frameTime)
{
    return static_cast<float>(trigSin(kPi * frameTime / kDegreesPerHalfTurn) *
                              kTwistAmplitude);
}

void frameClockAdvance(FrameClock& clock)
{
    clock.frameTime = clock.frameTime + 1.0f;
    clock.twist = frameTwist(clock.frameTime);
    // A whole turn is the same picture; wrapping keeps the angle exact as a
    // float and a long run from overflowing the counter.
    clock.spinAngle = (clock.spinAngle + 1) % kDegreesPerTurn;
}
