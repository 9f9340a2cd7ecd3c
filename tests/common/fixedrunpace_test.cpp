#include "fixedrunpace.h"

#include <gtest/gtest.h>

// Simulated: cheap frames whose real cost the browser pays one yield later (as with WebGL),
// then slow ones. No batch (resume to resume) runs far past the interval; cheap frames share.
TEST(FixedRunPace, KeepsEveryBatchNearTheInterval)
{
    FixedRunPace pace = fixedRunPaceStart(0.0);
    double now = 0.0;
    double owed = 0.0;  // the browser's work on the last batch
    int cheapFrames = 0;
    for (int batch = 0; batch < 200; ++batch) {
        const bool slow = batch >= 100;
        const double start = now;
        int frames = 1;
        while (!fixedRunPaceFrameDone(pace, now += slow ? 40.0 : 0.1)) {
            ++frames;
        }
        now += owed + 1.0;
        owed = slow ? 0.0 : 10.0 * frames;
        cheapFrames += slow ? 0 : frames;
        EXPECT_LT(now - start, 3 * kFixedRunYieldMs) << "batch " << batch;
        fixedRunPaceResumed(pace, now);
    }
    EXPECT_GT(cheapFrames, 300);  // about 4 a batch fit in 50 ms
}
