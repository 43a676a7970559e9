#include "prob/gamma_auxiliary.h"

#include <cmath>

namespace corvane {
namespace {

constexpr double kReciprocalSqrtPi = 0.56418958354775628695;

// Continued fraction of e^(v^2) * erfc(v), evaluated from the tail. For
// v >= 5 twenty-four levels reach full double precision.
double ScaledErfcContinuedFraction(double v) {
  constexpr int kLevels = 24;
  double f = v;
  for (int n = kLevels; n >= 1; --n) f = v + (0.5 * n) / f;
  return kReciprocalSqrtPi / f;
}

}  // namespace

double ScaledErfc(double v) {
  if (v >= 5.0) return ScaledErfcContinuedFraction(v);
  // e^(v^2) with v^2 split into its rounded value and the rounding error, so
  // that the error of squaring is not magnified by the exponential.
  const double square = v * v;
  const double square_error = std::fma(v, v, -square);
  return std::exp(square) * (1.0 + square_error) * std::erfc(v);
}

double ReciprocalGammaMinusOne(double a) {
  // 1/Gamma(1 + a) - 1 vanishes at a = 0 and at a = 1. It is written as
  // a * (a - 1) * K(a), with K a Chebyshev-economised polynomial in a - 1/2
  // whose error on [0, 1] is below 1e-18; a - 1 is exact there.
  static constexpr double kCoefficients[] = {
      -8.428750960990943e-10, 1.677863339838239e-08,  -8.938988033967846e-08,
      6.229863608019317e-08,  2.1338673676801534e-06, -1.3881273882379508e-05,
      2.5888670004269317e-05, 0.0001488873088419879,  -0.0011042580869391366,
      0.0021579532692079704,  0.00633683330508201,    -0.04161568105120631,
      0.05255106857397674,    0.1646981057811324,     -0.5135166683820503,
  };
  const double t = a - 0.5;
  double k = 0.0;
  for (double c : kCoefficients) k = k * t + c;
  return a * (a - 1.0) * k;
}

double LogRatioDeviation(double l, double u) {
  if (u < -0.39 || u > 0.57) return (l - 0.5 - 0.5) - std::log(l);
  // With r = u / (2 + u), ln(1 + u) = 2 atanh(r), so
  // u - ln(1 + u) = 2 t (1/(1 - r) - r S(t)) with t = r^2 and
  // S(t) = 1/3 + t/5 + t^2/7 + ... Here |r| < 0.243 and t < 0.059: twelve
  // terms of S leave an error below 1e-18.
  static constexpr double kOddReciprocals[] = {
      1.0 / 25, 1.0 / 23, 1.0 / 21, 1.0 / 19, 1.0 / 17, 1.0 / 15,
      1.0 / 13, 1.0 / 11, 1.0 / 9,  1.0 / 7,  1.0 / 5,  1.0 / 3,
  };
  const double r = u / (2.0 + u);
  const double t = r * r;
  double s = 0.0;
  for (double c : kOddReciprocals) s = s * t + c;
  return 2.0 * t * (1.0 / (1.0 - r) - r * s);
}

}  // namespace corvane
