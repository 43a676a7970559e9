#include "stats/t_test.h"

#include <algorithm>
#include <cmath>

#include "stats/incomplete_beta.h"

namespace corvane {
namespace {

struct Moments {
  double mean = 0.0;
  double variance = 0.0;  // unbiased, never negative
};

Moments GroupMoments(std::span<const double> values) {
  const double count = static_cast<double>(values.size());
  double sum = 0.0;
  double sumSquares = 0.0;
  for (const double v : values) {
    sum += v;
    sumSquares += v * v;
  }
  Moments moments;
  moments.mean = sum / count;
  moments.variance =
      std::max(0.0, (sumSquares - count * moments.mean * moments.mean) / (count - 1.0));
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
  result.df = 2 * static_cast<std::int64_t>(length) - 2;
  const double spread = std::sqrt((one.variance + two.variance) / count);
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
