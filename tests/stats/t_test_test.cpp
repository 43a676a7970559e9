#include "stats/t_test.h"

#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "stats/incomplete_beta.h"

namespace corvane {
namespace {

// The two-sided probability of |t| with df degrees of freedom, from Boost.
double StudentTwoSided(double t, double df) {
  const boost::math::students_t distribution(df);
  return 2.0 * boost::math::cdf(boost::math::complement(distribution, std::fabs(t)));
}

struct Reference {
  double mean1, mean2, t, df;
};

// The pooled two-sample t-test computed the textbook way (two passes).
Reference PooledTTest(const std::vector<double>& x, const std::vector<double>& y) {
  auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double e : v) s += e;
    return s / v.size();
  };
  auto squares = [](const std::vector<double>& v, double m) {
    double s = 0;
    for (double e : v) s += (e - m) * (e - m);
    return s;
  };
  Reference r;
  r.mean1 = mean(x);
  r.mean2 = mean(y);
  r.df = static_cast<double>(x.size() + y.size() - 2);
  const double pooled = (squares(x, r.mean1) + squares(y, r.mean2)) / r.df;
  r.t = (r.mean1 - r.mean2) / std::sqrt(pooled * (1.0 / x.size() + 1.0 / y.size()));
  return r;
}

std::vector<double> Normal(std::mt19937& rng, std::size_t n, double mean, double sd) {
  std::normal_distribution<double> d(mean, sd);
  std::vector<double> v(n);
  for (double& e : v) e = d(rng);
  return v;
}

TEST(TTestTest, MatchesStudentsTDistribution) {
  std::mt19937 rng(7);
  // Small and long intervals, equal and shifted means (t from 0 to large).
  for (std::size_t length : {2u, 3u, 7u, 60u, 3600u, 14400u}) {
    for (double shift : {0.0, 0.05, 0.3, 2.0}) {
      const auto x = Normal(rng, length, 50.0, 1.0);
      const auto y = Normal(rng, length, 50.0 + shift, 1.3);
      const TTestResult result = RunTTest(x, y);
      const Reference expected = PooledTTest(x, y);
      SCOPED_TRACE(testing::Message() << "L=" << length << " shift=" << shift);
      EXPECT_EQ(result.df, static_cast<std::int64_t>(2 * length - 2));
      EXPECT_NEAR(result.mean1, expected.mean1, 1e-12 * std::fabs(expected.mean1));
      EXPECT_NEAR(result.mean2, expected.mean2, 1e-12 * std::fabs(expected.mean2));
      EXPECT_NEAR(result.t, expected.t, 1e-8 * (1.0 + std::fabs(expected.t)));
      EXPECT_NEAR(result.prob, StudentTwoSided(expected.t, expected.df), 1e-6);
    }
  }
}

TEST(TTestTest, IdenticalAndConstantIntervals) {
  const std::vector<double> x = {49.0, 51.5, 50.25, 47.0, 53.0};
  const TTestResult same = RunTTest(x, x);
  EXPECT_EQ(same.t, 0.0);
  EXPECT_EQ(same.prob, 1.0);
  EXPECT_EQ(same.mean1, same.mean2);

  // No variance in either interval: equal means are no difference at all,
  // different means are an infinitely significant one.
  const std::vector<double> flat(4, 50.1), other(4, 50.2);
  const TTestResult equal = RunTTest(flat, flat);
  EXPECT_EQ(equal.t, 0.0);
  EXPECT_EQ(equal.prob, 1.0);
  const TTestResult differ = RunTTest(flat, other);
  EXPECT_TRUE(std::isinf(differ.t));
  EXPECT_LT(differ.t, 0.0);
  EXPECT_EQ(differ.prob, 0.0);
}

TEST(TTestTest, TwoSamplesGiveTwoDegreesOfFreedom) {
  const std::vector<double> x = {1.0, 3.0}, y = {4.0, 8.0};
  const TTestResult result = RunTTest(x, y);
  EXPECT_EQ(result.df, 2);
  // s1^2 = 2, s2^2 = 8: t = (2 - 6) / sqrt(10 / 2).
  EXPECT_DOUBLE_EQ(result.t, -4.0 / std::sqrt(5.0));
  EXPECT_NEAR(result.prob, StudentTwoSided(result.t, 2.0), 1e-6);
}

TEST(TTestTest, UndefinedValuesAreLeftOut) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> x = {50.0, nan, 47.0, 52.0, 49.5};
  const std::vector<double> y = {55.0, 51.0, nan, nan, 53.5};
  const TTestResult result = RunTTest(x, y);
  const Reference expected = PooledTTest({50.0, 47.0, 52.0, 49.5}, {55.0, 51.0, 53.5});
  EXPECT_EQ(result.df, 5);
  EXPECT_DOUBLE_EQ(result.mean1, expected.mean1);
  EXPECT_DOUBLE_EQ(result.mean2, expected.mean2);
  EXPECT_NEAR(result.t, expected.t, 1e-12);
  EXPECT_NEAR(result.prob, StudentTwoSided(expected.t, 5.0), 1e-6);

  const std::vector<double> none = {nan, nan, nan, nan, nan};
  const TTestResult empty = RunTTest(none, y);
  EXPECT_TRUE(std::isnan(empty.mean1));
  EXPECT_TRUE(std::isnan(empty.t));
  EXPECT_TRUE(std::isnan(empty.prob));
}

TEST(IncompleteBetaTest, MatchesBoost) {
  for (double a : {0.5, 1.0, 2.5, 30.0, 3599.0}) {
    for (double b : {0.5, 1.0, 4.0}) {
      for (double x : {0.001, 0.1, 0.5, 0.9, 0.999}) {
        SCOPED_TRACE(testing::Message() << "a=" << a << " b=" << b << " x=" << x);
        EXPECT_NEAR(IncompleteBeta(a, b, x), boost::math::ibeta(a, b, x), 2e-6);
      }
    }
  }
  EXPECT_EQ(IncompleteBeta(2.0, 0.5, -0.1), 0.0);
  EXPECT_EQ(IncompleteBeta(2.0, 0.5, 1.1), 0.0);
  EXPECT_EQ(IncompleteBeta(2.0, 0.5, 0.0), 0.0);
  EXPECT_EQ(IncompleteBeta(2.0, 0.5, 1.0), 1.0);
}

}  // namespace
}  // namespace corvane
