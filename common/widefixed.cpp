// Schoolbook arithmetic on 32-bit digits with 64-bit intermediates; nothing
// here touches floating point except the two conversions, which move bits
// and scale by powers of two (exact operations).
#include "widefixed.h"

#include <bit>
#include <cassert>
#include <cmath>

namespace {

constexpr int kDigitBits = 32;
constexpr uint64_t kDigitMask = 0xffffffffu;

int digitCount(const WideFixed& a)
{
    return a.limbs + 1;
}

// Digit i, or 0 past the end.
uint64_t digitOrZero(const WideFixed& a, int i)
{
    return i < digitCount(a) ? a.digit[i] : 0u;
}

} // namespace

WideFixed wideInteger(uint32_t whole, int limbs)
{
    assert(limbs >= 1 && limbs <= kWideMaxLimbs);
    WideFixed a{};
    a.limbs = limbs;
    a.digit[0] = whole;
    return a;
}

WideFixed wideFromDouble(double d, int limbs)
{
    assert(d >= 0.0 && d < 4294967296.0);
    WideFixed a = wideInteger(0, limbs);
    double rest = d;
    for (int i = 0; i < digitCount(a) && rest != 0.0; ++i) {
        // rest < 2^32 at every step: taking the floor and scaling by 2^32 are exact.
        const double whole = std::floor(rest);
        a.digit[i] = static_cast<uint32_t>(whole);
        rest = std::ldexp(rest - whole, kDigitBits);
    }
    return a;
}

double wideToDouble(const WideFixed& a)
{
    int first = 0;
    while (first < digitCount(a) && a.digit[first] == 0) {
        ++first;
    }
    if (first == digitCount(a)) {
        return 0.0;
    }
    // The 64 bits from the leading one: 53 of mantissa, the rounding bit and
    // ten sticky bits; every bit after them is sticky too.
    const int zeros = std::countl_zero(a.digit[first]);
    const uint64_t top = (digitOrZero(a, first) << kDigitBits) | digitOrZero(a, first + 1);
    const uint64_t third = digitOrZero(a, first + 2);
    const uint64_t window = zeros == 0 ? top : (top << zeros) | (third >> (kDigitBits - zeros));
    const uint64_t unused =
        zeros == 0 ? third : third & ((uint64_t{1} << (kDigitBits - zeros)) - 1);
    bool sticky = (window & 0x3ffu) != 0 || unused != 0;
    for (int i = first + 3; i < digitCount(a); ++i) {
        sticky = sticky || a.digit[i] != 0;
    }
    uint64_t mantissa = window >> 11;
    const bool roundBit = ((window >> 10) & 1u) != 0;
    if (roundBit && (sticky || (mantissa & 1u) != 0)) {
        ++mantissa;  // 2^53 after a carry is still exact as a double
    }
    const int leadExponent = kDigitBits - 1 - kDigitBits * first - zeros;
    return std::ldexp(static_cast<double>(mantissa), leadExponent - 52);
}

WideFixed wideFromDigits(const uint32_t* source, int count, int limbs)
{
    WideFixed a = wideInteger(0, limbs);
    for (int i = 0; i < digitCount(a) && i < count; ++i) {
        a.digit[i] = source[i];
    }
    return a;
}

WideFixed wideResize(const WideFixed& a, int limbs)
{
    return wideFromDigits(a.digit, digitCount(a), limbs);
}

bool wideIsZero(const WideFixed& a)
{
    for (int i = 0; i < digitCount(a); ++i) {
        if (a.digit[i] != 0) {
            return false;
        }
    }
    return true;
}

bool wideLess(const WideFixed& a, const WideFixed& b)
{
    assert(a.limbs == b.limbs);
    for (int i = 0; i < digitCount(a); ++i) {
        if (a.digit[i] != b.digit[i]) {
            return a.digit[i] < b.digit[i];
        }
    }
    return false;
}

WideFixed wideAdd(const WideFixed& a, const WideFixed& b)
{
    assert(a.limbs == b.limbs);
    WideFixed sum = wideInteger(0, a.limbs);
    uint64_t carry = 0;
    for (int i = digitCount(a) - 1; i >= 0; --i) {
        const uint64_t s = static_cast<uint64_t>(a.digit[i]) + b.digit[i] + carry;
        sum.digit[i] = static_cast<uint32_t>(s & kDigitMask);
        carry = s >> kDigitBits;
    }
    return sum;
}

