// The fast path. |x| = k h + r with h = pi/256 and |r| <= h/2 (Cody-Waite below
// 2^30, the exact unit's reduction above), r = upper + lower with a 26-bit
// upper; then, with a = (k mod 128) h and a table of S = sin a, C = cos a,
//   sin(a + r) = S + C r + S (cos r - 1) + C (sin r - r)
//   cos(a + r) = C - S r + C (cos r - 1) - S (sin r - r),
// C r being C's 26-bit upper half times r's upper (exact) plus a small rest,
// and Taylor polynomials for the last two terms; k's quadrant then picks and
// negates. Each result is hi + lo with a rigorous bound on its error; when
// hi + lo +- bound holds a rounding boundary (about one call in 5,000), the
// exact unit decides.
//
// The bound, with u = 2^-53 (first-order sums; the second order is far below):
// - the two polynomial terms are within 11u and 15u of their sizes, counting
//   the rounding of r and r^2, of the coefficients, of each product and sum,
//   of the sums after them and the slack of the rounding test: 16u covers both;
// - everything else is below 2^-75 of the result: the table (2^-106), the
//   rest products (2^-26 of C r, rounded), the sums of those small terms and
//   the Taylor tails, since |S| and |C r| are at most about twice the result;
// - what involves r's lower part is within u of it at each of four roundings;
// - the reduction's own error passes on unchanged (slopes of at most 1).
//
// A kept angle (trigAngle) takes the same steps with S r^2 / 2 (C r^2 / 2)
// exact in the high part and hi + lo renormalised: with u = 2^-53, about 7u of
// |sin r - r| (its polynomial and product; 2^-49 covers it) and everything
// else (the rest of the polynomials, the roundings of the low part's small
// terms, the Taylor tails, the rounding of the kept lower part) within 2^-75
// of the result; 2^-72 covers it. In a sum of two kept angles, each product
// of two kept values is its upper halves' product (exact) plus three terms of
// 2^-26 of it and less, whose roundings and sums stay within 2^-75 of the
// products' sizes; 2^-72 covers them and the slack of the rounding test. The
// kept values' errors add with a slope of at most sqrt 2, or, tighter where a
// factor is small, each error times the size of the value it multiplies.
#include "trig.h"

#include "trigconstants.h"
#include "trigexact.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

// The error-free sums and products need plain IEEE double arithmetic.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0 || defined(__FAST_MATH__)
#error "the trigonometry needs double expressions evaluated in double, without fast-math"
#endif

