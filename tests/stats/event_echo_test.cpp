// The echo scans against their direct formulas, and the peaks of a smoothed
// echo series.
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "stats/echo_peaks.h"
#include "stats/echo_scan.h"

namespace corvane {
namespace {

using Values = std::vector<double>;
using Scan = std::size_t (*)(std::span<const double>, std::span<const double>, std::span<double>,
                             const std::function<bool()>&);

// A slowly drifting, noisy series like a low-pass egg variable.
Values Drift(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.05);
  Values s(n);
  double level = 50.0;
  for (double& v : s) v = level += noise(rng) - 0.001 * (level - 50.0);
  return s;
}

Values Stretch(const Values& s, std::size_t b, std::size_t l) {
  return Values(s.begin() + b, s.begin() + b + l);
}

// Pearson correlation of g with s[k ...], two passes.
double Pearson(const Values& g, const Values& s, std::size_t k) {
  const std::size_t l = g.size();
  double mg = 0, ms = 0, cross = 0, vg = 0, vs = 0;
  for (std::size_t i = 0; i < l; ++i) mg += g[i] / l, ms += s[k + i] / l;
  for (std::size_t i = 0; i < l; ++i) {
    cross += (g[i] - mg) * (s[k + i] - ms);
    vg += (g[i] - mg) * (g[i] - mg);
    vs += (s[k + i] - ms) * (s[k + i] - ms);
  }
  return cross / std::sqrt(vg * vs);
}

// 1 - RMS distance of the min-max normalised signature and s[k + 1 ...].
double Euclidean(const Values& g, const Values& s, std::size_t k) {
  const auto [glo, ghi] = std::minmax_element(g.begin(), g.end());
  const auto [slo, shi] = std::minmax_element(s.begin() + k + 1, s.begin() + k + 1 + g.size());
  double sum = 0;
  for (std::size_t i = 0; i < g.size(); ++i) {
    const double d = (g[i] - *glo) / (*ghi - *glo) - (s[k + 1 + i] - *slo) / (*shi - *slo);
    sum += d * d;
  }
  return 1.0 - std::sqrt(sum / g.size());
}

TEST(EchoPeaksTest, StrictLocalMaximaThoseAfterTheEventAndTheTopThreeOfAll) {
  // Peaks at 2 and 7; the plateau at 4-5 and the ends are none.
  Values smoothed = {5, 1, 3, 2, 4, 4, 1, 6, 0};
  Values raw = {0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8};
  const EchoPeaks none = FindEchoPeaks(smoothed, raw, 100);
  ASSERT_EQ(none.peaks.size(), 2u);
  EXPECT_EQ(none.peaks[0].index, 2);
  EXPECT_EQ(none.peaks[1].magnitude, 0.7);
  EXPECT_FALSE(none.hasMaximum);
  EXPECT_EQ(none.topMean, -1.0);
  // Fewer than three after the event are averaged with their count; an event
  // ending on a peak excludes it.
  const EchoPeaks one = FindEchoPeaks(smoothed, raw, 2), two = FindEchoPeaks(smoothed, raw, 1);
  EXPECT_EQ(one.topCount, 1);
  EXPECT_DOUBLE_EQ(one.topMean, 0.7);
  EXPECT_EQ(two.topCount, 2);
  EXPECT_DOUBLE_EQ(two.topMean, 0.45);
  EXPECT_EQ(two.maximum.index, 7);

  // 3000 peaks at the odd indices; the highest lie far beyond the first
  // thousand and neither first nor last.
  smoothed.resize(6002);
  raw.resize(6002);
  for (int i = 0; i < 6002; ++i) {
    smoothed[i] = i % 2;
    raw[i] = 0.5 - 1e-8 * (i - 4001) * (i - 4001);
  }
  const EchoPeaks many = FindEchoPeaks(smoothed, raw, 9);
  EXPECT_EQ(many.peaks.size(), 3000u);
  EXPECT_EQ(many.maximum.index, 4001);
  EXPECT_EQ(many.topCount, 3);
  EXPECT_DOUBLE_EQ(many.topMean, (raw[4001] + raw[3999] + raw[4003]) / 3);
}

// Both scans against their direct formulas; the signature taken at b meets
// itself at b (correlation) or b - 1 (Euclidean, which compares s[k + 1 ...]).
TEST(EchoScanTest, MatchDirectFormulasAndFindTheSignature) {
  const Values s = Drift(2500, 11);
  const std::size_t b = 1200;
  for (const bool euclidean : {false, true}) {
    for (std::size_t l : {2u, 7u, 8u, 9u, 333u}) {
      SCOPED_TRACE(::testing::Message() << "euclidean=" << euclidean << " L=" << l);
      const Values g = Stretch(s, b, l);
      Values e(s.size());
      const std::size_t count = euclidean ? EuclideanScan(g, s, e) : CorrelationScan(g, s, e);
      ASSERT_EQ(count, s.size() - l - 1);
      for (std::size_t k = 0; k < count; k += (k % 97 == 0 || k + 13 >= count ? 1 : 13)) {
        ASSERT_NEAR(e[k], euclidean ? Euclidean(g, s, k) : Pearson(g, s, k), 1e-12) << k;
      }
      EXPECT_NEAR(euclidean ? e[b - 1] : e[b], 1.0, 1e-12);
    }
  }
}

TEST(EchoScanTest, ConstantSignatureOrWindowGivesZeroNotAFalsePeak) {
  Values s = Drift(800, 3);
  // Flat up to rounding over 100..159 and 400..599.
  std::fill(s.begin() + 100, s.begin() + 160, 47.25);
  std::fill(s.begin() + 400, s.begin() + 600, 51.5);
  for (std::size_t i = 100; i < 600; i += 3) s[i] = std::nextafter(s[i], 0.0);
  for (const Scan scan : {Scan{&CorrelationScan}, Scan{&EuclideanScan}}) {
    const std::pair<std::size_t, std::size_t> signatures[] = {{100, 60}, {300, 1}, {200, 50}};
    for (const auto& [from, length] : signatures) {
      Values e(s.size(), 9.0);
      scan(Stretch(s, from, length), s, e, {});
      // A constant or one-sample signature matches nothing; any other gives
      // 0 wherever its window lies inside the flat stretch.
      const bool flat = from != 200;
      for (std::size_t k = flat ? 0 : 401; k < (flat ? 700 : 550); ++k) ASSERT_EQ(e[k], 0.0) << k;
    }
  }
}

TEST(EchoScanTest, SeriesTooShortGiveNoValuesAndAStopEndsTheScanEarly) {
  EXPECT_EQ(EchoScanCount(98, 100), 1u);
  for (std::size_t l : {0u, 99u, 100u, 150u}) EXPECT_EQ(EchoScanCount(l, 100), 0u) << l;
  const Values s = Drift(5000, 4);
  Values e(s.size(), -5.0);
  EXPECT_EQ(CorrelationScan(Stretch(s, 0, 9), Stretch(s, 0, 10), e), 0u);
  EXPECT_EQ(EuclideanScan(Stretch(s, 0, 9), Stretch(s, 0, 10), e), 0u);
  EXPECT_EQ(e, Values(s.size(), -5.0));
  int asked = 0;
  const std::size_t written =
      CorrelationScan(Stretch(s, 10, 20), s, e, [&asked] { return ++asked > 2; });
  EXPECT_TRUE(written > 0 && written < s.size() - 21 && e[written] == -5.0) << written;
  EXPECT_EQ(EuclideanScan(Stretch(s, 10, 20), s, e, [] { return true; }), 0u);
}

}  // namespace
}  // namespace corvane
