// The reciprocal division must give the quotient of the / operator for every
// divisor in its table and every dividend a slope or span step can have.
#include "divide.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Divide, ReciprocalsTruncateExactlyLikeTheOperator)
{
    std::mt19937_64 random(1);
    std::uniform_int_distribution<int64_t> wide(-(int64_t{1} << 52), int64_t{1} << 52);
    for (int64_t d = -3; d <= 1100; ++d) {
        if (d == 0) {
            continue;
        }
        // Multiples and their neighbours are where a reciprocal goes wrong.
        for (int64_t q : {int64_t{0}, int64_t{1}, int64_t{255}, int64_t{65535}, int64_t{1} << 33,
                          (int64_t{1} << 52) / 1100}) {
            for (int64_t r : {int64_t{-1}, int64_t{0}, int64_t{1}}) {
                for (int64_t sign : {int64_t{-1}, int64_t{1}}) {
                    const int64_t n = sign * (q * d + r);
                    ASSERT_EQ(divideTruncating(n, d), n / d) << n << " / " << d;
                }
            }
        }
        for (int i = 0; i < 200; ++i) {
            const int64_t n = wide(random);
            ASSERT_EQ(divideTruncating(n, d), n / d) << n << " / " << d;
        }
    }
    EXPECT_EQ(divideTruncating(INT64_MIN, -1), INT64_MAX);
    EXPECT_EQ(divideTruncating(INT64_MAX, 7), INT64_MAX / 7);
    EXPECT_EQ(divideTruncating(int64_t{1} << 60, 3), (int64_t{1} << 60) / 3);
}

} // namespace