namespace {

constexpr int kStepsLog2 = 7;
constexpr int32_t kSteps = int32_t{1} << kStepsLog2;  // table steps per quarter turn

// Below 2^-27, sin x rounds to x and cos x to 1: x^3/6 and x^2/2 stay under a
// quarter of an ulp.
constexpr double kTinyLimit = 0x1p-27;

// Exact for normal powers: each step doubles or halves.
constexpr double powerOfTwo(int e)
{
    double p = 1.0;
    for (; e > 0; --e) {
        p *= 2.0;
    }
    for (; e < 0; ++e) {
        p *= 0.5;
    }
    return p;
}

// Bits first to first + count - 1 (at most 53; bit 1 is the first after the
// point) of a binary fraction held in 32-bit digits.
constexpr double fractionBits(const uint32_t* digits, int first, int count)
{
    uint64_t m = 0;
    for (int i = first; i < first + count; ++i) {
        m = (m << 1) | ((digits[(i - 1) / 32] >> (31 - (i - 1) % 32)) & 1u);
    }
    return static_cast<double>(m) * powerOfTwo(-(first + count - 1));
}

// Bits of h = pi/256 = (pi/4) 2^-6.
constexpr double stepPart(int first, int count)
{
    return fractionBits(kPiOverFour, first, count) * powerOfTwo(1 - kStepsLog2);
}

// Cody-Waite: h in parts whose products with k are exact, the last one
// rounded. Below 2^17, k < 2^24: 29-bit parts, within 2^-117 of h. Below 2^30,
// k < 2^37: 16-bit parts, within 2^-139. Per unit of k, or in all, the
// reduction is then within the stated error (the parts' error, the rounding
// of k times the last part and of the sums of the two-sums' errors).
constexpr double kNearLimit = 0x1p17;
constexpr double kNearParts[] = {stepPart(1, 29), stepPart(30, 29), stepPart(59, 53)};
constexpr double kNearErrorPerStep = 0x1p-112;
constexpr double kFarLimit = 0x1p30;
constexpr double kFarParts[] = {stepPart(1, 16),  stepPart(17, 16), stepPart(33, 16),
                                stepPart(49, 16), stepPart(65, 16), stepPart(81, 53)};
constexpr double kFarError = 0x1p-98;
constexpr double kInverseStep = fractionBits(kTwoOverPi, 1, 53) * powerOfTwo(kStepsLog2);
constexpr double kRoundingShift = 0x1.8p52;  // adding it rounds to an integer
// Each rounding that touches the split's lower part is within u of it; four do.
constexpr double kLowerPartError = 0x1p-51;

constexpr double kS3 = -1.0 / 6.0;
constexpr double kS5 = 1.0 / 120.0;
constexpr double kS7 = -1.0 / 5040.0;
constexpr double kC4 = 1.0 / 24.0;
constexpr double kC6 = -1.0 / 720.0;
constexpr double kC8 = 1.0 / 40320.0;
constexpr double kPolynomialError = 0x1p-49;
constexpr double kHeadError = 0x1p-75;
constexpr double kVeltkampSplitter = 134217729.0;  // 2^27 + 1
constexpr double kKeptPolynomialError = 0x1p-49;
constexpr double kKeptHeadError = 0x1p-72;
constexpr double kSumSlope = 1.5;
constexpr double kSumError = 0x1p-72;
constexpr double kSumSizeSlope = 1.0 + 0x1p-20;
constexpr double kSumSizeError = 0x1p-72;
constexpr double kSumFloor = 0x1p-96;

// sin a and cos a as hi + lo, and as a 26-bit upper half (Veltkamp's split)
// plus the rest.
struct StepEntry {
    double sinHi;
    double sinLo;
    double sinUpper;
    double sinRest;
    double cosHi;
    double cosLo;
    double cosUpper;
    double cosRest;
};

struct StepTable {
    StepEntry entry[kSteps];
};

// |x| = step h + upper + lower (modulo a full turn) within err, upper having
// 26 significant bits at most.
struct Reduction {
    int32_t step;
    double upper;
    double lower;
    double err;
};

// A result: the true value lies within err of hi + lo.
struct Candidate {
    double hi;
    double lo;
    double err;
};

// The upper 26 bits of a (Veltkamp's split); a minus it fits in 27 bits.
double upperHalf(double a)
{
    const double c = kVeltkampSplitter * a;
    return c - (c - a);
}

StepTable buildStepTable()
{
    StepTable table{};
    for (int32_t j = 0; j < kSteps; ++j) {
        StepEntry& e = table.entry[j];
        trigExactStep(j, kStepsLog2, e.sinHi, e.sinLo, e.cosHi, e.cosLo);
        e.sinUpper = upperHalf(e.sinHi);
        e.sinRest = (e.sinHi - e.sinUpper) + e.sinLo;
        e.cosUpper = upperHalf(e.cosHi);
        e.cosRest = (e.cosHi - e.cosUpper) + e.cosLo;
    }
    return table;
}

const StepTable& stepTable()
{
    static const StepTable table = buildStepTable();
    return table;
}

// sum + error = a + b exactly (Knuth).
void twoSum(double a, double b, double& sum, double& error)
{
    sum = a + b;
    const double bPart = sum - a;
    error = (a - (sum - bPart)) + (b - bPart);
}

Reduction splitReduction(int32_t step, double head, double tail, double err)
{
    const double upper = upperHalf(head);
    const double lower = (head - upper) + tail;
    return Reduction{step, upper, lower, err + kLowerPartError * std::fabs(lower)};
}

template <size_t kParts>
Reduction reduceCodyWaite(double ax, const double (&parts)[kParts], double errorPerStep,
                          double error)
{
    const double k = (ax * kInverseStep + kRoundingShift) - kRoundingShift;
    // ax - k parts[0] is exact: the product is, and lies within a factor 2 of
    // ax for k >= 1. The two-sums keep every later difference exact.
    double head = 0.0;
    double tail = 0.0;
    twoSum(ax - k * parts[0], -(k * parts[1]), head, tail);
    for (size_t i = 2; i + 1 < kParts; ++i) {
        double headError = 0.0;
        twoSum(head, -(k * parts[i]), head, headError);
        tail += headError;
    }
    tail -= k * parts[kParts - 1];
    const int32_t step = static_cast<int32_t>(static_cast<int64_t>(k) & (4 * kSteps - 1));
    return splitReduction(step, head, tail, k * errorPerStep + error);
}

Reduction reduceArgument(double ax)
{
    if (ax < kNearLimit) {
        return reduceCodyWaite(ax, kNearParts, kNearErrorPerStep, 0.0);
    }
    if (ax < kFarLimit) {
        return reduceCodyWaite(ax, kFarParts, 0.0, kFarError);
    }
    int32_t step = 0;
    double hi = 0.0;
    double lo = 0.0;
    const double err = trigExactReduce(ax, kStepsLog2, step, hi, lo);
    return splitReduction(step, hi, lo, err);
}

// sin(a + r) and cos(a + r) for the table's a. C r is C's upper half times r's
// (exact: 26 bits by 26) and the small rest; likewise S r.
void evaluateStep(const StepEntry& t, const Reduction& r, Candidate& sinA, Candidate& cosA)
{
    const double rf = r.upper + r.lower;
    const double z = rf * rf;
    const double cosMinusOne = z * (-0.5 + z * (kC4 + z * kC6));
    const double sinMinusR = rf * z * (kS3 + z * (kS5 + z * kS7));

    const double cu = t.cosUpper * r.upper;
    const double sinTerm2 = t.sinHi * cosMinusOne;
    const double sinTerm3 = t.cosHi * sinMinusR;
    sinA.hi = t.sinHi + cu;  // exact with (cu - (hi - S)): |S| >= |cu| or S = 0
    sinA.lo = (((cu - (sinA.hi - t.sinHi)) + t.cosRest * r.upper) +
               (t.sinLo + t.cosHi * r.lower)) +
              (sinTerm2 + sinTerm3);
    sinA.err = kPolynomialError * (std::fabs(sinTerm2) + std::fabs(sinTerm3)) +
               kHeadError * std::fabs(sinA.hi) + r.err;

    const double su = t.sinUpper * r.upper;
    const double cosTerm2 = t.cosHi * cosMinusOne;
    const double cosTerm3 = t.sinHi * sinMinusR;
    cosA.hi = t.cosHi - su;  // exact with ((C - hi) - su): |C| >= |su|
    cosA.lo = ((((t.cosHi - cosA.hi) - su) - t.sinRest * r.upper) +
               (t.cosLo - t.sinHi * r.lower)) +
              (cosTerm2 - cosTerm3);
    cosA.err = kPolynomialError * (std::fabs(cosTerm2) + std::fabs(cosTerm3)) +
               kHeadError * std::fabs(cosA.hi) + r.err;
}

// sin(a + r) and cos(a + r) for |x| = k h + r (finite, >= kTinyLimit), and k's quadrant.
int32_t stepCandidates(double ax, Candidate& sinA, Candidate& cosA)
{
    // The table first: building it on the first call then spills nothing.
    const StepTable& table = stepTable();
    const Reduction r = reduceArgument(ax);
    evaluateStep(table.entry[r.step & (kSteps - 1)], r, sinA, cosA);
    return (r.step >> kStepsLog2) & 3;
}

// Whether everything within err of hi + lo rounds to one double; `out` is
// that double, negated if asked.
bool roundsOnce(const Candidate& c, bool negative, double& out)
{
    const double below = c.hi + (c.lo - c.err);
    const double above = c.hi + (c.lo + c.err);
    out = negative ? -below : below;
    return below == above;
}

// The exact results where the fast path left them undecided (null: decided).
void exactInto(double x, double* s, double* c)
{
    if (s != nullptr) {
        *s = trigExactSin(x);
    }
    if (c != nullptr) {
        *c = trigExactCos(x);
    }
}

// sin x into *s and cos x into *c; either may be null when not wanted.
void sinCosInto(double x, double* s, double* c)
{
    const double ax = std::fabs(x);
    if (ax < kTinyLimit || !(ax <= DBL_MAX)) {
        // x and 1 below the limit; NaN for infinities and NaN.
        const bool tiny = ax < kTinyLimit;
        if (s != nullptr) {
            *s = tiny ? x : x - x;
        }
        if (c != nullptr) {
            *c = tiny ? 1.0 : x - x;
        }
        return;
    }
    Candidate sinA{};
    Candidate cosA{};
    const int32_t quadrant = stepCandidates(ax, sinA, cosA);
    // sin |x| is sin(a + r), cos(a + r), -sin(a + r), -cos(a + r) in quadrants 0
    // to 3, cos |x| is cos(a + r), -sin(a + r), -cos(a + r), sin(a + r); rounding
    // to nearest commutes with the negations.
    const bool odd = (quadrant & 1) != 0;
    const bool sinDecided =
        s == nullptr || roundsOnce(odd ? cosA : sinA, (quadrant >= 2) != (x < 0.0), *s);
    const bool cosDecided =
        c == nullptr || roundsOnce(odd ? sinA : cosA, quadrant == 1 || quadrant == 2, *c);
    if (!sinDecided || !cosDecided) {
        exactInto(x, sinDecided ? nullptr : s, cosDecided ? nullptr : c);
    }
}

// sin(a + r) and cos(a + r) for the table's a, as trigAngle keeps them: as in
// evaluateStep, but with the largest polynomial term, -S r^2 / 2 (-C r^2 / 2),
// exact and in the high part, and hi + lo renormalised. r^2 = z + zl with
// z = upper^2 exact (26 bits squared), split again so that S's upper half
// times each half is exact.
void wideStep(const StepEntry& t, const Reduction& r, Candidate& sinA, Candidate& cosA)
{
    const double rf = r.upper + r.lower;
    const double q = rf * rf;
    const double z = r.upper * r.upper;
    const double zUpper = upperHalf(z);
    const double zRest = z - zUpper;
    const double zl = r.lower * (r.upper + r.upper + r.lower);
    const double cosRest = -0.5 * zl + q * q * (kC4 + q * (kC6 + q * kC8));  // cos r - 1 + z/2
    const double sinMinusR = rf * q * (kS3 + q * (kS5 + q * kS7));
    const double err = kKeptPolynomialError * std::fabs(sinMinusR) + r.err;

    double hi = t.sinHi + t.cosUpper * r.upper;  // exact as in evaluateStep
    double headError = (t.cosUpper * r.upper) - (hi - t.sinHi);
    double polyError = 0.0;
    twoSum(hi, -0.5 * (t.sinUpper * zUpper), hi, polyError);
    double lo = (((t.cosRest * r.upper + t.cosHi * r.lower) + t.sinLo) - 0.5 * (t.sinRest * z)) +
                t.sinHi * cosRest;
    lo = ((lo - 0.5 * (t.sinUpper * zRest)) + (headError + polyError)) + t.cosHi * sinMinusR;
    twoSum(hi, lo, sinA.hi, sinA.lo);
    sinA.err = err + kKeptHeadError * std::fabs(sinA.hi);

    hi = t.cosHi - t.sinUpper * r.upper;
    headError = ((t.cosHi - hi) - t.sinUpper * r.upper);
    twoSum(hi, -0.5 * (t.cosUpper * zUpper), hi, polyError);
    lo = (((t.cosLo - t.sinRest * r.upper) - t.sinHi * r.lower) - 0.5 * (t.cosRest * z)) +
         t.cosHi * cosRest;
    lo = ((lo - 0.5 * (t.cosUpper * zRest)) + (headError + polyError)) - t.sinHi * sinMinusR;
    twoSum(hi, lo, cosA.hi, cosA.lo);
    cosA.err = err + kKeptHeadError * std::fabs(cosA.hi);
}

// hi + lo as its upper 26 bits and the rest, rounded (within 2^-79 of hi).
void keepWide(const Candidate& w, bool negative, double& upper, double& lower, double& err)
{
    const double hi = negative ? -w.hi : w.hi;
    upper = upperHalf(hi);
    lower = (hi - upper) + (negative ? -w.lo : w.lo);
    err = w.err;
}

// The bounds of a sum from each kept value's own error and size, and the
// roundings from the sizes of the products: much tighter than the common
// bound where a sine or cosine is small (next to multiples of a quarter
// turn). Whether both results then round once.
bool sumRoundsOnce(const TrigAngle& a, const TrigAngle& b, Candidate& sinAB, Candidate& cosAB,
                   TrigPair& out)
{
    const double sa = std::fabs(a.sinUpper);
    const double ca = std::fabs(a.cosUpper);
    const double sb = std::fabs(b.sinUpper);
    const double cb = std::fabs(b.cosUpper);
    const double sinSlopes = (a.sinErr * cb + a.cosErr * sb) + (b.sinErr * ca + b.cosErr * sa);
    const double cosSlopes = (a.cosErr * cb + a.sinErr * sb) + (b.cosErr * ca + b.sinErr * sa);
    sinAB.err = kSumSizeSlope * sinSlopes + kSumSizeError * (sa * cb + ca * sb) + kSumFloor;
    cosAB.err = kSumSizeSlope * cosSlopes + kSumSizeError * (ca * cb + sa * sb) + kSumFloor;
    return roundsOnce(sinAB, false, out.s) && roundsOnce(cosAB, false, out.c);
}

} // namespace

