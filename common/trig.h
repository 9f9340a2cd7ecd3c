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
