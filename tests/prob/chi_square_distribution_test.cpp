#include "prob/chi_square_distribution.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "prob/chi_square_cumulative.h"
#include "prob/reference.h"

namespace corvane {
namespace {

using testing::Precise;
using testing::RelativeError;
using Chi = chiSquareDistribution;

constexpr double kRootTolerance = 1e-8;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

boost::math::chi_squared_distribution<Precise> Reference(double k) {
  return boost::math::chi_squared_distribution<Precise>(k);
}

double ReferenceQuantile(double p, double k) {
  return static_cast<double>(boost::math::quantile(Reference(k), Precise(p)));
}

// The whole range of a day's degrees of freedom in steps of 1.7, and a few
// points of interest around and beyond it.
std::vector<double> DegreesOfFreedom() {
  std::vector<double> ks = {39, 40, 41, 100, 1000, 86400, 1e6};
  for (double k = 1; k <= 86400; k = std::ceil(k * 1.7)) ks.push_back(k);
  return ks;
}

TEST(ChiSquareDistributionTest, QuantilesMatchBoostWithinTheRootToleranceAndRoundTrip) {
  double worst = 0.0;
  for (double p : {1e-12, 1e-6, 0.001, 0.05, 0.3, 0.5, 0.7, 0.95, 0.999, 1 - 1e-12}) {
    for (double k : DegreesOfFreedom()) {
      SCOPED_TRACE(::testing::Message() << "p = " << p << ", k = " << k);
      const double x = Chi::x_from_p_k(p, k);
      const double error = RelativeError(x, ReferenceQuantile(p, k));
      EXPECT_LE(error, kRootTolerance);
      worst = std::max(worst, error);
      // Round trip through the smaller tail: the root is within 1e-8 x of the
      // true quantile, so the tail moves by at most the density times that,
      // plus its own error.
      const double tail = std::min(p, 1 - p);
      const double density = static_cast<double>(boost::math::pdf(Reference(k), Precise(x)));
      EXPECT_NEAR(p < 0.5 ? Chi::p_from_k_x(k, x) : Chi::q_from_k_x(k, x), tail,
                  density * x * kRootTolerance * 1.01 + 1e-14 * tail);
    }
  }
  std::printf("x_from_p_k: worst relative error %.2e against Boost\n", worst);
}

TEST(ChiSquareDistributionTest, ExtremeButValidArguments) {
  // The upper tail keeps its precision where 1 - P cannot.
  EXPECT_EQ(Chi::p_from_k_x(10, 400), 1.0);
  const Precise upper = boost::math::cdf(boost::math::complement(Reference(10), Precise(400)));
  EXPECT_LE(RelativeError(Chi::q_from_k_x(10, 400), static_cast<double>(upper)), 1e-13);
  EXPECT_EQ(Chi::p_from_k_x(3.0, kInf), 1.0);
  const double zero_p = Chi::x_from_p_k(0.0, 4.0);
  EXPECT_TRUE(zero_p >= 0.0 && zero_p < 1e-40) << zero_p;
  // The median of k degrees of freedom is k (1 - 2/(9k))^3 + O(1/k): k itself
  // to 1e-89 here.
  EXPECT_LE(RelativeError(Chi::x_from_p_k(0.5, 1e90), 1e90), kRootTolerance);
  EXPECT_LE(RelativeError(Chi::x_from_p_k(0.05, 0.1), ReferenceQuantile(0.05, 0.1)),
            kRootTolerance);
}

TEST(ChiSquareDistributionTest, BadArgumentsThrowOutOfRangeWithTheOperationsName) {
  auto expect = [](double (*operation)(double, double), const char* name, double a, double b) {
    const std::string message =
        std::string("chiSquareDistribution::") + name + ": Result out of bounds";
    try {
      operation(a, b);
      ADD_FAILURE() << message << " not thrown for " << a << ", " << b;
    } catch (const std::out_of_range& error) {
      EXPECT_EQ(error.what(), message);
    }
  };
  // p = 1 (no upper tail) or outside [0, 1].
  for (double p : {1.0, -0.1, 1.1, kNaN}) expect(Chi::x_from_p_k, "x_from_p_k", p, 5.0);
  for (double k : {0.0, -3.0, kNaN, kInf}) {  // k <= 0
    expect(Chi::x_from_p_k, "x_from_p_k", 0.5, k);
    expect(Chi::p_from_k_x, "p_from_k_x", k, 1.0);
    expect(Chi::q_from_k_x, "q_from_k_x", k, 1.0);
  }
  for (double x : {-1.0, -1e-300, kNaN}) {  // x < 0
    expect(Chi::p_from_k_x, "p_from_k_x", 3.0, x);
    expect(Chi::q_from_k_x, "q_from_k_x", 3.0, x);
  }
  // Quantiles of 1e101 degrees of freedom lie above the search's 1e100.
  expect(Chi::x_from_p_k, "x_from_p_k", 0.5, 1e101);
  expect(Chi::x_from_p_k, "x_from_p_k", 0.95, 1e101);
}

TEST(ChiSquareCumulativeTest, StatusCodes) {
  struct Case {
    ChiSquareMode mode;
    double p, q, x, df;
    ChiSquareStatus status;
  };
  const auto kP = ChiSquareMode::kProbabilities;
  const auto kX = ChiSquareMode::kValue;
  const Case cases[] = {
      {kP, 0, 0, -1.0, 3.0, kChiSquareBadX},
      {kP, 0, 0, 1.0, 0.0, kChiSquareBadDf},
      {kP, 0, 0, 1.0, kInf, kChiSquareBadDf},
      // x at a = k/2 beyond 6.65e28: the ratio is indeterminate.
      {kP, 0, 0, 2e30, 2e30, kChiSquareIndeterminate},
      // kValue checks in order: P, then Q, then DF, then P + Q.
      {kX, 1.5, 0.0, 0, 0.0, kChiSquareBadP},
      {kX, 1.0, 0.0, 0, 0.0, kChiSquareBadQ},
      {kX, 0.5, 0.5, 0, 0.0, kChiSquareBadDf},
      {kX, 0.3, 0.3, 0, 2.0, kChiSquareTailsDiffer},
      // A root above 1e100 found through the upper tail: f falls from 1 - q
      // at 0 to a still positive value at 1e100. Through the lower tail P is 0
      // at both bounds, which the search takes as decreasing.
      {kX, 0.9, 0.1, -7.0, 1e101, kChiSquareRootAbove},
      {kX, 0.1, 0.9, -7.0, 1e101, kChiSquareRootBelow},
  };
  for (const Case& c : cases) {
    double p = c.p, q = c.q, x = c.x;
    EXPECT_EQ(chiSquareCumulative(c.mode, &p, &q, &x, c.df), c.status)
        << p << " " << q << " " << x << " " << c.df;
    EXPECT_TRUE(p == c.p && q == c.q && x == c.x) << "a failure changed an output";
  }
  double p = 0.0, q = 0.0, x = 0.0;
  EXPECT_EQ(chiSquareCumulative(kP, &p, &q, &x, 3.0), kChiSquareOk);
  EXPECT_TRUE(p == 0.0 && q == 1.0);
  p = 0.5, q = 0.5;
  EXPECT_EQ(chiSquareCumulative(kX, &p, &q, &x, 2.0), kChiSquareOk);
  EXPECT_LE(RelativeError(x, 2 * std::log(2.0)), kRootTolerance);
}

// The form's thread and a job may ask at the same time: each call keeps its
// own state, so every thread gets exactly what one thread alone gets.
TEST(ChiSquareDistributionTest, ConcurrentCallsGiveIdenticalResults) {
  auto compute = [](std::vector<double>* out) {
    for (double k = 1; k < 2e5; k = std::ceil(k * 1.3)) {
      out->push_back(Chi::x_from_p_k(0.5, k));
      out->push_back(Chi::x_from_p_k(0.05, k));
      out->push_back(Chi::p_from_k_x(k, k * 1.01));
    }
  };
  std::vector<double> alone;
  compute(&alone);
  std::vector<std::vector<double>> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results) threads.emplace_back(compute, &result);
  for (std::thread& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, alone);
}

}  // namespace
}  // namespace corvane