double trigSin(double x)
{
    double s = 0.0;
    sinCosInto(x, &s, nullptr);
    return s;
}

double trigCos(double x)
{
    double c = 0.0;
    sinCosInto(x, nullptr, &c);
    return c;
}

void trigSinCos(double x, double& s, double& c)
{
    sinCosInto(x, &s, &c);
}

TrigAngle trigAngle(double x)
{
    TrigAngle a{};
    a.x = x;
    const double ax = std::fabs(x);
    if (!(ax <= DBL_MAX)) {
        a.sinUpper = a.cosUpper = x - x;  // NaN: every sum is left to trigSinCos
        return a;
    }
    // Below the limit, sin x = x within |x|^3 and cos x = 1 - x^2/2 within
    // x^4/24 plus the rounding of x^2/2.
    Candidate sinA{ax, 0.0, ax * ax * ax};
    Candidate cosA{1.0, -0.5 * ax * ax, ax * ax * (ax + 0x1p-52)};
    int32_t quadrant = 0;
    if (ax >= kTinyLimit) {
        const Reduction r = reduceArgument(ax);
        wideStep(stepTable().entry[r.step & (kSteps - 1)], r, sinA, cosA);
        quadrant = (r.step >> kStepsLog2) & 3;
    }
    const bool odd = (quadrant & 1) != 0;
    keepWide(odd ? cosA : sinA, (quadrant >= 2) != (x < 0.0), a.sinUpper, a.sinLower, a.sinErr);
    keepWide(odd ? sinA : cosA, quadrant == 1 || quadrant == 2, a.cosUpper, a.cosLower,
             a.cosErr);
    a.err = a.sinErr > a.cosErr ? a.sinErr : a.cosErr;
    return a;
}

