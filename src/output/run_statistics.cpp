#include "output/run_statistics.h"

#include "prob/chi_square_distribution.h"
#include "prob/normal_distribution.h"

namespace corvane {

RunStatistics RunStatisticsOf(const CompositeSeries& series, int samples) {
  RunStatistics values;
  values.useableEggs = series.useableEggs;
  values.samples = samples;
  values.stoufferSum = series.finalStoufferSum;
  values.stoufferDeviation = series.lastCumulativeDeviation;
  values.stoufferDegrees = series.finalStoufferDegrees;
  if (values.stoufferDegrees > 0) {
    const double k = values.stoufferDegrees;
    values.stoufferUpperP = chiSquareDistribution::q_from_k_x(k, values.stoufferSum);
    values.stoufferLowerP = chiSquareDistribution::p_from_k_x(k, values.stoufferSum);
    values.stoufferZ = ZFromTails(values.stoufferUpperP, values.stoufferLowerP);
  }
  values.covarSum = series.finalCovarSum;
  values.covarDegrees = series.finalCovarDegrees;
  const double n = values.covarDegrees;
  if (n > 0 && n + values.covarSum > 0) {
    values.covarUpperP = chiSquareDistribution::q_from_k_x(n, n + values.covarSum);
  }
  return values;
}

}  // namespace corvane
