// Truncating signed division for the rasterizer's slopes and span steps. On
// 64-bit processors small divisors (the heights and lengths a frame actually
// has) go through a table of 64-bit reciprocals instead of a hardware divide;
// the quotient is the same as the C++ operator / gives, for every input.
#pragma once

#include <array>
#include <cstdint>

namespace divide_detail {

constexpr int64_t kTableLimit = 1024;      // divisors 2..kTableLimit use the table
constexpr uint64_t kExactBelow = 1ull << 53;  // dividends the reciprocal handles exactly

// floor(2^64 / d) + 1, or exactly 2^64 / d for powers of two: the error of the
// reciprocal times a dividend below 2^53 stays under 1/d, so the high half of
// the product is the exact floor.
constexpr std::array<uint64_t, kTableLimit + 1> makeReciprocals()
{
    std::array<uint64_t, kTableLimit + 1> table{};
    for (int64_t d = 2; d <= kTableLimit; ++d) {
        table[d] = ~0ull / static_cast<uint64_t>(d) + 1;
    }
    return table;
}

inline constexpr std::array<uint64_t, kTableLimit + 1> kReciprocals = makeReciprocals();

// The reciprocal's 64 x 64 -> 128-bit product is one instruction on 64-bit
// processors. WebAssembly and other 32-bit targets have none and call a library
// routine for it, slower than their own 64-bit division.
inline constexpr bool kReciprocalsPay = sizeof(void*) == 8;

} // namespace divide_detail

// n / d rounded toward zero, d != 0; never overflows (INT64_MIN / -1 is not a
// case the rasterizer can produce and is answered with INT64_MAX).
inline int64_t divideTruncating(int64_t n, int64_t d)
{
    using namespace divide_detail;
    const uint64_t magnitude = n < 0 ? 0ull - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    if (kReciprocalsPay && d >= 2 && d <= kTableLimit && magnitude < kExactBelow) {
        const auto product = static_cast<unsigned __int128>(magnitude) * kReciprocals[d];
        const auto quotient = static_cast<int64_t>(product >> 64);
        return n < 0 ? -quotient : quotient;
    }
    if (d == -1) {
        return n == INT64_MIN ? INT64_MAX : -n;
    }
    return n / d;
}