// sin(a + b) = sin a cos b + cos a sin b, cos(a + b) = cos a cos b - sin a sin b,
// each factor as upper + lower: the products of the upper halves are exact and
// so is their sum (hi + its error); the rest, 2^-26 of them and smaller, goes
// to the low part.
void trigSinCosSums(const TrigAngle& angle, const TrigAngle* b, long count, TrigPair* out)
{
    // A copy the stores to out cannot alias, kept in registers.
    const TrigAngle a = angle;
    const double aError = kSumSlope * a.err + kSumError;
    for (long k = 0; k < count; ++k) {
        const TrigAngle& t = b[k];
        double x = 0.0;
        double xError = 0.0;
        twoSum(a.x, t.x, x, xError);
        const double err = aError + kSumSlope * t.err;

        Candidate sinAB{0.0, 0.0, err};
        twoSum(a.sinUpper * t.cosUpper, a.cosUpper * t.sinUpper, sinAB.hi, sinAB.lo);
        sinAB.lo = (sinAB.lo + (a.sinLower * t.cosLower + a.cosLower * t.sinLower)) +
                   ((a.sinUpper * t.cosLower + a.sinLower * t.cosUpper) +
                    (a.cosUpper * t.sinLower + a.cosLower * t.sinUpper));

        Candidate cosAB{0.0, 0.0, err};
        twoSum(a.cosUpper * t.cosUpper, -(a.sinUpper * t.sinUpper), cosAB.hi, cosAB.lo);
        cosAB.lo = (cosAB.lo + (a.cosLower * t.cosLower - a.sinLower * t.sinLower)) +
                   ((a.cosUpper * t.cosLower + a.cosLower * t.cosUpper) -
                    (a.sinUpper * t.sinLower + a.sinLower * t.sinUpper));

        const bool exact = xError == 0.0;
        if (!(exact && roundsOnce(sinAB, false, out[k].s) && roundsOnce(cosAB, false, out[k].c)) &&
            !(exact && sumRoundsOnce(a, t, sinAB, cosAB, out[k]))) {
            trigSinCos(x, out[k].s, out[k].c);
        }
    }
}
