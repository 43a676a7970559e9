#include "stats/t_test.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "stats/incomplete_beta.h"

namespace corvane {
namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

struct Moments {
  double count = 0.0;  // defined values
  double mean = kUndefined;
  double variance = 0.0;  // unbiased, never negative; 0 for fewer than two values
};

Moments GroupMoments(std::span<const double> values) {
  double count = 0.0;
  double sum = 0.0;
  double sumSquares = 0.0;
  for (const double v : values) {
    if (std::isnan(v)) continue;
    count += 1.0;
    sum += v;
    sumSquares += v * v;
  }
  Moments moments;
  moments.count = count;
  if (count == 0.0) return moments;
  moments.mean = sum / count;
  if (count >= 2.0) {
    moments.variance =
        std::max(0.0, (sumSquares - count * moments.mean * moments.mean) / (count - 1.0));
  }
  return moments;
}

}  // namespace

TTestResult RunTTest(std::span<const double> first, std::span<const double> second) {
  const std::size_t length = std::min(first.size(), second.size());
  const Moments one = GroupMoments(first.first(length));
  const Moments two = GroupMoments(second.first(length));
  const double count = static_cast<double>(length);

  TTestResult result;
  result.mean1 = one.mean;
  result.mean2 = two.mean;
  const bool complete = one.count == count && two.count == count;
  result.df = complete ? 2 * static_cast<std::int64_t>(length) - 2
                       : static_cast<std::int64_t>(one.count + two.count) - 2;
  if (result.df < 1 || one.count == 0.0 || two.count == 0.0) {
    result.t = kUndefined;
    result.prob = kUndefined;
    return result;
  }
  double spread = 0.0;
  if (complete) {
    spread = std::sqrt((one.variance + two.variance) / count);
  } else {
    const double pooled = ((one.count - 1.0) * one.variance + (two.count - 1.0) * two.variance) /
                          static_cast<double>(result.df);
    spread = std::sqrt(pooled * (1.0 / one.count + 1.0 / two.count));
  }
  if (spread == 0.0 && one.mean == two.mean) {
    result.t = 0.0;
    result.prob = 1.0;
    return result;
  }
  result.t = (one.mean - two.mean) / spread;
  const double df = static_cast<double>(result.df);
  const double x = df / (df + result.t * result.t);
  result.prob = IncompleteBeta(df * 0.5, 0.5, x);
  return result;
}

}  // namespace corvane
