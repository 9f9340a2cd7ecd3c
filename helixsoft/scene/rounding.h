// Float-to-integer conversions of the renderer. Every one rounds to nearest with
// halves to even; values beyond the 32-bit range saturate and NaN gives 0, so a
// wild coordinate never reaches an undefined conversion.
#pragma once

#include <cmath>
#include <cstdint>

// Half-to-even rounding of x to an integral double, exact under the default
// rounding mode: adding and removing 2^52 leaves no fraction bits, and the
// hardware breaks ties to even. Values at or past 2^52 are integral already.
inline double roundHalfEven(double x)
{
    constexpr double kTwoPow52 = 4503599627370496.0;
    const double magnitude = std::fabs(x);
    if (!(magnitude < kTwoPow52)) {
        return x;
    }
    return std::copysign((magnitude + kTwoPow52) - kTwoPow52, x);
}

// Within the 32-bit range, adding and removing 1.5 * 2^52 rounds half to even
// for either sign (the sum lies in [2^52, 2^53), where doubles are the
// integers, and the added constant is even), with no branch on the sign.
inline int32_t roundToInt32(double x)
{
    constexpr double kInt32Max = 2147483647.0;
    constexpr double kInt32Min = -2147483648.0;
    constexpr double kRoundingOffset = 6755399441055744.0;  // 1.5 * 2^52
    if (x >= kInt32Min && x <= kInt32Max) {
        return static_cast<int32_t>((x + kRoundingOffset) - kRoundingOffset);
    }
    if (x != x) {
        return 0;
    }
    return x > 0.0 ? INT32_MAX : INT32_MIN;
}
