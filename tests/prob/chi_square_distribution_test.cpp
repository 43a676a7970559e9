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

constexpr double kEps = 0x1p-52;
constexpr double kRootTolerance = 1e-8;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double ReferenceQuantile(double p, double k) {
  const boost::math::chi_squared_distribution<Precise> chi(k);
  return static_cast<double>(boost::math::quantile(chi, Precise(p)));
}

double ReferenceLowerTail(double k, double x) {
  const boost::math::chi_squared_distribution<Precise> chi(k);
  return static_cast<double>(boost::math::cdf(chi, Precise(x)));
}

double ReferenceUpperTail(double k, double x) {
  const boost::math::chi_squared_distribution<Precise> chi(k);
  return static_cast<double>(boost::math::cdf(boost::math::complement(chi, Precise(x))));
}

double ReferenceDensity(double k, double x) {
  const boost::math::chi_squared_distribution<Precise> chi(k);
  return static_cast<double>(boost::math::pdf(chi, Precise(x)));
}

const std::vector<double>& DegreesOfFreedom() {
  static const std::vector<double> ks = {1, 2, 3, 7, 10, 39, 40, 41, 100, 1000, 86400, 1e6};
  return ks;
}

TEST(ChiSquareDistributionTest, QuantilesMatchBoostWithinTheRootTolerance) {
  double worst = 0.0;
  for (double p : {1e-12, 0.001, 0.05, 0.3, 0.5, 0.7, 0.95, 0.999, 1 - 1e-12}) {
    for (double k : DegreesOfFreedom()) {
      const double x = chiSquareDistribution::x_from_p_k(p, k);
      const double want = ReferenceQuantile(p, k);
      const double error = RelativeError(x, want);
      EXPECT_LE(error, kRootTolerance)
          << "p = " << p << ", k = " << k << ": " << x << " for " << want;
      worst = std::max(worst, error);
    }
  }
  std::printf("x_from_p_k: worst relative error %.2e against Boost\n", worst);
}

TEST(ChiSquareDistributionTest, MedianAndFivePercentPointOverTheRangeOfADay) {
  for (double k = 1; k <= 86400; k = std::ceil(k * 1.7)) {
    for (double p : {0.5, 0.05}) {
      const double want = ReferenceQuantile(p, k);
      EXPECT_LE(RelativeError(chiSquareDistribution::x_from_p_k(p, k), want), kRootTolerance)
          << "p = " << p << ", k = " << k;
    }
  }
}

TEST(ChiSquareDistributionTest, QuantileRoundTripsGiveBackTheProbability) {
  for (double p : {1e-6, 0.05, 0.5, 0.95}) {
    for (double k : DegreesOfFreedom()) {
      const double x = chiSquareDistribution::x_from_p_k(p, k);
      // The root is within 1e-8 x of the true quantile, so P moves by at most
      // the density times that, plus the error of P itself.
      const double allowed = ReferenceDensity(k, x) * x * kRootTolerance * 1.01 + 1e-14 * p;
      EXPECT_NEAR(chiSquareDistribution::p_from_k_x(k, x), p, allowed)
          << "p = " << p << ", k = " << k;
    }
  }
}

TEST(ChiSquareDistributionTest, ProbabilitiesMatchBoost) {
  for (double k : DegreesOfFreedom()) {
    for (double ratio : {0.01, 0.5, 0.9, 1.0, 1.1, 2.0, 5.0}) {
      const double x = k * ratio;
      const double lower = ReferenceLowerTail(k, x);
      const double upper = ReferenceUpperTail(k, x);
      if (lower > 1e-300) {
        EXPECT_LE(RelativeError(chiSquareDistribution::p_from_k_x(k, x), lower), 5e-13)
            << "k = " << k << ", x = " << x;
      }
      if (upper > 1e-300) {
        EXPECT_LE(RelativeError(chiSquareDistribution::q_from_k_x(k, x), upper), 5e-13)
            << "k = " << k << ", x = " << x;
      }
    }
  }
}

