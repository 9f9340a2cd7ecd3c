// Exact sine and cosine. A double x = m * 2^e is reduced by multiplying m with
// the window of 2/pi's bits that reaches the wanted fraction (earlier bits only
// add whole turns), then the series run on |r| <= pi/4. Error bounds are in
// units of the last fraction digit ("ulps"): the reduced angle is within 8,
// each series term within 2 of its exact value, so a margin of 2^10 ulps
// covers the few hundred terms of the widest precision.
#include "trigexact.h"

#include "trigconstants.h"
#include "widefixed.h"

#include <cassert>
#include <cmath>

namespace {

constexpr int kDigitBits = 32;
constexpr int kPrecisions[] = {4, 12, 32};   // fraction digits of each try
constexpr int kStepLimbs = 4;                // the table's entries need ~110 bits
constexpr int kReduceLimbs = 4;              // the fast path's huge arguments
constexpr int kWindowGuardLimbs = 2;         // the window's truncation stays below 2^-64 ulp
constexpr uint32_t kMarginUlps = 1u << 10;
constexpr double kReduceErrorBound = 0x1p-122;  // 8 ulps of four fraction digits, and more

// 32 bits of 2/pi from bit `start` (the first bit after the point is bit 1);
// bits before the point are 0.
uint32_t twoOverPiBits(int start)
{
    if (start + kDigitBits - 1 < 1) {
        return 0;
    }
    if (start < 1) {
        return kTwoOverPi[0] >> (1 - start);
    }
    const int word = (start - 1) / kDigitBits;
    const int offset = (start - 1) % kDigitBits;
    assert(word + 1 < kTwoOverPiDigits);
    const uint64_t pair = (static_cast<uint64_t>(kTwoOverPi[word]) << kDigitBits) |
                          kTwoOverPi[word + 1];
    return static_cast<uint32_t>(pair >> (kDigitBits - offset));
}

WideFixed piOverFour(int limbs)
{
    WideFixed p = wideInteger(0, limbs);
    for (int i = 1; i <= limbs; ++i) {
        p.digit[i] = kPiOverFour[i - 1];
    }
    return p;
}

WideFixed lastDigitUnits(uint32_t units, int limbs)
{
    WideFixed a = wideInteger(0, limbs);
    a.digit[limbs] = units;
    return a;
}

struct WideAngle {
    uint32_t turns;     // K modulo 2^32
    bool negative;      // whether r < 0
    WideFixed radians;  // |r|, within 8 ulps
};

// ax * 2^log2Steps * 2/pi = K + f with |f| <= 1/2, r = f * pi / 2^(log2Steps + 1).
WideAngle reduceWide(double ax, int log2Steps, int limbs)
{
    int exponent = 0;
    const double fraction = std::frexp(ax, &exponent);
    // ax = m 2^(exponent - 53) with a 53-bit integer m.
    const uint64_t m = static_cast<uint64_t>(std::ldexp(fraction, 53));
    const int scale = exponent - 53 + log2Steps;
    // Bit i of 2/pi weighs 2^(scale - i) in the product; those of weight 2^32 and
    // more add whole multiples of 2^32 turns, so the window starts at 2^31.
    WideFixed window = wideInteger(0, limbs + kWindowGuardLimbs);
    for (int d = 0; d <= window.limbs; ++d) {
        window.digit[d] = twoOverPiBits(scale - (kDigitBits - 1) + kDigitBits * d);
    }
    const WideFixed low = wideMulSmall(window, static_cast<uint32_t>(m & 0xffffffffu));
    const WideFixed high =
        wideShiftLeft(wideMulSmall(window, static_cast<uint32_t>(m >> kDigitBits)), kDigitBits);
    WideFixed product = wideAdd(low, high);
    WideAngle angle{product.digit[0], false, {}};
    product.digit[0] = 0;
    WideFixed f = wideResize(product, limbs);
    if ((f.digit[1] & 0x80000000u) != 0) {
        angle.turns += 1;
        angle.negative = true;
        f = wideSub(wideInteger(1, limbs), f);
    }
    const WideFixed quarter = wideMul(f, piOverFour(limbs));  // |f| * pi/4 <= pi/8
    angle.radians =
        log2Steps == 0 ? wideShiftLeft(quarter, 1) : wideShiftRight(quarter, log2Steps - 1);
    return angle;
}

// sin r and cos r for 0 <= r <= pi/4: partial sums stay positive and below 1.
WideFixed sinSeries(const WideFixed& r)
{
    const WideFixed r2 = wideMul(r, r);
    WideFixed term = r;
    WideFixed sum = r;
    for (uint32_t k = 1; !wideIsZero(term); ++k) {
        term = wideDivSmall(wideMul(term, r2), (2 * k) * (2 * k + 1));
        sum = (k & 1u) != 0 ? wideSub(sum, term) : wideAdd(sum, term);
    }
    return sum;
}

WideFixed cosSeries(const WideFixed& r)
{
    const WideFixed r2 = wideMul(r, r);
    WideFixed term = wideInteger(1, r.limbs);
    WideFixed sum = term;
    for (uint32_t k = 1; !wideIsZero(term); ++k) {
        term = wideDivSmall(wideMul(term, r2), (2 * k - 1) * (2 * k));
        sum = (k & 1u) != 0 ? wideSub(sum, term) : wideAdd(sum, term);
    }
    return sum;
}

// |sin ax| or |cos ax| at one precision; `negative` receives the sign.
WideFixed evaluateMagnitude(double ax, bool cosine, int limbs, bool& negative)
{
    const WideAngle angle = reduceWide(ax, 0, limbs);
    const uint32_t quadrant = angle.turns & 3u;
    // sin x is sin r, cos r, -sin r, -cos r in quadrants 0 to 3; cos x is cos r,
    // -sin r, -cos r, sin r.
    const bool useCos = cosine == ((quadrant & 1u) == 0);
    negative = cosine ? (quadrant == 1 || quadrant == 2) : quadrant >= 2;
    if (!useCos && angle.negative) {
        negative = !negative;
    }
    return useCos ? cosSeries(angle.radians) : sinSeries(angle.radians);
}

double exactSinOrCos(double x, bool cosine)
{
    const double ax = std::fabs(x);
    assert(std::isfinite(ax) && ax >= 0x1p-30);
    bool negative = false;
    double rounded = 0.0;
    for (int limbs : kPrecisions) {
        const WideFixed value = evaluateMagnitude(ax, cosine, limbs, negative);
        const WideFixed margin = lastDigitUnits(kMarginUlps, limbs);
        rounded = wideToDouble(value);
        // Decided when the whole interval value +- margin rounds to one double.
        if (!wideLess(value, margin) &&
            wideToDouble(wideSub(value, margin)) == wideToDouble(wideAdd(value, margin))) {
            break;
        }
    }
    // Past the widest try the nearest double of its value stands: no double's
    // sine or cosine lies that close to a midpoint between two doubles.
    if (!cosine && x < 0.0) {
        negative = !negative;
    }
    return negative ? -rounded : rounded;
}

// v as hi + lo: hi the nearest double, lo the nearest double to what remains.
void splitWide(const WideFixed& v, double& hi, double& lo)
{
    hi = wideToDouble(v);
    const WideFixed head = wideFromDouble(hi, v.limbs);
    lo = wideLess(v, head) ? -wideToDouble(wideSub(head, v)) : wideToDouble(wideSub(v, head));
}

} // namespace

