// The medians and lower 0.05 points of the chi-square distributions with
// 1, 2, 3, ... degrees of freedom, as x_from_p_k(0.5, k) and
// x_from_p_k(0.05, k) give them.
//
// They depend on k alone, so they are evaluated once per process (in
// parallel, on first need) and remembered: the values are exactly those of a
// fresh call. Safe to call from several threads at once. Throws what
// x_from_p_k throws.
#pragma once

#include <vector>

namespace corvane {

struct ChiSquareQuantiles {
  std::vector<double> median;     // median[k - 1] = x_from_p_k(0.5, k)
  std::vector<double> lowerFive;  // lowerFive[k - 1] = x_from_p_k(0.05, k)
};

// The quantiles for k = 1 ... maxDegrees (empty for maxDegrees < 1).
ChiSquareQuantiles ChiSquareQuantilesUpTo(int maxDegrees);

}  // namespace corvane
