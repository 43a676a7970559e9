#include "stats/t_test.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "stats/composite_statistics.h"
#include "stats/interval_comparison.h"
#include "support/recording_link.h"
#include "support/sample_table.h"

namespace corvane {
namespace {

using Values = std::vector<double>;

double Mean(const Values& v) {
  return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

// Checks a result against the pooled two-sample t computed the textbook way
// (two passes) and Boost's Student's t distribution.
void ExpectPooledTest(const TTestResult& result, const Values& x, const Values& y) {
  const double mx = Mean(x), my = Mean(y), df = static_cast<double>(x.size() + y.size() - 2);
  double squares = 0;
  for (double e : x) squares += (e - mx) * (e - mx);
  for (double e : y) squares += (e - my) * (e - my);
  const double t = (mx - my) / std::sqrt(squares / df * (1.0 / x.size() + 1.0 / y.size()));
  const boost::math::students_t student(df);
  EXPECT_EQ(result.df, static_cast<std::int64_t>(df));
  EXPECT_NEAR(result.mean1, mx, 1e-12 * std::fabs(mx));
  EXPECT_NEAR(result.mean2, my, 1e-12 * std::fabs(my));
  EXPECT_NEAR(result.t, t, 1e-8 * (1.0 + std::fabs(t)));
  EXPECT_NEAR(result.prob, 2 * boost::math::cdf(boost::math::complement(student, std::fabs(t))),
              1e-6);
}

TEST(TTestTest, MatchesStudentsTDistribution) {
  std::mt19937 rng(7);
  for (std::size_t length : {2u, 7u, 60u, 14400u}) {
    for (double shift : {0.0, 0.05, 0.3, 2.0}) {
      SCOPED_TRACE(::testing::Message() << "L=" << length << " shift=" << shift);
      std::normal_distribution<double> a(50.0, 1.0), b(50.0 + shift, 1.3);
      Values x(length), y(length);
      for (double& e : x) e = a(rng);
      for (double& e : y) e = b(rng);
      ExpectPooledTest(RunTTest(x, y), x, y);
    }
  }
  // An undefined value is left out of its group.
  ExpectPooledTest(RunTTest(Values{50, NAN, 47, 52, 49.5}, Values{55, 51, NAN, NAN, 53.5}),
                   {50, 47, 52, 49.5}, {55, 51, 53.5});
  const TTestResult empty = RunTTest(Values(5, NAN), Values{1, 2, 3, 4, 5});
  EXPECT_TRUE(std::isnan(empty.mean1) && std::isnan(empty.t) && std::isnan(empty.prob));
}

TEST(TTestTest, IdenticalConstantAndRoundedIntervals) {
  const Values x = {49.0, 51.5, 50.25, 47.0, 53.0};
  // Three times 50.2 (or 48.7) give a slightly negative variance by the sum
  // of squares, which counts as none: equal means are no difference at all,
  // different ones an infinitely significant one.
  const Values flat(3, 50.2), other(3, 48.7);
  for (const auto& [first, second] : {std::pair{&x, &x}, std::pair{&flat, &flat}}) {
    const TTestResult same = RunTTest(*first, *second);
    EXPECT_TRUE(same.t == 0.0 && same.prob == 1.0) << same.t << " " << same.prob;
  }
  const TTestResult differ = RunTTest(flat, other);
  EXPECT_TRUE(differ.t == INFINITY && differ.prob == 0.0) << differ.t << " " << differ.prob;
  EXPECT_DOUBLE_EQ(RunTTest(flat, Values{1, 2, 3}).t, (50.2 - 2.0) / std::sqrt(1.0 / 3.0));
}

TEST(IntervalComparisonTest, EveryVariableInTableOrderAndRefusedIntervals) {
  // Variable v at sample i holds (v + 1) * 10 + f(i), so a mix-up of arrays
  // shows in the means.
  CompositeSeries series;
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    for (int i = 0; i < 40; ++i) {
      (series.*(kComparedVariables[v].values))
          .push_back((v + 1) * 10.0 + std::sin(0.7 * i * (v + 1)) + i / 20);
    }
  }
  // The second interval ends on the last sample.
  auto outcome = CompareSeriesIntervals(series, 0, 20, 20);
  ASSERT_TRUE(std::holds_alternative<IntervalComparison>(outcome));
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    SCOPED_TRACE(kComparedVariables[v].name);
    const Values& values = series.*(kComparedVariables[v].values);
    ExpectPooledTest(std::get<IntervalComparison>(outcome).tests[v],
                     Values(values.begin(), values.begin() + 20),
                     Values(values.begin() + 20, values.end()));
  }
  const auto refusal = [&](int first, int second, int duration) {
    auto result = CompareSeriesIntervals(series, first, second, duration);
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "";
  };
  EXPECT_EQ(refusal(21, 0, 20), "The first interval extends past the end of data");
  EXPECT_EQ(refusal(0, 21, 20), "The second interval extends past the end of data");
  EXPECT_NE(refusal(0, 2147483000, 1000), "") << "beyond the int range";
  EXPECT_EQ(refusal(-1, 0, 10), "The interval starts must not be negative");
  EXPECT_EQ(refusal(0, 10, 1), "The interval duration must be at least 2 seconds");
  series.lpmax.resize(35);
  EXPECT_NE(refusal(0, 20, 20), "") << "the shortest array bounds the intervals";
}

// Seven eggs with fixed values, except for a varied stretch in the middle:
// rectangle smoothing leaves the filtered series flat before and after that
// stretch, but the running sum comes out of it with residues of rounding, so
// the two flat stretches differ by about 1e-13. That is no difference for
// the t-test (t = 0, p = 1); cvar, which falls steadily, does differ.
TEST(IntervalComparisonTest, FlatStretchesOfAFilteredSeriesDoNotDiffer) {
  const int samples = 10000;
  std::vector<std::vector<std::int32_t>> eggs(7);
  for (int i = 0; i < samples; ++i) {
    for (int k = 0; k < 7; ++k) {
      const bool varied = i >= 4000 && i < 5000;
      eggs[k].push_back(varied ? 89 + (i * (2 * k + 3) + 2 * k * k) % 23 : 95 + 7 * k * k % 13);
    }
  }
  testing::RecordingLink link;
  RunContext context{&link, &link};
  context.settings.smoothingMode = kRectangle;
  context.settings.smoothingWindow = 11;
  CompositeSeries series;
  ComputeStatistics(context, testing::MakeSampleTable(eggs), series);
  ASSERT_FALSE(context.Aborted());

  const auto outcome = CompareSeriesIntervals(series, 1000, 7000, 2000);
  ASSERT_TRUE(std::holds_alternative<IntervalComparison>(outcome));
  const IntervalComparison& comparison = std::get<IntervalComparison>(outcome);
  int residues = 0;
  for (std::size_t v = 1; v < kComparedVariables.size(); ++v) {
    SCOPED_TRACE(kComparedVariables[v].name);
    const TTestResult& test = comparison.tests[v];
    EXPECT_EQ(test.t, 0.0);
    EXPECT_EQ(test.prob, 1.0);
    EXPECT_NEAR(test.mean1, test.mean2, 1e-12 * test.mean1);
    if (test.mean1 != test.mean2) ++residues;
  }
  EXPECT_GE(residues, 1) << "the case of rounding residues is not exercised";
  EXPECT_GT(comparison.tests[0].t, 100.0);
  EXPECT_EQ(comparison.tests[0].prob, 0.0);
}

}  // namespace
}  // namespace corvane
