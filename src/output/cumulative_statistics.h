// The cumulative statistics of the plot data file, per sample C:
//
//   S = sum of stoufZ^2 and K = sum of covar over the samples 0 ... C where
//   they are defined; k_S and k_K count those samples (their degrees of
//   freedom). A sample with NaN adds nothing and does not advance k.
//   D_C = S - median(k_S), the cumulative Stouffer chi-square deviation;
//   E_C = median(k_S) - lowerFive(k_S) + D_0, the p = 0.05 reference curve;
//   P_S = p_from_k_x(k_S, S);
//   P_C = p_from_k_x(k_K, k_K + K) when k_K + K > 0, else 0.
//   Before the first defined sample, median and lower point are 0 and P_S
//   is 0 (no evidence yet).
//
// With every sample defined this is exactly the per-sample evaluation with
// k = C + 1. The probabilities are evaluated in parallel and the quantiles
// come from the process-wide table (chi_square_quantiles.h); the values are
// the same as those of evaluating each sample in turn. Nothing is computed
// (complete is false) when the run is stopped meanwhile. Throws what the
// chi-square operations throw.
#pragma once

#include <vector>

#include "core/run_context.h"
#include "stats/composite_series.h"

namespace corvane {

struct CumulativeStatistics {
  bool complete = false;
  std::vector<double> stoufferSum;   // S
  std::vector<double> deviation;     // D_C, data file column 2
  std::vector<double> reference;     // E_C, column 3
  std::vector<double> stoufferProb;  // P_S, lower tail (column 4 is 1 - P_S)
  std::vector<double> covarSum;      // K, column 13
  std::vector<double> covarProb;     // P_C, lower tail (column 14 is 1 - P_C)
  std::vector<int> stoufferDegrees;  // k_S
  std::vector<int> covarDegrees;     // k_K
};

CumulativeStatistics ComputeCumulativeStatistics(const RunContext& context,
                                                 const CompositeSeries& series);

}  // namespace corvane