TEST(ChiSquareDistributionTest, ClosedForms) {
  for (double k : {0.5, 1.0, 7.0, 1e6}) EXPECT_EQ(chiSquareDistribution::p_from_k_x(k, 0.0), 0.0);
  for (double x : {0.01, 1.0, 5.0, 40.0, 300.0}) {
    // Two degrees of freedom: the exponential distribution.
    EXPECT_NEAR(chiSquareDistribution::p_from_k_x(2, x), -std::expm1(-x / 2), 4 * kEps) << x;
    EXPECT_LE(RelativeError(chiSquareDistribution::q_from_k_x(2, x), std::exp(-x / 2)),
              kEps * (8 + x / 2))
        << x;
    // One degree of freedom: P = erf(sqrt(x/2)).
    EXPECT_NEAR(chiSquareDistribution::p_from_k_x(1, x), std::erf(std::sqrt(x / 2)), 4 * kEps);
  }
  EXPECT_LE(RelativeError(chiSquareDistribution::x_from_p_k(0.5, 2), 2 * std::log(2.0)),
            kRootTolerance);
  // With two degrees of freedom the upper tail of median + d is 0.5 e^(-d/2).
  const double median = chiSquareDistribution::x_from_p_k(0.5, 2);
  for (double d : {-1.0, 0.0, 3.0, 20.0}) {
    EXPECT_LE(
        RelativeError(1 - chiSquareDistribution::p_from_k_x(2, median + d), 0.5 * std::exp(-d / 2)),
        1e-8)
        << d;
  }
}

TEST(ChiSquareDistributionTest, UpperTailKeepsPrecisionWhereOneMinusPCannot) {
  const double q = chiSquareDistribution::q_from_k_x(10, 400);
  EXPECT_EQ(chiSquareDistribution::p_from_k_x(10, 400), 1.0);
  EXPECT_GT(q, 0.0);
  EXPECT_LE(RelativeError(q, ReferenceUpperTail(10, 400)), 1e-13);
  // A quantile far in the upper tail is found through Q, not 1 - P.
  const double x = chiSquareDistribution::x_from_p_k(1 - 1e-12, 50);
  EXPECT_LE(RelativeError(x, ReferenceQuantile(1 - 1e-12, 50)), kRootTolerance);
}

