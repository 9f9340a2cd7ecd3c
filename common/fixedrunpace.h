// When a fixed run (frames 1 to N as fast as they come) hands a browser
// control: whenever about kFixedRunYieldMs have passed since the program last
// got it back, so that the page never stalls for long, however many frames are
// asked for. Much of a frame's cost can fall outside the program (a browser
// draws WebGL after the program has handed it over, blocking the page
// meanwhile), so a frame's time is also taken from one resume to the next over
// a whole batch: the next batch holds no more frames than fit in the interval
// at that rate, nor more than twice as many as the last. Times in milliseconds
// of fixedRunClockMs.
#pragma once

#include <cstdint>

constexpr double kFixedRunYieldMs = 50.0;

struct FixedRunPace {
    double resumedAtMs = 0.0;  // when the program last got control back
    int32_t framesSinceResume = 0;
    int32_t batchFrames = 1;  // frames at most before the next yield
};

// A steady clock: only differences between its values mean anything.
double fixedRunClockMs();
FixedRunPace fixedRunPaceStart(double nowMs);
// After each frame: whether to hand the browser control now.
bool fixedRunPaceFrameDone(FixedRunPace& pace, double nowMs);
// On getting control back after a yield.
void fixedRunPaceResumed(FixedRunPace& pace, double nowMs);
