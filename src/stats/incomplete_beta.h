// The regularised incomplete beta function I_x(a, b) and the pieces behind
// it: the continued fraction of the modified Lentz method and the Lanczos
// log-gamma. They give the two-sided probability of a Student's t value.
//
// Accuracy is that of the fixed constants: the continued fraction stops at a
// relative step below 3e-7, and the log-gamma series has six terms.
#pragma once

namespace corvane {

// I_x(a, b) for a, b > 0. Returns 0 for x outside [0, 1]. When the continued
// fraction does not converge the result is 0 (x below the switch point
// (a + 1) / (a + b + 2)) or 1 (x at or above it).
double IncompleteBeta(double a, double b, double x);

// The continued fraction of I_x(a, b), evaluated by the modified Lentz
// method with EPS 3e-7 and FPMIN 1e-30; 0 when it has not converged within
// its iteration limit.
double BetaContinuedFraction(double a, double b, double x);

// ln Gamma(x) for x > 0.
double LogGamma(double x);

}  // namespace corvane
