#include "stats/composite_statistics.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "stats/low_pass_variables.h"
#include "stats/smoothing_filters.h"
#include "stats/smoothing_settings.h"
#include "support/recording_link.h"
#include "support/sample_table.h"

namespace corvane {
namespace {

using testing::MakeSampleTable;
using Series = std::vector<double>;
constexpr std::int32_t kMissing = kMissingSample;

struct StatsRun {
  testing::RecordingLink link;
  RunContext context{&link, &link};
  CompositeSeries series;
  StatsRun() { context.settings.dataName = "Quake"; }
};

TEST(CompositeStatisticsTest, SingleEggOf110AndOnlyValidCellsTakePart) {
  StatsRun run;
  run.context.SetJobStage(3);
  ComputeStatistics(run.context, MakeSampleTable({{110}}), run.series);
  const CompositeSeries& s = run.series;
  EXPECT_NEAR(s.stoufZ[0], 1.414214, 5e-7);
  EXPECT_EQ((Series{s.meanDev[0], s.meanAbsDev[0], s.maxAbsDev[0], s.eggvar[0], s.cvar[0]}),
            (Series{10, 10, 10, 0, -50}));
  EXPECT_TRUE(std::isnan(s.covar[0])) << "covar needs two eggs";
  EXPECT_EQ(s.lpvar, Series{50.0});
  EXPECT_EQ(run.context.JobStage(), 1);
  EXPECT_EQ(run.link.statuses(), std::vector<std::string>{"Smoothing data"});

  EggSampleTable table =
      MakeSampleTable({{110, 120, 90}, {100, kMissing, 84}, {130, 130, 130}, {70, 70, 70}});
  table.columns[2].selected = 0;     // never used
  table.columns[3].storedCount = 2;  // a stored count other than the samples: never used
  ComputeStatistics(run.context, table, run.series);
  EXPECT_EQ(s.useableEggs, 2);
  EXPECT_EQ(s.eggCount, (std::vector<std::int32_t>{2, 1, 2}));
  EXPECT_EQ(s.meanDev, (Series{5, 20, -13})) << "the missing value drops egg 1 at sample 1 only";
  EXPECT_EQ(s.maxAbsDev, (Series{10, 20, 16}));
  EXPECT_EQ(s.eggvar, (Series{50, 0, 18}));
  EXPECT_EQ(s.cvar, (Series{0, -50, -82}));
  // An odd trial size: deviations from N/2 = 100.5, the mean deviation from
  // the integer 100, and cvar subtracts N/4 = 50.25.
  ComputeStatistics(run.context, MakeSampleTable({{110, 90}, {103, 100}}, 201), run.series);
  EXPECT_EQ(s.meanDev[0], 6.5);
  EXPECT_EQ(s.meanAbsDev[0], 6);
  EXPECT_DOUBLE_EQ(s.stoufZ[0], 6.5 / (std::sqrt(201 * 0.25) / std::sqrt(2.0)));
  EXPECT_DOUBLE_EQ(s.cvar[1], s.eggvar[0] + s.eggvar[1] - 100.5);
}

// covar is the sum over pairs of eggs of (z_j^2 - 1)(z_k^2 - 1) divided by
// sqrt(n (n - 1)), with z the egg's deviation in standard deviations of a
// fair N-bit trial sum; the Stouffer Z uses the same scale. A fair egg's
// variance, N / 4, is what cvar subtracts and lpvar starts from, so that on
// pure noise cvar wanders around 0 whatever the trial size.
TEST(CompositeStatisticsTest, CovarianceAndStoufferScaleFollowTheTrialSize) {
  const std::vector<std::vector<std::int32_t>> eggs = {
      {110, 95, 100}, {95, 113, 100}, {104, 84, 100}, {88, 101, kMissing}, {117, kMissing, 100}};
  for (const int trialSize : {200, 400}) {
    SCOPED_TRACE(trialSize);
    const double sd = std::sqrt(trialSize / 4.0);
    std::vector<std::vector<std::int32_t>> scaled = eggs;
    for (auto& egg : scaled) {
      for (auto& v : egg) {
        if (v != kMissing) v = (v - 100) * trialSize / 200 + trialSize / 2;
      }
    }
    StatsRun run;
    ComputeStatistics(run.context, MakeSampleTable(scaled, trialSize), run.series);
    double cvar = 0;
    for (std::size_t i = 0; i < 3; ++i) {
      std::vector<double> z;
      for (const auto& egg : scaled) {
        if (egg[i] != kMissing) z.push_back((egg[i] - trialSize / 2.0) / sd);
      }
      const double n = static_cast<double>(z.size());
      double pairs = 0, sum = 0;
      for (std::size_t j = 0; j < z.size(); ++j) {
        sum += z[j];
        for (std::size_t k = j + 1; k < z.size(); ++k)
          pairs += (z[j] * z[j] - 1) * (z[k] * z[k] - 1);
      }
      EXPECT_NEAR(run.series.covar[i], pairs / std::sqrt(n * (n - 1)), 1e-12) << i;
      EXPECT_NEAR(run.series.stoufZ[i], sum / std::sqrt(n), 1e-12) << i;
      cvar += run.series.eggvar[i] - trialSize / 4.0;
      EXPECT_NEAR(run.series.cvar[i], cvar, 1e-9) << i;
    }
    EXPECT_EQ(run.series.lpvar[0], trialSize / 4.0);
  }
}

// Seconds without any valid egg: lpmax starts from the mean of maxAbsDev
// over the defined seconds and carries its value over the others.
TEST(CompositeStatisticsTest, LpmaxOfARunWithGaps) {
  std::vector<std::vector<std::int32_t>> eggs(3);
  for (int i = 0; i < 40; ++i) {
    for (int k = 0; k < 3; ++k) {
      const bool gap = (i >= 5 && i < 9) || i == 0 || i == 39;
      eggs[k].push_back(gap ? kMissing : 100 + (i * (k + 2)) % 17 - 8);
    }
  }
  Series maxDev(40, NAN);
  double total = 0;
  int defined = 0;
  for (int i = 0; i < 40; ++i) {
    if (eggs[0][i] == kMissing) continue;
    maxDev[i] = 0;
    for (const auto& egg : eggs) maxDev[i] = std::max(maxDev[i], std::fabs(egg[i] - 100.0));
    total += maxDev[i];
    ++defined;
  }
  StatsRun run;
  run.context.settings.expCoefficient = 0.25;
  ComputeStatistics(run.context, MakeSampleTable(eggs), run.series);
  double expected = total / defined;
  EXPECT_EQ(run.series.meanMaxAbsDev, expected);
  for (int i = 0; i < 40; ++i) {
    if (i > 0 && !std::isnan(maxDev[i])) expected = 0.25 * maxDev[i] + 0.75 * expected;
    EXPECT_NEAR(run.series.lpmax[i], expected, 1e-12) << i;
  }
}

// Six samples smoothed with the given settings.
struct Smoothed : StatsRun {
  Smoothed(SmoothingMode mode, int window, double coefficient) {
    context.settings.smoothingMode = mode;
    context.settings.smoothingWindow = window;
    context.settings.expCoefficient = coefficient;
    series.meanDev = {0, -3, 2, -4, 6, -1};
    series.meanAbsDev = {5, 6, 4, 7, 6, 5};
    series.eggvar = {50, 40, 60, 45, 55, 50};
    series.maxAbsDev = {10, 12, 8, 14, 9, 11};
    series.eggCount.assign(6, 3);
    ComputeLowPassVariables(context, series, 10.5);
  }
};

TEST(LowPassVariablesTest, FiltersEachArrayAndAlpdevIsNeverNegative) {
  const Smoothed exponential(kExponential, 900, 0.5), rectangle(kRectangle, 2, 0);
  const CompositeSeries& e = exponential.series;
  const CompositeSeries& r = rectangle.series;
  EXPECT_EQ((Series{e.lpdev[0], e.lpadev[0], e.lpvar[0], e.lpmax[0]}), (Series{0, 5.63, 50, 10.5}));
  EXPECT_EQ((Series{e.lpdev[1], e.lpadev[1], e.lpvar[1], e.lpmax[1]}),
            (Series{-1.5, 0.5 * 6 + 0.5 * 5.63, 45, 11.25}));
  EXPECT_EQ((Series{r.lpdev[3], r.lpadev[4], r.lpvar[1], r.lpmax[2]}),
            (Series{4.0 / 3, 6, 50, 34.0 / 3}));
  for (SmoothingMode mode : {kExponential, kRectangle, kTriangle}) {
    const Smoothed run(mode, 2, 0.3);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(run.series.alpdev[i], std::fabs(run.series.lpdev[i]));
  }
}

TEST(LowPassVariablesTest, RefusedSettingsAndTooLongWindowsStopTheRun) {
  const std::string coefficient = "The exponential smoothing coefficient must lie between 0 and 1";
  const std::tuple<SmoothingMode, int, double, std::string> cases[] = {
      {kRectangle, 6, 0,
       "The smoothing window of 6 (7 samples) is longer than the data (6 samples)"},
      {kTriangle, 2147483647, 0,
       "The smoothing window of 2147483647 (2147483648 samples) is longer than the data (6 "
       "samples)"},
      {kTriangle, 8, 0, "The smoothing window of 8 samples is longer than the data (6 samples)"},
      {kTriangle, 1, 0, "The triangle smoothing window must be at least 2"},
      {kRectangle, -1, 0, "The rectangle smoothing window must not be negative"},
      {kExponential, 900, 1.5, coefficient},
      {kExponential, 900, NAN, coefficient},
  };
  for (const auto& [mode, window, a, message] : cases) {
    const Smoothed run(mode, window, a);
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(run.link.messageTexts(), std::vector<std::string>{"Quake: " + message});
  }
  // Only the value the mode uses is checked.
  EXPECT_FALSE(SmoothingSettingsError(kExponential, -5, 1.0) ||
               SmoothingSettingsError(kTriangle, 2, NAN) ||
               SmoothingSettingsError(kRectangle, 0, 7));
}

TEST(SmoothingFiltersTest, WindowsEdgesAndUndefinedSamplesLeftOutOrCarried) {
  const double u = NAN;
  const struct {
    bool (*filter)(int, const double*, double*, int);
    int window;
    Series in, out;
  } cases[] = {
      {RectangleFilter, 3, {1, 2, 3, 4, 5}, {2, 2, 3, 4, 4}},
      {RectangleFilter, 2, {1, 2, 3, 4, 5}, {2, 2, 3, 4, 4}},
      {RectangleFilter, 0, {4, -1, 7}, {4, -1, 7}},  // 0 acts as 1
      {RectangleFilter, 3, {1, 2, 6}, {3, 3, 3}},    // exactly the data
      {RectangleFilter, 3, {1, u, 3, 5, 5}, {2, 2, 4, 13.0 / 3, 13.0 / 3}},
      {RectangleFilter, 3, {u, u, u, 6, u, u, u, 9, 9}, {6, 6, 6, 6, 6, 6, 9, 9, 9}},
      {TriangleFilter, 4, {0, 6, 12, 18, 24, 30}, {9, 9, 9, 15, 15, 15}},
      {TriangleFilter, 3, {0, 6, 12, 18, 24, 30}, {9, 9, 9, 15, 15, 15}},  // 3 acts as 4
      // Weights 1,2,2,1: out[2] weighs in[0..3], out[3] in[1..4].
      {TriangleFilter, 4, {6, u, 12, 18, 24, 30}, {12, 12, 12, 16.8, 16.8, 16.8}},
  };
  for (const auto& c : cases) {
    Series out(c.in.size(), -1);
    ASSERT_TRUE(c.filter(c.window, c.in.data(), out.data(), static_cast<int>(out.size())));
    for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.out[i], 1e-12) << c.window << i;
  }
  Series in = {7, 1, -2, 5}, out(5);
  ExponentialFilter(1.0, 0.0, in.data(), out.data(), 4);
  EXPECT_EQ(Series(out.begin(), out.begin() + 4), (Series{0, 1, -2, 5}));
  ExponentialFilter(0.0, 5.63, in.data(), out.data(), 4);
  EXPECT_EQ(Series(out.begin(), out.begin() + 4), Series(4, 5.63));
  in = {0, 4, u, u, 8};
  ExponentialFilter(0.5, 0.0, in.data(), out.data(), 5);
  EXPECT_EQ(Series(out.begin(), out.begin() + 5), (Series{0, 2, 2, 2, 5}));
}

}  // namespace
}  // namespace corvane
