// The GL demo's per-frame animation state. Every step is a fixed amount per
// frame, never per unit of time: the display's refresh rate sets the speed.
#pragma once

#include <cstdint>

struct FrameClock {
    float frameTime = 0.0f;  // +1 per frame; comes to rest at 2^24, where +1 no longer changes it
    float twist = 0.0f;      // radians between successive rings
    int32_t spinAngle = 0;   // degrees about the view axis, kept in 0..359
};

// The twist for a frame: frameTime acts as an angle in degrees, so it swings
// through +-0.29171 radians every 360 frames.
float frameTwist(float frameTime);

// Moves on by one frame: frameTime + 1, its twist, and one more degree of spin.
void frameClockAdvance(FrameClock& clock);
