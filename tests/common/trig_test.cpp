// The portable sine and cosine on any platform: the special values, and the
// bits of every result for both demos' arguments and random arguments of every
// size, by hash, against the correctly rounded results (which the MPFR tests
// establish on the build machine).
#include "trig.h"
#include "trig_arguments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Trig, NanForInfinitiesAndNanAndSignedZeros)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
        double s = 0.0;
        double c = 0.0;
        trigSinCos(x, s, c);
        EXPECT_TRUE(std::isnan(trigSin(x)) && std::isnan(trigCos(x)) && std::isnan(s) &&
                    std::isnan(c));
    }
    for (double zero : {0.0, -0.0}) {
        double s = 1.0;
        double c = 0.0;
        trigSinCos(zero, s, c);
        EXPECT_EQ(std::signbit(s), std::signbit(zero));
        EXPECT_EQ(std::signbit(trigSin(zero)), std::signbit(zero));
        EXPECT_EQ(c, 1.0);
        EXPECT_EQ(trigCos(zero), 1.0);
    }
}

void sinCosSeparately(double x, double& s, double& c)
{
    s = trigSin(x);
    c = trigCos(x);
}

TEST(Trig, SameBitsAsTheCorrectlyRoundedResults)
{
    const std::vector<double> demo = demoTrigArguments(2100, 100);
    const std::vector<double> ranges = rangeTrigArguments();
    EXPECT_EQ(sinCosBitsHash(demo, trigSinCos), kDemoSinCosHash);
    EXPECT_EQ(sinCosBitsHash(demo, sinCosSeparately), kDemoSinCosHash);
    EXPECT_EQ(sinCosBitsHash(ranges, trigSinCos), kRangeSinCosHash);
    EXPECT_EQ(sinCosBitsHash(ranges, sinCosSeparately), kRangeSinCosHash);
}

} // namespace
