#include "stats/complex_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace corvane {

void ComplexFft(std::span<float> data, int sign) {
  const std::size_t n = data.size();  // 2 M floats
  // Bit-reversal permutation of the complex points.
  std::size_t j = 0;
  for (std::size_t i = 0; i < n; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    std::size_t m = n / 2;
    while (m >= 2 && j >= m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
  // Danielson-Lanczos butterflies for sub-transforms of 2, 4, ..., M points.
  for (std::size_t mmax = 2; n > mmax; mmax *= 2) {
    const std::size_t istep = mmax * 2;
    const double theta = sign * (2.0 * std::numbers::pi / static_cast<double>(mmax));
    const double half = std::sin(0.5 * theta);
    const double wpr = -2.0 * half * half;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t m = 0; m < mmax; m += 2) {
      for (std::size_t i = m; i < n; i += istep) {
        const std::size_t k = i + mmax;
        const double tempr = wr * data[k] - wi * data[k + 1];
        const double tempi = wr * data[k + 1] + wi * data[k];
        data[k] = static_cast<float>(data[i] - tempr);
        data[k + 1] = static_cast<float>(data[i + 1] - tempi);
        data[i] = static_cast<float>(data[i] + tempr);
        data[i + 1] = static_cast<float>(data[i + 1] + tempi);
      }
      const double previous = wr;
      wr = wr * wpr - wi * wpi + wr;
      wi = wi * wpr + previous * wpi + wi;
    }
  }
}

}  // namespace corvane