void ExpectOutOfRange(double (*operation)(double, double), double first, double second,
                      const std::string& message) {
  try {
    operation(first, second);
    ADD_FAILURE() << message << " not thrown for " << first << ", " << second;
  } catch (const std::out_of_range& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
}

TEST(ChiSquareDistributionTest, BadArgumentsThrowOutOfRangeWithTheOperationsName) {
  const std::string p_message = "chiSquareDistribution::p_from_k_x: Result out of bounds";
  const std::string q_message = "chiSquareDistribution::q_from_k_x: Result out of bounds";
  const std::string x_message = "chiSquareDistribution::x_from_p_k: Result out of bounds";
  // p = 1 (no upper tail), p outside [0, 1], k <= 0.
  for (double p : {1.0, -0.1, 1.1, kNaN}) {
    ExpectOutOfRange(chiSquareDistribution::x_from_p_k, p, 5.0, x_message);
  }
  for (double k : {0.0, -3.0, kNaN, kInf}) {
    ExpectOutOfRange(chiSquareDistribution::x_from_p_k, 0.5, k, x_message);
    ExpectOutOfRange(chiSquareDistribution::p_from_k_x, k, 1.0, p_message);
    ExpectOutOfRange(chiSquareDistribution::q_from_k_x, k, 1.0, q_message);
  }
  // x < 0.
  for (double x : {-1.0, -1e-300, kNaN}) {
    ExpectOutOfRange(chiSquareDistribution::p_from_k_x, 3.0, x, p_message);
    ExpectOutOfRange(chiSquareDistribution::q_from_k_x, 3.0, x, q_message);
  }
  // Quantiles of 1e101 degrees of freedom lie above the search's 1e100.
  ExpectOutOfRange(chiSquareDistribution::x_from_p_k, 0.5, 1e101, x_message);
  ExpectOutOfRange(chiSquareDistribution::x_from_p_k, 0.95, 1e101, x_message);
  // x at a = k/2 beyond 6.65e28: the ratio is indeterminate.
  ExpectOutOfRange(chiSquareDistribution::p_from_k_x, 2e30, 2e30, p_message);
  ExpectOutOfRange(chiSquareDistribution::q_from_k_x, 2e30, 2e30, q_message);
}

TEST(ChiSquareDistributionTest, ExtremeButValidArguments) {
  EXPECT_EQ(chiSquareDistribution::p_from_k_x(3.0, kInf), 1.0);
  const double zero_p = chiSquareDistribution::x_from_p_k(0.0, 4.0);
  EXPECT_GE(zero_p, 0.0);
  EXPECT_LT(zero_p, 1e-40);
  // The median of k degrees of freedom is k (1 - 2/(9k))^3 + O(1/k): k itself
  // to 1e-89 here.
  EXPECT_LE(RelativeError(chiSquareDistribution::x_from_p_k(0.5, 1e90), 1e90), kRootTolerance);
  EXPECT_LE(
      RelativeError(chiSquareDistribution::x_from_p_k(0.05, 0.1), ReferenceQuantile(0.05, 0.1)),
      kRootTolerance);
}

TEST(ChiSquareCumulativeTest, StatusCodes) {
  double p = 0.0, q = 0.0, x = 0.0;
  // Mode 1.
  x = 0.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kProbabilities, &p, &q, &x, 3.0), kChiSquareOk);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(q, 1.0);
  x = -1.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kProbabilities, &p, &q, &x, 3.0), kChiSquareBadX);
  x = 1.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kProbabilities, &p, &q, &x, 0.0), kChiSquareBadDf);
  x = 2e30;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kProbabilities, &p, &q, &x, 2e30),
            kChiSquareIndeterminate);
  // Mode 2, checks in order: P, then Q, then DF, then P + Q.
  p = 1.5, q = 0.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 0.0), kChiSquareBadP);
  p = 1.0, q = 0.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 0.0), kChiSquareBadQ);
  p = 0.5, q = 0.5;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 0.0), kChiSquareBadDf);
  p = 0.3, q = 0.3;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 2.0), kChiSquareTailsDiffer);
  // A root above 1e100: found through the upper tail, f falls from 1 - q at
  // 0 to a still positive value at 1e100.
  p = 0.9, q = 0.1, x = -7.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 1e101), kChiSquareRootAbove);
  EXPECT_EQ(x, -7.0);
  p = 0.5, q = 0.5;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 2.0), kChiSquareOk);
  EXPECT_LE(RelativeError(x, 2 * std::log(2.0)), kRootTolerance);
  p = 0.0, q = 1.0;
  EXPECT_EQ(chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, 2.0), kChiSquareOk);
  EXPECT_LT(x, 1e-40);
}

// The form's thread and a job may ask at the same time: each call keeps its
// own state, so every thread gets exactly what one thread alone gets.
TEST(ChiSquareDistributionTest, ConcurrentCallsGiveIdenticalResults) {
  std::vector<double> ks;
  for (double k = 1; k < 2e5; k = std::ceil(k * 1.3)) ks.push_back(k);
  struct Results {
    std::vector<double> median, five, lower;
  };
  auto compute = [&ks](Results* out) {
    for (double k : ks) {
      out->median.push_back(chiSquareDistribution::x_from_p_k(0.5, k));
      out->five.push_back(chiSquareDistribution::x_from_p_k(0.05, k));
      out->lower.push_back(chiSquareDistribution::p_from_k_x(k, k * 1.01));
    }
  };
  Results alone;
  compute(&alone);
  constexpr int kThreads = 4;
  std::vector<Results> results(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(compute, &results[i]);
  for (std::thread& thread : threads) thread.join();
  for (const Results& r : results) {
    EXPECT_EQ(r.median, alone.median);
    EXPECT_EQ(r.five, alone.five);
    EXPECT_EQ(r.lower, alone.lower);
  }
}

}  // namespace
}  // namespace corvane
