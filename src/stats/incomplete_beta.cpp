#include "stats/incomplete_beta.h"

#include <cmath>

namespace corvane {
namespace {

constexpr double kEps = 3e-7;
constexpr double kFpMin = 1e-30;
constexpr int kMaxIterations = 100;

// A Lentz term that would divide by zero is replaced by the smallest value.
double AwayFromZero(double value) { return std::fabs(value) < kFpMin ? kFpMin : value; }

}  // namespace

double LogGamma(double x) {
  static constexpr double kCoefficients[6] = {76.18009172947146,     -86.50532032941677,
                                              24.01409824083091,     -1.231739572450155,
                                              0.1208650973866179e-2, -0.5395239384953e-5};
  double tmp = x + 5.5;
  tmp -= (x + 0.5) * std::log(tmp);
  double ser = 1.000000000190015;
  for (int j = 0; j < 6; ++j) ser += kCoefficients[j] / (x + j + 1);
  return std::log(2.5066282746310007 * ser / x) - tmp;
}

double BetaContinuedFraction(double a, double b, double x) {
  const double qab = a + b;
  const double qap = a + 1.0;
  const double qam = a - 1.0;
  double c = 1.0;
  double d = 1.0 / AwayFromZero(1.0 - qab * x / qap);
  double h = d;
  for (int m = 1; m <= kMaxIterations; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1.0 / AwayFromZero(1.0 + aa * d);
    c = AwayFromZero(1.0 + aa / c);
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1.0 / AwayFromZero(1.0 + aa * d);
    c = AwayFromZero(1.0 + aa / c);
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0) < kEps) return h;
  }
  return 0.0;
}

double IncompleteBeta(double a, double b, double x) {
  if (x < 0.0 || x > 1.0) return 0.0;
  double bt = 0.0;
  if (x != 0.0 && x != 1.0) {
    bt = std::exp(LogGamma(a + b) - LogGamma(a) - LogGamma(b) + a * std::log(x) +
                  b * std::log(1.0 - x));
  }
  if (x < (a + 1.0) / (a + b + 2.0)) return bt * BetaContinuedFraction(a, b, x) / a;
  return 1.0 - bt * BetaContinuedFraction(b, a, 1.0 - x) / b;
}

}  // namespace corvane
