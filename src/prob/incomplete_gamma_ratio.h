// The regularised incomplete gamma ratios P(a, x) and Q(a, x) = 1 - P(a, x),
// by the DiDonato-Morris algorithm (1986) at its highest accuracy level: a
// target of 5e-15, about 14 significant digits of whichever ratio is the
// smaller, less in the far tails where the exponent itself carries error.
//
// Defined for a >= 0 and x >= 0, not both 0; in range P + Q = 1 to working
// accuracy, and x = +inf gives P = 1. The result is indeterminate (p = 2 and
// q = 2 as the error indication) for a bad argument (a < 0, x < 0, a = x = 0,
// a NaN or infinite a, a NaN x) and for x extremely close to a very large a
// (|1 - x/a| <= 2 eps with a above about 6.65e28).
//
// The routine keeps no state: calls may run at the same time on any threads.
#pragma once

namespace corvane {

// Which part of the algorithm produced a result; tests use it to reach every
// part.
enum class GammaRatioMethod {
  kError,              // the error indication
  kLimit,              // x = 0, or a result that is 0 or 1 to double precision
  kFiniteSumInteger,   // Q as a finite sum, whole a
  kFiniteSumHalf,      // Q as a finite sum, half-integer a
  kErrorFunction,      // a = 0.5
  kSmallATaylor,       // a < 1, x < 1.1: Taylor series of P / x^a
  kTaylorSeries,       // Taylor series of P / r
  kContinuedFraction,  // continued fraction of Q / r
  kAsymptoticSeries,   // asymptotic expansion of Q / r
  kTemmeAtOne,         // a >= 20 with x/a within e0/sqrt(a) of 1
  kTemmeShort,         // a >= 20, |1 - x/a| <= 1e-3: short Temme polynomials
  kTemmeFull,          // a >= 20, |1 - x/a| <= 0.4: full Temme polynomials
};

struct GammaRatio {
  double p = 0.0;
  double q = 1.0;
  GammaRatioMethod method = GammaRatioMethod::kLimit;

  bool IsError() const { return method == GammaRatioMethod::kError; }
};

GammaRatio incompleteGammaRatio(double a, double x);

}  // namespace corvane
