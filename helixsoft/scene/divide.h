// Truncating signed division for the rasterizer's slopes and span steps: the
// quotient the C++ operator / gives, for every input, but through a division
// in double wherever that is exact, which is faster than a 64-bit integer
// divide and needs no wider type.
#pragma once

#include <cstdint>

// n / d rounded toward zero, d != 0; never overflows (INT64_MIN / -1 is not a
// case the rasterizer can produce and is answered with INT64_MAX). With both
// operands below 2^53 in size they convert exactly, and the rounded quotient
// is off by less than 1/|d|, less than any fractional quotient's distance to
// the next integer, so truncating it never crosses one.
inline int64_t divideTruncating(int64_t n, int64_t d)
{
    constexpr int64_t kExactBelow = int64_t{1} << 53;
    const auto exact = [](int64_t v) { return v > -kExactBelow && v < kExactBelow; };
    if (exact(n) && exact(d)) {
        return static_cast<int64_t>(static_cast<double>(n) / static_cast<double>(d));  // truncates
    }
    if (d == -1) {
        return n == INT64_MIN ? INT64_MAX : -n;
    }
    return n / d;
}
