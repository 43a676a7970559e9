#include "prob/incomplete_gamma_ratio.h"

#include <algorithm>
#include <cmath>

#include "prob/gamma_auxiliary.h"
#include "prob/temme_coefficients.h"

namespace corvane {
namespace {

constexpr double kEpsilon = 0x1p-52;
constexpr double kAccuracy = 5e-15;  // max(5e-15, eps)
constexpr double kE0 = 0.25e-3;
constexpr double kX0 = 31.0;
constexpr double kBig = 20.0;
constexpr double kLn10 = 2.30258509299405;
constexpr double kRt2pin = 0.398942280401433;  // 1 / sqrt(2 pi)
constexpr double kRtpi = 1.77245385090552;     // sqrt(pi)
// Beyond this a * eps^2 the Temme expansion near x = a cannot be formed.
constexpr double kTemmeLimit = 3.28e-3;

GammaRatio FromP(double p, GammaRatioMethod method) { return {p, 0.5 + (0.5 - p), method}; }
GammaRatio FromQ(double q, GammaRatioMethod method) { return {0.5 + (0.5 - q), q, method}; }
GammaRatio Error() { return {2.0, 2.0, GammaRatioMethod::kError}; }

// The ratio when it is 0 or 1 to double precision: P = 0 below a, 1 above.
GammaRatio Limit(double a, double x) {
  if (x <= a) return {0.0, 1.0, GammaRatioMethod::kLimit};
  return {1.0, 0.0, GammaRatioMethod::kLimit};
}

// Q for whole a = i with a <= x: e^-x (1 + x + ... + x^(i-1)/(i-1)!).
GammaRatio FiniteSumWhole(double x, int i) {
  double sum = std::exp(-x);
  double t = sum;
  double c = 0.0;
  for (int n = 1; n != i; ++n) {
    c += 1.0;
    t = x * t / c;
    sum += t;
  }
  return FromQ(sum, GammaRatioMethod::kFiniteSumInteger);
}

// Q for half-integer a = i + 1/2 with a <= x.
GammaRatio FiniteSumHalf(double x, int i) {
  const double rtx = std::sqrt(x);
  double sum = std::erfc(rtx);
  double t = std::exp(-x) / (kRtpi * rtx);
  double c = -0.5;
  for (int n = 0; n != i; ++n) {
    c += 1.0;
    t = x * t / c;
    sum += t;
  }
  return FromQ(sum, GammaRatioMethod::kFiniteSumHalf);
}

// P = r/a (1 + sum) with r = x^a e^-x / Gamma(a). The first terms are kept and
// added last, smallest first; the term at which keeping stops starts the sum.
GammaRatio TaylorSeries(double a, double x, double r) {
  double saved[20];
  int count = 0;
  double apn = a + 1.0;
  double t = x / apn;
  for (int n = 2; n <= 20; ++n) {
    saved[count++] = t;
    apn += 1.0;
    t = x / apn * t;
    if (t <= 1e-3) break;
  }
  double sum = t;
  const double tol = 0.5 * kAccuracy;
  do {
    apn += 1.0;
    t = x / apn * t;
    sum += t;
  } while (t > tol);
  while (count > 0) sum += saved[--count];
  return FromP(r / a * (1.0 + sum), GammaRatioMethod::kTaylorSeries);
}

// Q = r * (continued fraction), for x above a (or above 1.1 when a < 1).
GammaRatio ContinuedFraction(double a, double x, double r) {
  const double tol = std::max(5.0 * kEpsilon, kAccuracy);
  double a2nm1 = 1.0;
  double a2n = 1.0;
  double b2nm1 = x;
  double b2n = x + (1.0 - a);
  double c = 1.0;
  double am0 = 0.0;
  double an0 = 0.0;
  do {
    a2nm1 = x * a2n + c * a2nm1;
    b2nm1 = x * b2n + c * b2nm1;
    am0 = a2nm1 / b2nm1;
    c += 1.0;
    const double cma = c - a;
    a2n = a2nm1 + cma * a2n;
    b2n = b2nm1 + cma * b2n;
    an0 = a2n / b2n;
  } while (std::fabs(an0 - am0) >= tol * an0);
  return FromQ(r * an0, GammaRatioMethod::kContinuedFraction);
}

// Q = r/x (1 + sum) for x >= 31, with kept terms as in the Taylor series.
GammaRatio AsymptoticSeries(double a, double x, double r) {
  double saved[20];
  int count = 0;
  double amn = a - 1.0;
  double t = amn / x;
  for (int n = 2; n <= 20; ++n) {
    saved[count++] = t;
    amn -= 1.0;
    t = amn / x * t;
    if (std::fabs(t) <= 1e-3) break;
  }
  double sum = t;
  while (std::fabs(t) > kAccuracy) {
    amn -= 1.0;
    t = amn / x * t;
    sum += t;
  }
  while (count > 0) sum += saved[--count];
  return FromQ(r / x * (1.0 + sum), GammaRatioMethod::kAsymptoticSeries);
}

GammaRatio ChooseSeries(double a, double x, double r) {
  if (r == 0.0) return Limit(a, x);
  if (x <= std::max(a, kLn10)) return TaylorSeries(a, x, r);
  if (x < kX0) return ContinuedFraction(a, x, r);
  return AsymptoticSeries(a, x, r);
}

// (d[count-1] z^(count-1) + ... + d[0]) z
template <int N>
double Polynomial(const double (&d)[N], int count, double z) {
  double s = 0.0;
  for (int i = count - 1; i >= 0; --i) s = s * z + d[i];
  return s * z;
}

// The Temme series in u = 1/a with coefficients polynomial in z. The short
// forms serve near x = a, the full ones up to |1 - x/a| = 0.4.
double TemmeSeries(double z, double u, bool full) {
  using namespace temme;
  const double c0 = Polynomial(kD0, full ? 13 : 7, z) - kThird;
  const double c1 = Polynomial(kD1, full ? 12 : 6, z) + kD10;
  const double c2 = Polynomial(kD2, full ? 10 : 5, z) + kD20;
  const double c3 = Polynomial(kD3, full ? 8 : 4, z) + kD30;
  const double c4 = Polynomial(kD4, full ? 6 : 2, z) + kD40;
  const double c5 = Polynomial(kD5, full ? 4 : 2, z) + kD50;
  const double c6 = Polynomial(kD6, full ? 2 : 1, z) + kD60;
  return ((((((kD70 * u + c6) * u + c5) * u + c4) * u + c3) * u + c2) * u + c1) * u + c0;
}

// The finish of both Temme expansions, from the leading term cw = c * w and
// the correction term c * rt2pin * t / sqrt(a): the smaller tail directly,
// the other as its complement.
GammaRatio TemmeFinish(bool below, double cw, double correction, GammaRatioMethod method) {
  if (!below) return FromQ(cw + correction, method);
  return FromP(cw - correction, method);
}

// Signed sqrt(2 z), negative below x = a.
double TemmeArgument(bool below, double z) {
  const double root = std::sqrt(z + z);
  return below ? -root : root;
}

// a >= 20.
GammaRatio LargeA(double a, double x) {
  const double l = x / a;
  if (l == 0.0) return {0.0, 1.0, GammaRatioMethod::kLimit};
  // s = 1 - x/a, formed as (a - x)/a: a - x is exact near x = a, so s and
  // z = l - 1 - ln(l) keep their relative precision where the Temme
  // expansions need it. Rounding x/a first would cost up to sqrt(a) eps.
  const double s = (a - x) / a;
  const double z = LogRatioDeviation(l, -s);
  const bool below = x < a;
  if (z >= 700.0 / a) {
    if (std::fabs(s) <= 2.0 * kEpsilon) return Error();
    return Limit(a, x);
  }
  const double y = a * z;
  const double rta = std::sqrt(a);
  const double u = 1.0 / a;
  if (std::fabs(s) <= kE0 / rta) {
    if (a * kEpsilon * kEpsilon > kTemmeLimit) return Error();
    // y < 4e-8 here: c = 1 - y and w need no exponential.
    const double c = 0.5 + (0.5 - y);
    const double w = (0.5 - std::sqrt(y) * (0.5 + (0.5 - y / 3.0)) / kRtpi) / c;
    const double t = TemmeSeries(TemmeArgument(below, z), u, false);
    return TemmeFinish(below, c * w, c * (kRt2pin * t / rta), GammaRatioMethod::kTemmeAtOne);
  }
  if (std::fabs(s) <= 0.4) {
    if (std::fabs(s) <= 2.0 * kEpsilon && a * kEpsilon * kEpsilon > kTemmeLimit) return Error();
    const double c = std::exp(-y);
    // c * w = e^-y * 0.5 e^(v^2) erfc(v) with v = sqrt(y), formed as
    // 0.5 erfc(v) e^(v^2 - y): v^2 - y is only the rounding of v (below 2e-13
    // for y < 700), so e^(v^2 - y) = 1 + (v^2 - y) to double precision, with
    // v^2 - y exact from the fused product. No e^(v^2) is formed, so nothing
    // overflows, and erfc(v) stays a normal number for y < 700.
    const double v = std::sqrt(y);
    const double square = v * v;
    const double rounding = (square - y) + std::fma(v, v, -square);
    const double cw = 0.5 * std::erfc(v) * (1.0 + rounding);
    const bool full = std::fabs(s) > 1e-3;
    const double t = TemmeSeries(TemmeArgument(below, z), u, full);
    return TemmeFinish(below, cw, c * (kRt2pin * t / rta),
                       full ? GammaRatioMethod::kTemmeFull : GammaRatioMethod::kTemmeShort);
  }
  const double t = u * u;
  const double t1 = (((0.75 * t - 1.0) * t + 3.5) * t - 105.0) / (a * 1260.0) - y;
  return ChooseSeries(a, x, kRt2pin * rta * std::exp(t1));
}

// 1 <= a < 20.
GammaRatio MediumA(double a, double x) {
  if (a <= x && x < kX0) {
    const double twoa = a + a;
    if (twoa == std::floor(twoa)) {
      const int i = static_cast<int>(twoa) / 2;
      if (a == i) return FiniteSumWhole(x, i);
      return FiniteSumHalf(x, i);
    }
  }
  return ChooseSeries(a, x, std::exp(a * std::log(x) - x) / std::tgamma(a));
}

// 0 < a < 1, x < 1.1: Taylor series of P / x^a.
GammaRatio SmallATaylor(double a, double x) {
  double an = 3.0;
  double c = x;
  double sum = x / (a + 3.0);
  const double tol = 3.0 * kAccuracy / (a + 1.0);
  double t = 0.0;
  do {
    an += 1.0;
    c = -(c * (x / an));
    t = c / (a + an);
    sum += t;
  } while (std::fabs(t) > tol);
  const double j = a * x * ((sum / 6.0 - 0.5 / (a + 2.0)) * x + 1.0 / (a + 1.0));
  const double z = a * std::log(x);
  const double h = ReciprocalGammaMinusOne(a);
  const double g = 1.0 + h;
  const bool direct = x >= 0.25 ? a >= x * 0.3861003861003861 : z <= -0.13394;
  if (direct) {
    const double w = std::exp(z);
    return FromP(w * g * (0.5 + (0.5 - j)), GammaRatioMethod::kSmallATaylor);
  }
  const double v = std::expm1(z);
  const double w = 0.5 + (0.5 + v);
  const double q = (w * j - v) * g - h;
  if (q < 0.0) return {1.0, 0.0, GammaRatioMethod::kSmallATaylor};
  return FromQ(q, GammaRatioMethod::kSmallATaylor);
}

// 0 < a < 1.
GammaRatio SmallA(double a, double x) {
  if (a == 0.5) {
    const double rtx = std::sqrt(x);
    if (x < 0.25) return FromP(std::erf(rtx), GammaRatioMethod::kErrorFunction);
    return FromQ(std::erfc(rtx), GammaRatioMethod::kErrorFunction);
  }
  if (x < 1.1) return SmallATaylor(a, x);
  const double u = a * std::exp(a * std::log(x) - x);
  if (u == 0.0) return {1.0, 0.0, GammaRatioMethod::kLimit};
  return ContinuedFraction(a, x, u * (1.0 + ReciprocalGammaMinusOne(a)));
}

}  // namespace

GammaRatio incompleteGammaRatio(double a, double x) {
  if (!(a >= 0.0) || !(x >= 0.0) || (a == 0.0 && x == 0.0) || std::isinf(a)) return Error();
  if (a * x == 0.0) return Limit(a, x);
  if (std::isinf(x)) return {1.0, 0.0, GammaRatioMethod::kLimit};
  if (a >= kBig) return LargeA(a, x);
  if (a >= 1.0) return MediumA(a, x);
  return SmallA(a, x);
}

}  // namespace corvane
