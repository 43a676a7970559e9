#include "stats/block_power.h"

#include <cmath>
#include <numbers>

#include "stats/complex_fft.h"

namespace corvane {

std::vector<float> DftWindow(int size) {
  std::vector<float> window(static_cast<std::size_t>(size));
  const double span = static_cast<double>(size - 1);
  for (int i = 0; i < size; ++i) {
    const double angle = 2.0 * std::numbers::pi * i / span;
    window[static_cast<std::size_t>(i)] =
        static_cast<float>(1.0 - (0.42 + 0.5 * std::cos(angle) + 0.08 * std::cos(2.0 * angle)));
  }
  return window;
}

std::vector<double> PowerSpectrum(std::span<const double> block, std::span<const float> window,
                                  double gainDb) {
  const std::size_t size = block.size();
  const auto gain = static_cast<float>(std::pow(10.0, gainDb * 0.1));
  std::vector<float> points(2 * size, 0.0f);
  for (std::size_t i = 0; i < size; ++i) {
    points[2 * i] = static_cast<float>(block[i] * gain) * window[i];
  }
  ComplexFft(points, +1);

  std::vector<double> power(size / 2);
  const double whole = static_cast<double>(size);
  const double half = whole / 2.0;
  for (std::size_t j = 0; j < power.size(); ++j) {
    const double scale = j == 0 ? whole : half;
    const double re = points[2 * j] / scale;
    const double im = points[2 * j + 1] / scale;
    power[j] = re * re + im * im;
  }
  return power;
}

}  // namespace corvane
