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
    std::vector<int64_t> divisors = {int64_t{1} << 21, (int64_t{1} << 32) - 1, int64_t{1} << 33,
                                     kTwoPow53 - 3, kTwoPow53, -kTwoPow53 - 1};
    for (int64_t d = -3; d <= 1100; ++d) {
        divisors.push_back(d);
    }
    for (const int64_t d : divisors) {
        // Multiples and their neighbours are where a rounded quotient goes wrong.
        std::vector<int64_t> dividends;
        for (const int64_t q : {int64_t{1}, int64_t{255}, int64_t{65535}, int64_t{1} << 33,
                                kTwoPow53 / 1100, kTwoPow53 / (d < 0 ? -d : d + (d == 0))}) {
            if (d != 0 && q != 0 && (d < 0 ? -d : d) <= INT64_MAX / 2 / q) {
                dividends.insert(dividends.end(), {q * d - 1, q * d, q * d + 1, 1 - q * d, -q * d});
            }
        }
        for (int i = 0; i < 50; ++i) {
            dividends.push_back(wide(random));
        }
        for (const int64_t n : d == 0 ? std::vector<int64_t>{} : dividends) {
            ASSERT_EQ(divideTruncating(n, d), n / d) << n << " / " << d;
        }
    }
    EXPECT_EQ(divideTruncating(INT64_MIN, -1), INT64_MAX);
    EXPECT_EQ(divideTruncating(INT64_MAX, 7), INT64_MAX / 7);
    EXPECT_EQ(divideTruncating(kTwoPow53 + 1, 3), (kTwoPow53 + 1) / 3);
}

} // namespace
