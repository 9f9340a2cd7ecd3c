// Sine and cosine that give the same double on every platform: the exact value
// rounded to nearest (ties to even), for every finite double argument in
// radians, computed with IEEE double +, -, *, / and integer arithmetic only.
// NaN and infinities give NaN; sin(-0) is -0, cos(+-0) is 1.
//
// Cost: trigSinCos about 1.4 times the C library's sin and cos of the same
// argument (one table lookup, one shared reduction); trigSin and trigCos cost
// as much as the pair. About one call in 5,000 lies too close to a rounding
// boundary for the fast evaluation and takes a few microseconds more; the
// reduction of |x| >= 2^30 adds about a microsecond. The first call builds an
// 8 KB table (under a millisecond).
#pragma once

double trigSin(double x);
double trigCos(double x);
void trigSinCos(double x, double& s, double& c);

// Sines and cosines of many sums a + b, where a changes seldom and each b
// comes from a list that is kept: each angle's sine and cosine are kept with
// about 2^-72 of error (TrigAngle; about one trigSinCos to make), and each sum
// takes the addition theorem, in about half trigSinCos's time. The results
// are trigSinCos's bits: where the sum in double is inexact or the bounds of
// a result hold a rounding boundary (about one sum in 10,000 of the GL
// demo's), trigSinCos decides.
struct TrigAngle {
    double x;
    double sinUpper, sinLower;  // sin x = upper (26 bits) + lower, within sinErr
    double cosUpper, cosLower;
    double sinErr, cosErr;
    double err;  // the larger of the two
};

struct TrigPair {
    double s;
    double c;
};

TrigAngle trigAngle(double x);

// out[k] = sin and cos of the double nearest a.x + b[k].x, as trigSinCos gives them.
void trigSinCosSums(const TrigAngle& a, const TrigAngle* b, long count, TrigPair* out);
