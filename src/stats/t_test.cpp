#include "stats/t_test.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "stats/incomplete_beta.h"

namespace corvane {
namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// Spreads and differences of means below this share of the values' size
// are rounding, not data: a running sum over millions of samples leaves
// residues of about 1e-13 of its values, real egg statistics vary by far
// more than 1e-9 of theirs.
constexpr double kRoundingShare = 1e-9;

struct Moments {
  double count = 0.0;  // defined values
  double mean = kUndefined;
  double variance = 0.0;          // unbiased, never negative; 0 for fewer than two values
  double largestDeviation = 0.0;  // the largest |v - mean|
  double largestMagnitude = 0.0;  // the largest |v|
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
  for (const double v : values) {
    if (std::isnan(v)) continue;
    moments.largestDeviation = std::max(moments.largestDeviation, std::fabs(v - moments.mean));
    moments.largestMagnitude = std::max(moments.largestMagnitude, std::fabs(v));
  }
  return moments;
}

// Whether both groups are constant up to rounding: no value strays from its
// group's mean by more than rounding of the largest value of either group.
bool FlatUpToRounding(const Moments& one, const Moments& two, double* tolerance) {
  *tolerance = kRoundingShare * std::max(one.largestMagnitude, two.largestMagnitude);
  return one.largestDeviation <= *tolerance && two.largestDeviation <= *tolerance;
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
  double tolerance = 0.0;
  if (FlatUpToRounding(one, two, &tolerance)) {
    // The sums of squares of flat groups hold only rounding noise: the means
    // agree (no difference) or they differ without any spread.
    if (std::fabs(one.mean - two.mean) <= tolerance) {
      result.t = 0.0;
      result.prob = 1.0;
      return result;
    }
    spread = 0.0;
  }
  result.t = (one.mean - two.mean) / spread;
  const double df = static_cast<double>(result.df);
  const double x = df / (df + result.t * result.t);
  result.prob = IncompleteBeta(df * 0.5, 0.5, x);
  return result;
}

}  // namespace corvane
