// Half-to-even conversions: the fast rounding must agree with the C library's
// nearbyint everywhere, and wild values must saturate instead of overflowing.
#include "rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <random>

namespace {

// The C library's rounding, held to the 32-bit range.
int32_t saturatedNearbyint(double x)
{
    const double r = std::nearbyint(x);
    if (r >= 2147483647.0) {
        return INT32_MAX;
    }
    return r <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(r);
}

TEST(Rounding, HalvesGoToEvenAndWildValuesSaturate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int32_t> cases[] = {
        {2.5, 2},        {3.5, 4},           {-0.5, 0},          {-1.5, -2},
        {-2.5, -2},      {0.49999999999999994, 0},               {255.5, 256},
        {254.5, 254},    {1e300, INT32_MAX}, {-1e300, INT32_MIN}, {inf, INT32_MAX},
        {-inf, INT32_MIN}, {nan, 0},         {2147483647.4, INT32_MAX},
        {-2147483648.4, INT32_MIN},          {4503599627370497.0, INT32_MAX},
        {2147483646.5, 2147483646},          {-2147483647.5, INT32_MIN},
        {2147483647.5, INT32_MAX},           {-2147483648.5, INT32_MIN},
        {-2147483646.5, -2147483646},        {0.5, 0},           {-3.5, -4},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(roundToInt32(input), expected) << "input " << input;
    }
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> wide(-3e9, 3e9);
    std::uniform_int_distribution<int> halves(-200000, 200000);
    for (int i = 0; i < 100000; ++i) {
        const double x = wide(random);
        const double half = halves(random) + 0.5;
        const double narrow = static_cast<float>(x * 1e-6);
        for (const double value : {x, half, narrow}) {
            ASSERT_EQ(roundHalfEven(value), std::nearbyint(value)) << value;
            ASSERT_EQ(roundToInt32(value), saturatedNearbyint(value)) << value;
        }
    }
}

} // namespace
