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
  std::int64_t df = 0;  // 2L - 2
};

// Compares first and second, two groups of the same size L >= 2 (only the
// first L = min of both sizes values are used). A variance that rounding
// makes slightly negative counts as 0. Two groups without variance give
// t = 0 and prob = 1 when their means are equal, an infinite t and prob = 0
// when they differ.
TTestResult RunTTest(std::span<const double> first, std::span<const double> second);

}  // namespace corvane
