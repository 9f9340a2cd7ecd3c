// The portable sine and cosine on any platform: the special values, and the
// bits of every result for both demos' arguments and random arguments of every
// size, by hash, against the correctly rounded results (which the MPFR tests
// establish on the build machine).
#include "trig.h"
#include "trig_arguments.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
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

// Sums of kept angles are trigSinCos of the sum in double, exact or not: the
// GL demo's angles around a ring (some next to quarter turns, where small
// twists give small results), random angles and the special values.
TEST(Trig, SumsOfKeptAnglesAreTrigSinCosOfTheSum)
{
    std::vector<double> angles = randomTrigArguments(200, -40, 6, 9);
    for (int k = -8; k <= 40; ++k) {
        angles.push_back(static_cast<float>(6.283186 / 32.0 * k));
    }
    angles.insert(angles.end(), {0.0, -0.0, 1e300, std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN()});
    std::vector<TrigAngle> kept;
    for (double b : angles) {
        kept.push_back(trigAngle(b));
    }
    std::vector<TrigPair> sums(kept.size());
    int misses = 0;
    for (const TrigAngle& a : kept) {
        trigSinCosSums(a, kept.data(), static_cast<long>(kept.size()), sums.data());
        for (size_t k = 0; k < kept.size(); ++k) {
            double s = 0.0;
            double c = 0.0;
            trigSinCos(a.x + kept[k].x, s, c);
            misses += std::bit_cast<uint64_t>(s) != std::bit_cast<uint64_t>(sums[k].s) ||
                      std::bit_cast<uint64_t>(c) != std::bit_cast<uint64_t>(sums[k].c);
        }
    }
    EXPECT_EQ(misses, 0);
}

} // namespace
