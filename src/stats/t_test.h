// The two-sample t-test with equal group sizes and pooled variance, as the
// interval comparison uses it.
#pragma once

#include <cstdint>
#include <span>

namespace corvane {

struct TTestResult {
  double prob = 1.0;  // two-sided probability of |t| under Student's t with df
  double mean1 = 0.0;
  double mean2 = 0.0;
  double t = 0.0;
  std::int64_t df = 0;  // 2L - 2 for two complete groups of L values
};

// Compares the first L values of first and second (L = the smaller size,
// at least 2): df = 2L - 2, t = (mean1 - mean2) / sqrt((s1^2 + s2^2) / L)
// with the unbiased variances, prob = I_x(df/2, 1/2) with x = df/(df + t^2).
//
// A variance that rounding makes slightly negative counts as 0. Two groups
// that are constant up to rounding (no value strays from its group's mean by
// more than 1e-9 of the largest value) give t = 0 and prob = 1 when their
// means agree to the same share, an infinite t and prob = 0 when they
// differ by more: the residues that a running-sum filter leaves in a flat
// series are no difference.
//
// An undefined value (NaN) is left out of its group: the means are those of
// the defined values, and groups of n1 and n2 defined values are compared by
// the pooled-variance test with df = n1 + n2 - 2. With no defined value in a
// group, or df below 1, the mean, t and prob that cannot be formed are NaN.
TTestResult RunTTest(std::span<const double> first, std::span<const double> second);

}  // namespace corvane
