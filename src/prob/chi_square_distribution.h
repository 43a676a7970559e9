// Chi-square probabilities and quantiles.
//
// p_from_k_x(k, x): the lower-tail probability P that a chi-square variable
// with k degrees of freedom is at most x. q_from_k_x gives the upper tail Q
// directly, without the cancellation of 1 - P for small tails.
// x_from_p_k(p, k): the x with P(k, x) = p, to the root search's relative
// tolerance of about 1e-8.
//
// All state of a call belongs to the call: the operations may run at the same
// time on several threads. On any failure of the numerics they throw
// std::out_of_range with "chiSquareDistribution::<operation>: Result out of
// bounds".
#pragma once

namespace corvane {

class chiSquareDistribution {
 public:
  chiSquareDistribution() = delete;

  static double p_from_k_x(double k, double x);
  static double q_from_k_x(double k, double x);
  static double x_from_p_k(double p, double k);
};

}  // namespace corvane
