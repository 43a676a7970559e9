#include "output/cumulative_statistics.h"

#include <algorithm>
#include <cmath>

#include "core/parallel_for.h"
#include "output/chi_square_quantiles.h"
#include "prob/chi_square_distribution.h"

namespace corvane {

CumulativeStatistics ComputeCumulativeStatistics(const RunContext& context,
                                                 const CompositeSeries& series) {
  CumulativeStatistics result;
  const size_t n = std::min(series.stoufZ.size(), series.covar.size());
  std::vector<double>& sums = result.stoufferSum;
  std::vector<int>& covarDegrees = result.covarDegrees;
  sums.resize(n);
  covarDegrees.resize(n);
  result.stoufferDegrees.resize(n);
  result.covarSum.resize(n);

  // The running sums, in sample order.
  double s = 0.0, k = 0.0;
  int stoufferCount = 0, covarCount = 0;
  for (size_t c = 0; c < n; ++c) {
    if (!std::isnan(series.stoufZ[c])) {
      s += series.stoufZ[c] * series.stoufZ[c];
      ++stoufferCount;
    }
    if (!std::isnan(series.covar[c])) {
      k += series.covar[c];
      ++covarCount;
    }
    sums[c] = s;
    result.covarSum[c] = k;
    result.stoufferDegrees[c] = stoufferCount;
    covarDegrees[c] = covarCount;
  }
  if (context.Aborted()) return result;

  const ChiSquareQuantiles quantiles = ChiSquareQuantilesUpTo(stoufferCount);
  auto median = [&](int degrees) { return degrees > 0 ? quantiles.Median(degrees) : 0.0; };
  auto lowerFive = [&](int degrees) { return degrees > 0 ? quantiles.LowerFive(degrees) : 0.0; };
  const double firstDeviation = n > 0 ? sums[0] - median(result.stoufferDegrees[0]) : 0.0;

  result.deviation.resize(n);
  result.reference.resize(n);
  result.stoufferProb.resize(n);
  result.covarProb.resize(n);
  ParallelFor(static_cast<std::int64_t>(n), 256, [&](std::int64_t begin, std::int64_t end) {
    if (context.Aborted()) return;
    for (auto c = static_cast<size_t>(begin); c < static_cast<size_t>(end); ++c) {
      const int degrees = result.stoufferDegrees[c];
      const double m = median(degrees);
      result.deviation[c] = sums[c] - m;
      result.reference[c] = m - lowerFive(degrees) + firstDeviation;
      result.stoufferProb[c] =
          degrees > 0 ? chiSquareDistribution::p_from_k_x(degrees, sums[c]) : 0.0;
      const double covarDf = covarDegrees[c];
      result.covarProb[c] =
          covarDf + result.covarSum[c] > 0
              ? chiSquareDistribution::p_from_k_x(covarDf, covarDf + result.covarSum[c])
              : 0.0;
    }
  });
  result.complete = !context.Aborted();
  return result;
}

}  // namespace corvane
