#include "audio/linear_fit.h"

#include <algorithm>

namespace corvane {

double LinearFit(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = std::min(x.size(), y.size());
  double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
    sxx += x[i] * x[i];
    sxy += x[i] * y[i];
  }
  const double count = static_cast<double>(n);
  const double denominator = count * sxx - sx * sx;
  if (n < 2 || denominator == 0.0) return 0.0;
  return (count * sxy - sx * sy) / denominator;
}

}  // namespace corvane
