#include "prob/normal_distribution.h"

#include <cmath>
#include <limits>

namespace corvane {
namespace {

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kSqrtTwoPi = 2.50662827463100050242;

// A first guess at the quantile of the lower tail p (0 < p < 1), good to
// about 1e-9 relative: rational approximations of the central part and of
// the tails.
double QuantileGuess(double p) {
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                 -2.759285104469687e+02, 1.383577518672690e+02,
                                 -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                 -1.556989798598866e+02, 6.680131188771972e+01,
                                 -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                 -2.400758277161838e+00, -2.549732539343734e+00,
                                 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                 2.445134137142996e+00, 3.754408661907416e+00};
  constexpr double kLow = 0.02425;
  if (p < kLow) {
    const double s = std::sqrt(-2.0 * std::log(p));
    return (((((c[0] * s + c[1]) * s + c[2]) * s + c[3]) * s + c[4]) * s + c[5]) /
           ((((d[0] * s + d[1]) * s + d[2]) * s + d[3]) * s + 1.0);
  }
  if (p > 1.0 - kLow) return -QuantileGuess(1.0 - p);
  const double s = p - 0.5;
  const double r = s * s;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * s /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

}  // namespace

double NormalUpperTail(double z) { return 0.5 * std::erfc(z * kSqrtHalf); }

double NormalUpperQuantile(double q) {
  if (std::isnan(q) || q < 0.0 || q > 1.0) return std::numeric_limits<double>::quiet_NaN();
  if (q == 0.0) return std::numeric_limits<double>::infinity();
  if (q == 1.0) return -std::numeric_limits<double>::infinity();
  // Q(z) = q is the lower-tail quantile of q, negated.
  double z = -QuantileGuess(q);
  // Newton steps on log Q(z) - log q, which stay well scaled far in the
  // tail. The upper tail of a negative z is close to 1, so work with the
  // smaller tail: for q > 1/2, -z solves Q(-z) = 1 - q.
  const bool upper = q <= 0.5;
  const double target = upper ? q : 1.0 - q;
  double x = upper ? z : -z;
  for (int step = 0; step < 3; ++step) {
    const double tail = NormalUpperTail(x);
    const double density = std::exp(-0.5 * x * x) / kSqrtTwoPi;
    if (density == 0.0) break;
    const double next = x + std::log(tail / target) * tail / density;
    if (next == x) break;
    x = next;
  }
  return upper ? x : -x;
}

double ZFromTails(double q, double p) {
  if (q <= p) return NormalUpperQuantile(q);
  return -NormalUpperQuantile(p);
}

}  // namespace corvane
