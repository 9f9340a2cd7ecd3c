// The division in double must give the quotient of the / operator for every
// divisor and dividend a slope or span step can have, and at the edge of the
// range where it hands over to the integer division.
#include "divide.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int64_t kTwoPow53 = int64_t{1} << 53;

TEST(Divide, TruncatesExactlyLikeTheOperator)
{
    std::mt19937_64 random(1);
    std::uniform_int_distribution<int64_t> wide(-kTwoPow53 + 1, kTwoPow53 - 1);
    std::vector<int64_t> divisors;
    for (int64_t d = -3; d <= 1100; ++d) {
        divisors.push_back(d);
    }
    for (const int64_t d : {int64_t{1} << 21, (int64_t{1} << 32) - 1, int64_t{1} << 33,
                            kTwoPow53 - 3, kTwoPow53, -kTwoPow53 - 1}) {
        divisors.push_back(d);
    }
    for (const int64_t d : divisors) {
        if (d == 0) {
            continue;
        }
        // Multiples and their neighbours are where a rounded quotient goes wrong.
        for (const int64_t q : {int64_t{0}, int64_t{1}, int64_t{255}, int64_t{65535},
                                int64_t{1} << 33, kTwoPow53 / 1100, kTwoPow53 / (d < 0 ? -d : d)}) {
            if (q != 0 && (d < 0 ? -d : d) > INT64_MAX / 2 / q) {
                continue;  // the multiple itself would not fit
            }
            for (const int64_t r : {int64_t{-1}, int64_t{0}, int64_t{1}}) {
                for (const int64_t sign : {int64_t{-1}, int64_t{1}}) {
                    const int64_t n = sign * (q * d + r);
                    ASSERT_EQ(divideTruncating(n, d), n / d) << n << " / " << d;
                }
            }
        }
        for (int i = 0; i < 50; ++i) {
            const int64_t n = wide(random);
            ASSERT_EQ(divideTruncating(n, d), n / d) << n << " / " << d;
        }
    }
    EXPECT_EQ(divideTruncating(INT64_MIN, -1), INT64_MAX);
    EXPECT_EQ(divideTruncating(INT64_MAX, 7), INT64_MAX / 7);
    EXPECT_EQ(divideTruncating(kTwoPow53 + 1, 3), (kTwoPow53 + 1) / 3);
}

} // namespace
