// The transform and the window; the block powers as a whole are checked
// against a direct DFT through the spectrum files (dft_spectrum_test).
#include "stats/block_power.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "stats/complex_fft.h"

namespace corvane {
namespace {

using Complex = std::complex<double>;

// X[j] = sum_k x[k] exp(sign 2 pi i j k / M), summed directly in double.
std::vector<Complex> DirectDft(const std::vector<Complex>& x, int sign) {
  const std::size_t m = x.size();
  std::vector<Complex> out(m);
  for (std::size_t j = 0; j < m; ++j) {
    Complex sum = 0;
    for (std::size_t k = 0; k < m; ++k) {
      const double angle = sign * 2.0 * std::numbers::pi * static_cast<double>((j * k) % m) / m;
      sum += x[k] * Complex(std::cos(angle), std::sin(angle));
    }
    out[j] = sum;
  }
  return out;
}

TEST(ComplexFftTest, MatchesDirectDftWithinSinglePrecision) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int sign : {+1, -1}) {
    for (std::size_t m : {2u, 4u, 8u, 64u, 1024u}) {
      std::vector<float> data(2 * m);
      std::vector<Complex> x(m);
      for (std::size_t k = 0; k < m; ++k) {
        data[2 * k] = value(rng);
        data[2 * k + 1] = value(rng);
        x[k] = Complex(data[2 * k], data[2 * k + 1]);
      }
      ComplexFft(data, sign);
      const std::vector<Complex> expected = DirectDft(x, sign);
      // Single-precision rounding grows with log2(M) and the size of the sums.
      const double tolerance = 2e-6 * std::sqrt(static_cast<double>(m)) * std::log2(2.0 * m);
      for (std::size_t j = 0; j < m; ++j) {
        SCOPED_TRACE(testing::Message() << "sign=" << sign << " M=" << m << " j=" << j);
        EXPECT_NEAR(data[2 * j], expected[j].real(), tolerance);
        EXPECT_NEAR(data[2 * j + 1], expected[j].imag(), tolerance);
      }
    }
  }
}

TEST(DftWindowTest, ValuesOfTheWindow) {
  // For M = 5: cos(2 pi i / 4) is 1, 0, -1, 0, 1 and cos(4 pi i / 4) is
  // 1, -1, 1, -1, 1.
  const std::vector<float> five = DftWindow(5);
  const float expectedFive[] = {0.0f, 0.66f, 1.0f, 0.66f, 0.0f};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(five[i], expectedFive[i], 1e-7) << i;
  // For M = 4: cos(2 pi / 3) = cos(4 pi / 3) = -0.5 at i = 1 and 2.
  const std::vector<float> four = DftWindow(4);
  EXPECT_NEAR(four[0], 0.0f, 1e-7);
  EXPECT_NEAR(four[1], 0.87f, 1e-7);
  EXPECT_NEAR(four[2], 0.87f, 1e-7);
  EXPECT_NEAR(four[3], 0.0f, 1e-7);
  // Symmetric, 0 at both ends and close to 1 in the middle for a large M.
  const std::vector<float> large = DftWindow(4096);
  EXPECT_NEAR(large.front(), 0.0f, 1e-7);
  EXPECT_NEAR(large.back(), 0.0f, 1e-7);
  EXPECT_NEAR(large[2047], 1.0f, 1e-6);
  for (int i = 0; i < 4096; ++i) EXPECT_FLOAT_EQ(large[i], large[4095 - i]);
}

}  // namespace
}  // namespace corvane
