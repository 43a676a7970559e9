#include "stats/undefined_samples.h"

#include <cmath>

namespace corvane {

std::vector<double> WithUndefinedAsMean(std::span<const double> values) {
  std::vector<double> copy(values.begin(), values.end());
  double sum = 0.0;
  std::size_t defined = 0;
  for (const double v : values) {
    if (std::isnan(v)) continue;
    sum += v;
    ++defined;
  }
  if (defined == values.size()) return copy;
  const double mean = defined == 0 ? 0.0 : sum / static_cast<double>(defined);
  for (double& v : copy) {
    if (std::isnan(v)) v = mean;
  }
  return copy;
}

}  // namespace corvane
