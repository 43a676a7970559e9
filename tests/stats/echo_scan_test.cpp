#include "stats/echo_scan.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Values = std::vector<double>;

// A slowly drifting, noisy series like a low-pass egg variable.
Values DriftingSeries(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.05);
  Values s(n);
  double level = 50.0;
  for (std::size_t i = 0; i < n; ++i) {
    level += noise(rng);
    s[i] = level + 0.3 * std::sin(0.01 * i);
  }
  return s;
}

// Pearson correlation of g with s[k ...], two passes.
double Pearson(const Values& g, const Values& s, std::size_t k) {
  const std::size_t l = g.size();
  double mg = 0, ms = 0;
  for (std::size_t i = 0; i < l; ++i) {
    mg += g[i];
    ms += s[k + i];
  }
  mg /= l;
  ms /= l;
  double cross = 0, vg = 0, vs = 0;
  for (std::size_t i = 0; i < l; ++i) {
    cross += (g[i] - mg) * (s[k + i] - ms);
    vg += (g[i] - mg) * (g[i] - mg);
    vs += (s[k + i] - ms) * (s[k + i] - ms);
  }
  return cross / std::sqrt(vg * vs);
}

Values MinMax(const Values& v, std::size_t from, std::size_t count) {
  const auto [lo, hi] = std::minmax_element(v.begin() + from, v.begin() + from + count);
  Values out(count);
  for (std::size_t i = 0; i < count; ++i) out[i] = (v[from + i] - *lo) / (*hi - *lo);
  return out;
}

// 1 - RMS distance of the normalised signature and window s[k + 1 ...].
double Euclidean(const Values& g, const Values& s, std::size_t k) {
  const Values a = MinMax(g, 0, g.size());
  const Values b = MinMax(s, k + 1, g.size());
  double sum = 0;
  for (std::size_t i = 0; i < g.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return 1.0 - std::sqrt(sum / g.size());
}

Values Signature(const Values& s, std::size_t b, std::size_t l) {
  return Values(s.begin() + b, s.begin() + b + l);
}

TEST(EchoScanTest, CountOfValues) {
  EXPECT_EQ(EchoScanCount(10, 100), 89u);
  EXPECT_EQ(EchoScanCount(98, 100), 1u);
  EXPECT_EQ(EchoScanCount(99, 100), 0u);
  EXPECT_EQ(EchoScanCount(100, 100), 0u);
  EXPECT_EQ(EchoScanCount(0, 100), 0u);
  Values out(4, 7.0);
  const Values s = DriftingSeries(10, 1);
  EXPECT_EQ(CorrelationScan(Signature(s, 0, 9), s, out), 0u);
  EXPECT_EQ(EuclideanScan(Signature(s, 0, 9), s, out), 0u);
  EXPECT_EQ(out, Values(4, 7.0));
}

TEST(EchoScanTest, CorrelationMatchesPearsonAndFindsItself) {
  // Window lengths around the group width, a long series with a far mean.
  for (std::size_t l : {1u, 2u, 7u, 8u, 9u, 300u}) {
    const Values s = DriftingSeries(2500, 11);
    const std::size_t b = 1200;
    const Values g = Signature(s, b, l);
    Values e(s.size());
    const std::size_t count = CorrelationScan(g, s, e);
    ASSERT_EQ(count, s.size() - l - 1);
    SCOPED_TRACE(testing::Message() << "L=" << l);
    if (l == 1) {
      // A single sample has no variance: no correlation anywhere.
      EXPECT_TRUE(std::all_of(e.begin(), e.begin() + count, [](double v) { return v == 0; }));
      continue;
    }
    for (std::size_t k = 0; k < count; k += (k % 97 == 0 ? 1 : 13)) {
      ASSERT_NEAR(e[k], Pearson(g, s, k), 1e-12) << k;
    }
    EXPECT_NEAR(e[count - 1], Pearson(g, s, count - 1), 1e-12);
    EXPECT_NEAR(e[b], 1.0, 1e-12);
  }
}

TEST(EchoScanTest, EuclideanMatchesDirectDistanceAndFindsItselfOneEarlier) {
  for (std::size_t l : {2u, 5u, 8u, 64u, 333u}) {
    const Values s = DriftingSeries(3000, 5);
    const std::size_t b = 1700;
    const Values g = Signature(s, b, l);
    Values e(s.size());
    const std::size_t count = EuclideanScan(g, s, e);
    ASSERT_EQ(count, s.size() - l - 1);
    SCOPED_TRACE(testing::Message() << "L=" << l);
    for (std::size_t k = 0; k < count; k += (k % 89 == 0 ? 1 : 11)) {
      ASSERT_NEAR(e[k], Euclidean(g, s, k), 1e-12) << k;
    }
    EXPECT_NEAR(e[count - 1], Euclidean(g, s, count - 1), 1e-12);
    EXPECT_EQ(e[b - 1], 1.0);
  }
}

TEST(EchoScanTest, ConstantSignatureGivesNoEcho) {
  Values s = DriftingSeries(500, 2);
  std::fill(s.begin() + 100, s.begin() + 160, 47.25);
  const Values flat = Signature(s, 100, 60);
  for (auto scan : {&CorrelationScan, &EuclideanScan}) {
    Values e(s.size(), 9.0);
    const std::size_t count = scan(flat, s, e, {});
    EXPECT_TRUE(std::all_of(e.begin(), e.begin() + count, [](double v) { return v == 0.0; }));
  }
  // Constant up to rounding noise: still no echo.
  Values noisy = flat;
  for (std::size_t i = 0; i < noisy.size(); i += 2) noisy[i] = std::nextafter(noisy[i], 100.0);
  for (auto scan : {&CorrelationScan, &EuclideanScan}) {
    Values e(s.size(), 9.0);
    const std::size_t count = scan(noisy, s, e, {});
    EXPECT_TRUE(std::all_of(e.begin(), e.begin() + count, [](double v) { return v == 0.0; }));
  }
}

TEST(EchoScanTest, ConstantWindowsGiveZeroNotAFalsePeak) {
  Values s = DriftingSeries(800, 3);
  // A flat stretch of 200 samples holds every window of 50 inside it.
  std::fill(s.begin() + 400, s.begin() + 600, 51.5);
  for (std::size_t i = 400; i < 600; i += 3) s[i] = std::nextafter(51.5, 0.0);
  const Values g = Signature(s, 100, 50);
  Values correlation(s.size()), euclidean(s.size());
  CorrelationScan(g, s, correlation);
  EuclideanScan(g, s, euclidean);
  for (std::size_t k = 400; k + 50 <= 600; ++k) {
    EXPECT_EQ(correlation[k], 0.0) << k;
    if (k >= 401) {
      EXPECT_EQ(euclidean[k - 1], 0.0) << k;
    }
  }
  // Windows that reach outside the stretch are measured as usual.
  EXPECT_NEAR(correlation[560], Pearson(g, s, 560), 1e-9);
  EXPECT_NEAR(euclidean[560], Euclidean(g, s, 560), 1e-12);
}

TEST(EchoScanTest, StopEndsTheScanEarly) {
  const Values s = DriftingSeries(5000, 4);
  const Values g = Signature(s, 10, 20);
  Values e(s.size(), -5.0);
  int asked = 0;
  const std::size_t written = CorrelationScan(g, s, e, [&asked] { return ++asked > 2; });
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, s.size() - 21);
  EXPECT_EQ(e[written], -5.0);
  EXPECT_EQ(EuclideanScan(g, s, e, [] { return true; }), 0u);
}

}  // namespace
}  // namespace corvane
