#include "frameclock.h"

#include <gtest/gtest.h>

TEST(FrameClock, FirstFrameUsesTimeOneAndItsTwist)
{
    FrameClock clock;
    frameClockAdvance(clock);
    EXPECT_EQ(clock.frameTime, 1.0f);
    EXPECT_EQ(clock.twist, 0.0050910423f);
    EXPECT_EQ(clock.spinAngle, 1);
}

TEST(FrameClock, TwistSwingsWithAPeriodOf360Frames)
{
    const struct {
        float frameTime;
        float twist;
    } cases[] = {{0.0f, 0.0f}, {90.0f, 0.29171f}, {180.0f, 0.0f}, {270.0f, -0.29171f},
                 {450.0f, 0.29171f}};
    for (const auto& c : cases) {
        EXPECT_NEAR(frameTwist(c.frameTime), c.twist, 1e-6f) << "frame " << c.frameTime;
    }
}

TEST(FrameClock, SpinWrapsAfterAWholeTurnAndTimeComesToRest)
{
    FrameClock clock;
    clock.frameTime = 16777216.0f;  // 2^24: adding 1 rounds back to the same float
    clock.spinAngle = 359;
    const float twist = frameTwist(clock.frameTime);
    frameClockAdvance(clock);
    EXPECT_EQ(clock.frameTime, 16777216.0f);
    EXPECT_EQ(clock.twist, twist);
    EXPECT_EQ(clock.spinAngle, 0);
    frameClockAdvance(clock);
    EXPECT_EQ(clock.spinAngle, 1);
}
