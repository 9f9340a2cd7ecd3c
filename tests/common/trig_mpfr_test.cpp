// trigSin, trigCos and trigSinCos bit for bit against MPFR's correctly rounded
// sine and cosine: random arguments in every range, the doubles nearest to
// multiples of pi/2, arguments built to lie a hair from a rounding boundary,
// and every argument the demos use; and the hashes the portable tests compare
// with. TUBE_TRIG_SWEEP=N multiplies the sample sizes for a long run.
#include "trig.h"
#include "trig_arguments.h"
#include "trigconstants.h"
#include "trigexact.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// sin x and cos x rounded to nearest from 53-bit evaluations (MPFR rounds
// correctly).
void reference(double x, double& s, double& c)
{
    mpfr_t in;
    mpfr_t sine;
    mpfr_t cosine;
    mpfr_inits2(53, in, sine, cosine, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(in, x, MPFR_RNDN);
    mpfr_sin_cos(sine, cosine, in, MPFR_RNDN);
    s = mpfr_get_d(sine, MPFR_RNDN);
    c = mpfr_get_d(cosine, MPFR_RNDN);
    mpfr_clears(in, sine, cosine, static_cast<mpfr_ptr>(nullptr));
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

int sweepFactor()
{
    const char* text = std::getenv("TUBE_TRIG_SWEEP");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 1;
}

// Checks each argument through all three functions and reports the first few
// misses; returns the hash of MPFR's results.
uint64_t expectCorrectlyRounded(const std::vector<double>& arguments, const char* what)
{
    int misses = 0;
    uint64_t hash = kHashStart;
    for (double x : arguments) {
        double s = 0.0;
        double c = 0.0;
        reference(x, s, c);
        hashSinCosBits(hash, s, c);
        double pairSin = 0.0;
        double pairCos = 0.0;
        trigSinCos(x, pairSin, pairCos);
        const bool right = sameBits(trigSin(x), s) && sameBits(trigCos(x), c) &&
                           sameBits(pairSin, s) && sameBits(pairCos, c);
        if (!right && misses++ < 5) {
            ADD_FAILURE() << what << ": x = " << std::hexfloat << x << ", sin " << pairSin
                          << " (MPFR " << s << "), cos " << pairCos << " (MPFR " << c << ")";
        }
    }
    EXPECT_EQ(misses, 0) << what << ", of " << arguments.size() << " arguments";
    return hash;
}

// The arguments and their negations.
std::vector<double> withNegations(std::vector<double> arguments)
{
    const size_t count = arguments.size();
    for (size_t i = 0; i < count; ++i) {
        arguments.push_back(-arguments[i]);
    }
    return arguments;
}

// Both exact-path functions against MPFR.
void expectExactCorrectlyRounded(double x)
{
    double s = 0.0;
    double c = 0.0;
    reference(x, s, c);
    EXPECT_TRUE(sameBits(trigExactSin(x), s) && sameBits(trigExactCos(x), c))
        << std::hexfloat << x;
}

TEST(TrigMpfr, Boundaries)
{
    expectCorrectlyRounded(withNegations({0.0, 0x1p-1074, DBL_MIN, 0x1.fffffffffffffp-28,
                                          0x1p-27, 0x1p-26, 0x1.6a09e667f3bcdp-27, 1.0,
                                          0x1.921fb54442d18p+0 /* pi/2 */,
                                          0x1.921fb54442d18p+1 /* pi */, 0x1p17, 0x1p30,
                                          DBL_MAX}),
                           "boundaries");
}

TEST(TrigMpfr, MatchesMpfrInEveryRange)
{
    for (int i = 1; i < sweepFactor(); ++i) {  // a long run: more seeds
        expectCorrectlyRounded(randomTrigArguments(30000, -1074, 1024, 100 + i), "random");
    }
    EXPECT_EQ(expectCorrectlyRounded(rangeTrigArguments(), "random"), kRangeSinCosHash);
}

TEST(TrigMpfr, MatchesMpfrNextToMultiplesOfHalfPi)
{
    mpfr_t halfPi;
    mpfr_t multiple;
    mpfr_inits2(2200, halfPi, multiple, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(halfPi, MPFR_RNDN);
    mpfr_div_2ui(halfPi, halfPi, 1, MPFR_RNDN);
    std::vector<double> arguments;
    for (double k = 1; k < 0x1p60; k = k < 3000 ? k + 1 : std::floor(k * 1.01)) {
        mpfr_mul_d(multiple, halfPi, k, MPFR_RNDN);
        const double nearest = mpfr_get_d(multiple, MPFR_RNDN);
        arguments.insert(arguments.end(), {std::nextafter(nearest, 0.0), nearest,
                                           std::nextafter(nearest, DBL_MAX)});
    }
    mpfr_clears(halfPi, multiple, static_cast<mpfr_ptr>(nullptr));
    // The double nearest to a multiple of pi/2 of all, 2^-60.9 from it.
    arguments.push_back(std::ldexp(6381956970095103.0, 797));
    expectCorrectlyRounded(withNegations(arguments), "next to k pi/2");
}

// Doubles x = m 2^(e - 52), 2^52 <= m < 2^53, with m^power * scale nearest to
// each K + 1/2.
std::vector<double> nearestToHalfIntegers(int e, int power, double scale)
{
    std::vector<double> out;
    mpfr_t m;
    mpfr_init2(m, 200);
    for (int k = 0; k < 64; ++k) {
        mpfr_set_d(m, (k + 0.5) / scale, MPFR_RNDN);
        mpfr_rootn_ui(m, m, power, MPFR_RNDN);
        const double mantissa = std::nearbyint(mpfr_get_d(m, MPFR_RNDN));
        if (mantissa >= 0x1p52 && mantissa < 0x1p53) {
            out.push_back(std::ldexp(mantissa, e - 52));
        }
    }
    mpfr_clear(m);
    return out;
}

// For tiny x, sin x = x - x^3/6 and cos x = 1 - x^2/2 to far below an ulp, and
// the distance to the rounding midpoints moves by 2^-56 to 2^-44 ulp from one
// double to the next: the 86 cases lie 2^-53 to 2^-43 ulp from a midpoint,
// too close for the fast evaluation and for the exact one's first precision.
TEST(TrigMpfr, MatchesMpfrAHairFromRoundingMidpoints)
{
    std::vector<double> arguments;
    for (int e = -26; e <= -24; ++e) {
        // x^3/6 in ulps of sin x, 2^(e - 52); 1 - cos x in ulps of 2^-53.
        const std::vector<double> sinCases =
            nearestToHalfIntegers(e, 3, std::ldexp(1.0 / 6, 2 * e - 104));
        const std::vector<double> cosCases =
            nearestToHalfIntegers(e, 2, std::ldexp(1.0, 2 * e - 52));
        arguments.insert(arguments.end(), sinCases.begin(), sinCases.end());
        arguments.insert(arguments.end(), cosCases.begin(), cosCases.end());
    }
    std::vector<double> near;
    for (double x : arguments) {
        near.insert(near.end(), {std::nextafter(x, 0.0), x, std::nextafter(x, 1.0)});
    }
    EXPECT_GT(arguments.size(), 60u);
    expectCorrectlyRounded(withNegations(near), "a hair from a midpoint");
    for (double x : near) {
        expectExactCorrectlyRounded(x);
    }
}

TEST(TrigMpfr, MatchesMpfrOnEveryArgumentOfTheDemos)
{
    const int32_t frames = 2100 * sweepFactor();
    const int32_t pointFrameStep = std::max(1, 100 / sweepFactor());
    const uint64_t hash =
        expectCorrectlyRounded(demoTrigArguments(frames, pointFrameStep), "demos");
    if (sweepFactor() == 1) {
        EXPECT_EQ(hash, kDemoSinCosHash);
    }
}

// |upper + lower - exact| <= err, in MPFR's exact arithmetic.
bool withinBound(const mpfr_t exact, double upper, double lower, double err)
{
    mpfr_t kept;
    mpfr_init2(kept, 2200);
    mpfr_set_d(kept, upper, MPFR_RNDN);
    mpfr_add_d(kept, kept, lower, MPFR_RNDN);
    mpfr_sub(kept, kept, exact, MPFR_RNDN);
    mpfr_abs(kept, kept, MPFR_RNDN);
    const bool within = mpfr_cmp_d(kept, err) <= 0;
    mpfr_clear(kept);
    return within;
}

// Kept angles' sines and cosines lie within their bounds, in every range and
// next to the quarter turns, where one of the two is small.
TEST(TrigMpfr, KeptAnglesAreWithinTheirBounds)
{
    std::vector<double> arguments = randomTrigArguments(20000 * sweepFactor(), -40, 1024, 11);
    const std::vector<double> near = randomTrigArguments(20000 * sweepFactor(), -50, -3, 12);
    for (size_t i = 0; i < near.size(); ++i) {
        arguments.push_back(static_cast<double>(i % 64) * 0x1.921fb54442d18p+0 + near[i]);
    }
    mpfr_t x;
    mpfr_t s;
    mpfr_t c;
    mpfr_inits2(200, x, s, c, static_cast<mpfr_ptr>(nullptr));
    int misses = 0;
    for (double v : arguments) {
        const TrigAngle a = trigAngle(v);
        mpfr_set_d(x, v, MPFR_RNDN);
        mpfr_sin_cos(s, c, x, MPFR_RNDN);
        misses += !withinBound(s, a.sinUpper, a.sinLower, a.sinErr) ||
                  !withinBound(c, a.cosUpper, a.cosLower, a.cosErr);
    }
    mpfr_clears(x, s, c, static_cast<mpfr_ptr>(nullptr));
    EXPECT_EQ(misses, 0);
}

TEST(TrigExact, MatchesMpfrWithoutTheFastPath)
{
    for (double x : randomTrigArguments(1000 * sweepFactor(), -27, 1024, 7)) {
        expectExactCorrectlyRounded(x);
    }
}

TEST(TrigExact, ConstantsAreTheDigitsOfTwoOverPiAndPiOverFour)
{
    mpfr_t value;
    mpfr_init2(value, 2400);
    const auto expectDigits = [&](const uint32_t* digits, int count) {
        for (int i = 0; i < count; ++i) {
            mpfr_mul_2ui(value, value, 32, MPFR_RNDN);  // exact
            const unsigned long digit = mpfr_get_ui(value, MPFR_RNDZ);
            mpfr_sub_ui(value, value, digit, MPFR_RNDN);
            EXPECT_EQ(digits[i], digit) << "digit " << i;
        }
    };
    mpfr_const_pi(value, MPFR_RNDN);
    mpfr_ui_div(value, 2, value, MPFR_RNDN);
    expectDigits(kTwoOverPi, kTwoOverPiDigits);
    mpfr_const_pi(value, MPFR_RNDN);
    mpfr_div_2ui(value, value, 2, MPFR_RNDN);
    expectDigits(kPiOverFour, kPiOverFourDigits);
    mpfr_clear(value);
}

} // namespace