WideFixed wideSub(const WideFixed& a, const WideFixed& b)
{
    assert(a.limbs == b.limbs);
    WideFixed difference = wideInteger(0, a.limbs);
    uint64_t borrow = 0;
    for (int i = digitCount(a) - 1; i >= 0; --i) {
        const uint64_t d = static_cast<uint64_t>(a.digit[i]) - b.digit[i] - borrow;
        difference.digit[i] = static_cast<uint32_t>(d & kDigitMask);
        borrow = (d >> kDigitBits) != 0 ? 1u : 0u;
    }
    return difference;
}

WideFixed wideMul(const WideFixed& a, const WideFixed& b)
{
    assert(a.limbs == b.limbs);
    // Column sums of the full product, digit i + j of weight 2^(-32 (i + j)); the
    // columns past the last fraction digit are added in too, then dropped, so
    // the result is the exact product truncated once.
    const int n = digitCount(a);
    uint64_t column[2 * (kWideMaxLimbs + 1)];
    uint64_t columnHigh[2 * (kWideMaxLimbs + 1)];
    for (int k = 0; k < 2 * n - 1; ++k) {
        column[k] = 0;
        columnHigh[k] = 0;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const uint64_t p = static_cast<uint64_t>(a.digit[i]) * b.digit[j];
            const uint64_t before = column[i + j];
            column[i + j] += p;
            columnHigh[i + j] += column[i + j] < before ? 1u : 0u;
        }
    }
    WideFixed product = wideInteger(0, a.limbs);
    uint64_t carry = 0;
    uint64_t carryHigh = 0;
    for (int k = 2 * n - 2; k >= 0; --k) {
        // carry + carryHigh * 2^64 is what column k receives from below.
        const uint64_t low = column[k] + carry;
        const uint64_t high = columnHigh[k] + carryHigh + (low < carry ? 1u : 0u);
        if (k < n) {
            product.digit[k] = static_cast<uint32_t>(low & kDigitMask);
        }
        carry = (low >> kDigitBits) | (high << kDigitBits);
        carryHigh = high >> kDigitBits;
    }
    return product;
}

WideFixed wideMulSmall(const WideFixed& a, uint32_t m)
{
    WideFixed product = wideInteger(0, a.limbs);
    uint64_t carry = 0;
    for (int i = digitCount(a) - 1; i >= 0; --i) {
        const uint64_t p = static_cast<uint64_t>(a.digit[i]) * m + carry;
        product.digit[i] = static_cast<uint32_t>(p & kDigitMask);
        carry = p >> kDigitBits;
    }
    return product;
}

WideFixed wideDivSmall(const WideFixed& a, uint32_t d)
{
    assert(d != 0);
    WideFixed quotient = wideInteger(0, a.limbs);
    uint64_t remainder = 0;
    for (int i = 0; i < digitCount(a); ++i) {
        const uint64_t current = (remainder << kDigitBits) | a.digit[i];
        quotient.digit[i] = static_cast<uint32_t>(current / d);
        remainder = current % d;
    }
    return quotient;
}

WideFixed wideShiftLeft(const WideFixed& a, int bits)
{
    assert(bits >= 0 && bits < digitCount(a) * kDigitBits);
    const int whole = bits / kDigitBits;
    const int part = bits % kDigitBits;
    WideFixed shifted = wideInteger(0, a.limbs);
    for (int i = 0; i + whole < digitCount(a); ++i) {
        const uint64_t pair = (static_cast<uint64_t>(a.digit[i + whole]) << kDigitBits) |
                              (i + whole + 1 < digitCount(a) ? a.digit[i + whole + 1] : 0u);
        shifted.digit[i] = static_cast<uint32_t>((pair << part) >> kDigitBits);
    }
    return shifted;
}

WideFixed wideShiftRight(const WideFixed& a, int bits)
{
    assert(bits >= 0 && bits < digitCount(a) * kDigitBits);
    const int whole = bits / kDigitBits;
    const int part = bits % kDigitBits;
    WideFixed shifted = wideInteger(0, a.limbs);
    for (int i = whole; i < digitCount(a); ++i) {
        const int from = i - whole;
        const uint64_t pair = (from >= 1 ? static_cast<uint64_t>(a.digit[from - 1]) << kDigitBits
                                         : 0u) |
                              a.digit[from];
        shifted.digit[i] = static_cast<uint32_t>((pair >> part) & kDigitMask);
    }
    return shifted;
}
