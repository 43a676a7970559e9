#include "prob/gamma_auxiliary.h"

#include <cmath>

namespace corvane {

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
  // With r = u / (2 + u), ln(1 + u) = 2 atanh(r) = 2r + 2 r t S(t), with
  // t = r^2 and S(t) = 1/3 + t/5 + t^2/7 + ..., and u - 2r = r u, so
  // u - ln(1 + u) = r (u - 2 t S(t)). Here |r| < 0.243 and t < 0.059: twelve
  // terms of S leave a relative error below 1e-17.
  // S by Estrin's scheme: pairs, then pairs of pairs, so that the terms are
  // not one long chain of dependent operations.
  static constexpr double k[12] = {1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9,  1.0 / 11, 1.0 / 13,
                                   1.0 / 15, 1.0 / 17, 1.0 / 19, 1.0 / 21, 1.0 / 23, 1.0 / 25};
  const double r = u / (2.0 + u);
  const double t = r * r;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double s01 = k[0] + k[1] * t, s23 = k[2] + k[3] * t, s45 = k[4] + k[5] * t;
  const double s67 = k[6] + k[7] * t, s89 = k[8] + k[9] * t, s1011 = k[10] + k[11] * t;
  const double s03 = s01 + s23 * t2, s47 = s45 + s67 * t2, s811 = s89 + s1011 * t2;
  const double s = s03 + (s47 + s811 * t4) * t4;
  return r * (u - 2.0 * t * s);
}

}  // namespace corvane