double trigExactSin(double x)
{
    return exactSinOrCos(x, false);
}

double trigExactCos(double x)
{
    return exactSinOrCos(x, true);
}

void trigExactStep(int32_t step, int log2Steps, double& sinHi, double& sinLo, double& cosHi,
                   double& cosLo)
{
    const int32_t steps = int32_t{1} << log2Steps;
    assert(step >= 0 && step <= steps);
    // Past half a quarter turn the complement is nearer: sin(a) = cos(pi/2 - a).
    const bool mirrored = 2 * step > steps;
    const uint32_t near = static_cast<uint32_t>(mirrored ? steps - step : step);
    const WideFixed angle =
        wideShiftRight(wideMulSmall(piOverFour(kStepLimbs), 2 * near), log2Steps);
    const WideFixed s = sinSeries(angle);
    const WideFixed c = cosSeries(angle);
    splitWide(mirrored ? c : s, sinHi, sinLo);
    splitWide(mirrored ? s : c, cosHi, cosLo);
}

double trigExactReduce(double ax, int log2Steps, int32_t& step, double& hi, double& lo)
{
    assert(std::isfinite(ax) && ax >= 1.0);
    const WideAngle angle = reduceWide(ax, log2Steps, kReduceLimbs);
    step = static_cast<int32_t>(angle.turns & ((4u << log2Steps) - 1u));
    splitWide(angle.radians, hi, lo);
    if (angle.negative) {
        hi = -hi;
        lo = -lo;
    }
    return kReduceErrorBound;
}
