// The frame-rate line and the pacing clock, driven by a simulated clock: the
// rate a paced loop reaches when the retrace wait holds frames back, when it
// does not, and after a stall.
#include "framerun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FrameRun, TheFpsLineComesEveryFiveSecondsInGlxgearsForm)
{
    EXPECT_EQ(fpsLine(300, 5.0), "300 frames in 5.0 seconds = 60.000 FPS\n");
    FpsCounter counter;
    std::string line;
    int lines = 0;
    for (int frame = 0; frame <= 600; ++frame) {  // 10 s at 60 frames a second
        if (fpsCounterFrame(counter, 100.0 + frame / 60.0, line)) {
            ++lines;
            EXPECT_EQ(line, "300 frames in 5.0 seconds = 60.000 FPS\n") << frame;
        }
    }
    EXPECT_EQ(lines, 2);
}

// Frames that take renderSeconds each, then the pacer's wait (plus what a
// retrace wait of the platform adds); the frames shown in the last seconds.
struct Simulated {
    FramePacer pacer;
    double now = 1000.0;
    double retracePeriod = 0.0;  // 0: flips return at once

    int framesIn(double seconds, double renderSeconds)
    {
        const double end = now + seconds;
        int frames = 0;
        while (now < end) {
            now += renderSeconds;
            if (retracePeriod > 0.0) {
                now = (static_cast<long long>(now / retracePeriod) + 1) * retracePeriod;
            }
            now += framePacerWait(pacer, now);
            ++frames;
        }
        return frames;
    }
};

TEST(FrameRun, APacerHoldsTheRefreshRateWhereTheRetraceWaitDoesNot)
{
    Simulated unpacedFlips;
    framePacerStart(unpacedFlips.pacer, 0, true);  // no rate reported: 60 Hz
    unpacedFlips.framesIn(1.0, 0.001);
    EXPECT_EQ(unpacedFlips.pacer.phase, PacerPhase::clock);
    EXPECT_NEAR(unpacedFlips.framesIn(10.0, 0.001), 600, 1);

    Simulated retrace;
    retrace.retracePeriod = 1.0 / 75;
    framePacerStart(retrace.pacer, 75, true);
    retrace.framesIn(1.0, 0.001);
    EXPECT_EQ(retrace.pacer.phase, PacerPhase::retrace) << "the retrace paces: no clock on top";
    EXPECT_NEAR(retrace.framesIn(10.0, 0.001), 750, 1);

    Simulated busyAtFirst;  // a loaded processor at the start hides flips that never wait
    framePacerStart(busyAtFirst.pacer, 60, true);
    busyAtFirst.framesIn(1.0, 0.02);
    busyAtFirst.framesIn(1.0, 0.001);  // at most a run of frames goes unpaced
    EXPECT_NEAR(busyAtFirst.framesIn(10.0, 0.001), 600, 1);

    Simulated clock;
    framePacerStart(clock.pacer, 50, false);
    EXPECT_NEAR(clock.framesIn(10.0, 0.015), 500, 1) << "frames that take most of a period";
}

TEST(FrameRun, AfterAStallTheClockStartsAfreshInsteadOfRushing)
{
    Simulated s;
    framePacerStart(s.pacer, 60, false);
    s.framesIn(1.0, 0.001);
    s.now += 0.5;  // the process was stopped for half a second
    EXPECT_EQ(framePacerWait(s.pacer, s.now), 0.0);
    EXPECT_NEAR(framePacerWait(s.pacer, s.now + 0.001), 1.0 / 60 - 0.001, 1e-9)
        << "the next frame keeps its distance";
}

}  // namespace
