#include "stats/interval_comparison.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <string>
#include <variant>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Six variables that differ from one another, so that a mix-up of arrays
// shows in the means: variable v at sample i holds (v + 1) * 10 + f(i).
CompositeSeries SixVariables(int samples) {
  CompositeSeries series;
  series.eggCount.assign(samples, 3);
  int v = 0;
  for (const ComparedVariable& variable : kComparedVariables) {
    std::vector<double>& values = series.*(variable.values);
    values.resize(samples);
    for (int i = 0; i < samples; ++i) {
      values[i] = (v + 1) * 10.0 + std::sin(0.7 * i * (v + 1)) + (i >= samples / 2 ? 0.5 : 0.0);
    }
    ++v;
  }
  return series;
}

TEST(IntervalSettingsTest, RefusesNegativeStartsAndShortDurations) {
  EXPECT_FALSE(IntervalSettingsError(0, 3600, 3600));
  EXPECT_FALSE(IntervalSettingsError(0, 0, 2));
  for (int duration : {-5, 0, 1}) {
    const auto error = IntervalSettingsError(0, 10, duration);
    ASSERT_TRUE(error) << duration;
    EXPECT_NE(error->find("at least 2"), std::string::npos);
  }
  EXPECT_TRUE(IntervalSettingsError(-1, 10, 100));
  EXPECT_TRUE(IntervalSettingsError(10, -3600, 100));
}

TEST(IntervalComparisonTest, ComparesEveryVariableInTableOrder) {
  // The second interval ends on the last sample.
  const CompositeSeries series = SixVariables(40);
  auto outcome = CompareSeriesIntervals(series, 0, 20, 20);
  ASSERT_TRUE(std::holds_alternative<IntervalComparison>(outcome));
  const IntervalComparison& comparison = std::get<IntervalComparison>(outcome);
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    const std::vector<double>& values = series.*(kComparedVariables[v].values);
    double first = 0, second = 0;
    for (int i = 0; i < 20; ++i) {
      first += values[i];
      second += values[20 + i];
    }
    SCOPED_TRACE(kComparedVariables[v].name);
    EXPECT_NEAR(comparison.tests[v].mean1, first / 20, 1e-12);
    EXPECT_NEAR(comparison.tests[v].mean2, second / 20, 1e-12);
    EXPECT_EQ(comparison.tests[v].df, 38);
    const boost::math::students_t student(38.0);
    EXPECT_NEAR(
        comparison.tests[v].prob,
        2 * boost::math::cdf(boost::math::complement(student, std::fabs(comparison.tests[v].t))),
        1e-6);
  }
  EXPECT_STREQ(kComparedVariables[0].name, "cvar");
  EXPECT_STREQ(kComparedVariables[5].name, "lpmax");
}

TEST(IntervalComparisonTest, IntervalsMustEndWithinTheData) {
  const CompositeSeries series = SixVariables(30);
  // Ending exactly on the last sample is accepted.
  EXPECT_TRUE(
      std::holds_alternative<IntervalComparison>(CompareSeriesIntervals(series, 10, 20, 10)));
  auto first = CompareSeriesIntervals(series, 21, 0, 10);
  ASSERT_TRUE(std::holds_alternative<std::string>(first));
  EXPECT_EQ(std::get<std::string>(first), "The first interval extends past the end of data");
  auto second = CompareSeriesIntervals(series, 0, 21, 10);
  ASSERT_TRUE(std::holds_alternative<std::string>(second));
  EXPECT_EQ(std::get<std::string>(second), "The second interval extends past the end of data");
  // Starts so large that their sum with the duration leaves the int range.
  auto huge = CompareSeriesIntervals(series, 0, 2147483000, 1000);
  EXPECT_TRUE(std::holds_alternative<std::string>(huge));
  auto refused = CompareSeriesIntervals(series, -1, 0, 10);
  ASSERT_TRUE(std::holds_alternative<std::string>(refused));
  EXPECT_EQ(std::get<std::string>(refused), *IntervalSettingsError(-1, 0, 10));
}

TEST(IntervalComparisonTest, ShortArrayBoundsTheIntervals) {
  CompositeSeries series = SixVariables(30);
  series.lpmax.resize(25);
  EXPECT_TRUE(std::holds_alternative<std::string>(CompareSeriesIntervals(series, 0, 20, 10)));
}

}  // namespace
}  // namespace corvane
