#include "prob/binomial_tail.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {
namespace {

// ln Gamma(x) without touching the process-wide sign of std::lgamma.
double LogGamma(double x) {
  int sign = 0;
  return lgamma_r(x, &sign);
}

}  // namespace

double BinomialUpperTail(long long n, long long k, double p) {
  if (n < 0 || !(p >= 0.0 && p <= 1.0)) return std::numeric_limits<double>::quiet_NaN();
  if (k <= 0) return 1.0;
  if (k > n) return 0.0;
  if (p == 0.0) return 0.0;
  if (p == 1.0) return 1.0;
  const double logP = std::log(p);
  const double logQ = std::log1p(-p);
  const double logNFactorial = LogGamma(static_cast<double>(n) + 1.0);
  auto logTerm = [&](long long j) {
    const auto x = static_cast<double>(j);
    const auto y = static_cast<double>(n - j);
    return logNFactorial - LogGamma(x + 1.0) - LogGamma(y + 1.0) + x * logP + y * logQ;
  };
  // The terms rise up to the mode and fall after it: scale by the largest.
  const auto mode = static_cast<long long>(std::floor(static_cast<double>(n + 1) * p));
  const double largest = logTerm(std::clamp(mode, k, n));
  double sum = 0.0;
  for (long long j = k; j <= n; ++j) {
    const double term = std::exp(logTerm(j) - largest);
    sum += term;
    // Past the mode, once a term no longer changes the sum, the rest cannot.
    if (j > mode && term < sum * 1e-17) break;
  }
  return std::min(1.0, sum * std::exp(largest));
}

}  // namespace corvane
