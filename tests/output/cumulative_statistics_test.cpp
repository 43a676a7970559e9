#include "output/cumulative_statistics.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>
#include <boost/math/distributions/chi_squared.hpp>

#include "output/chi_square_quantiles.h"
#include "prob/chi_square_distribution.h"
#include "support/recording_link.h"

namespace corvane {
namespace {

using boost::math::cdf;
using boost::math::chi_squared;
using boost::math::quantile;
using testing::RecordingLink;

double Median(double k) { return quantile(chi_squared(k), 0.5); }
double LowerFive(double k) { return quantile(chi_squared(k), 0.05); }
double Lower(double k, double x) { return cdf(chi_squared(k), x); }

struct Fixture {
  RecordingLink link;
  RunContext context{&link, &link};
  CompositeSeries series;
  Fixture(std::vector<double> stoufZ, std::vector<double> covar) {
    series.stoufZ = std::move(stoufZ);
    series.covar = std::move(covar);
  }
};

TEST(CumulativeStatisticsTest, FollowsTheChiSquareDefinitions) {
  Fixture f({0.5, -1.2, 2.0, 0.1, -0.7, 1.5}, {0.3, -2.0, 1.1, 0.4, -0.2, 2.5});
  const CumulativeStatistics c = ComputeCumulativeStatistics(f.context, f.series);
  ASSERT_TRUE(c.complete);
  double s = 0, k = 0;
  const double d0 = 0.25 - Median(1);
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const double n = static_cast<double>(i + 1);
    s += f.series.stoufZ[i] * f.series.stoufZ[i];
    k += f.series.covar[i];
    EXPECT_NEAR(c.deviation[i], s - Median(n), 1e-7);
    EXPECT_NEAR(c.reference[i], Median(n) - LowerFive(n) + d0, 1e-7);
    EXPECT_NEAR(c.stoufferProb[i], Lower(n, s), 1e-9);
    EXPECT_NEAR(c.covarSum[i], k, 1e-12);
    EXPECT_NEAR(c.covarProb[i], n + k > 0 ? Lower(n, n + k) : 0.0, 1e-9);
  }
  // The first reference point lies the distance median - lower point above D_0.
  EXPECT_NEAR(c.reference[0] - c.deviation[0], Median(1) - LowerFive(1), 1e-7);
}

TEST(CumulativeStatisticsTest, ParallelAndRememberedEqualsEvaluatingEachSampleInTurn) {
  std::vector<double> stoufZ, covar;
  for (int i = 0; i < 5000; ++i) {
    stoufZ.push_back(std::sin(i * 0.37) * 1.3);
    covar.push_back(std::cos(i * 0.11) * 0.9 - 0.05);
  }
  Fixture f(stoufZ, covar);
  const CumulativeStatistics c = ComputeCumulativeStatistics(f.context, f.series);
  double s = 0, k = 0, d0 = 0;
  for (size_t i = 0; i < stoufZ.size(); ++i) {
    const double n = static_cast<double>(i + 1);
    const double m = chiSquareDistribution::x_from_p_k(0.5, n);
    s += stoufZ[i] * stoufZ[i];
    k += covar[i];
    if (i == 0) d0 = s - m;
    ASSERT_EQ(c.deviation[i], s - m) << i;
    ASSERT_EQ(c.reference[i], chiSquareDistribution::x_from_p_k(0.5, n) -
                                  chiSquareDistribution::x_from_p_k(0.05, n) + d0)
        << i;
    ASSERT_EQ(c.stoufferProb[i], chiSquareDistribution::p_from_k_x(n, s)) << i;
    ASSERT_EQ(c.covarProb[i], n + k > 0 ? chiSquareDistribution::p_from_k_x(n, n + k) : 0.0) << i;
  }
}

TEST(CumulativeStatisticsTest, ZeroStoufferAndNegativeCovarianceGiveCertainty) {
  Fixture f(std::vector<double>(5, 0.0), {-1.0, -1.0, -1.0, 5.0, -0.5});
  const CumulativeStatistics c = ComputeCumulativeStatistics(f.context, f.series);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_NEAR(c.deviation[i], -Median(i + 1.0), 1e-7);
    EXPECT_EQ(c.stoufferProb[i], 0.0);  // column 4 is 1
  }
  EXPECT_EQ(c.covarProb[0], 0.0);  // n + K = 0: column 14 is 1
  EXPECT_EQ(c.covarProb[2], 0.0);
  EXPECT_NEAR(c.covarProb[3], Lower(4, 6.0), 1e-9);
}

TEST(CumulativeStatisticsTest, UndefinedSamplesDoNotAdvanceTheDegreesOfFreedom) {
  Fixture f({NAN, 1.0, NAN, 2.0}, {NAN, NAN, NAN, 0.5});
  const CumulativeStatistics c = ComputeCumulativeStatistics(f.context, f.series);
  EXPECT_EQ(c.deviation[0], 0.0);
  EXPECT_EQ(c.stoufferProb[0], 0.0);
  EXPECT_EQ(c.reference[0], 0.0);
  EXPECT_NEAR(c.deviation[1], 1.0 - Median(1), 1e-7);
  EXPECT_EQ(c.deviation[2], c.deviation[1]);
  EXPECT_NEAR(c.deviation[3], 5.0 - Median(2), 1e-7);
  EXPECT_NEAR(c.stoufferProb[3], Lower(2, 5.0), 1e-9);
  EXPECT_NEAR(c.reference[3], Median(2) - LowerFive(2), 1e-7);
  EXPECT_EQ(c.covarSum[2], 0.0);
  EXPECT_EQ(c.covarProb[2], 0.0);
  EXPECT_NEAR(c.covarProb[3], Lower(1, 1.5), 1e-9);
}

TEST(CumulativeStatisticsTest, NothingIsComputedForAStoppedRun) {
  Fixture f({1.0, 2.0}, {0.0, 0.0});
  f.context.Abort();
  EXPECT_FALSE(ComputeCumulativeStatistics(f.context, f.series).complete);
}

TEST(ChiSquareQuantilesTest, RememberedValuesAreThoseOfFreshCalls) {
  const ChiSquareQuantiles small = ChiSquareQuantilesUpTo(50);
  const ChiSquareQuantiles large = ChiSquareQuantilesUpTo(3000);
  ASSERT_EQ(small.median.size(), 50u);
  ASSERT_EQ(large.lowerFive.size(), 3000u);
  for (int k : {1, 2, 50, 51, 777, 3000}) {
    const auto at = static_cast<size_t>(k - 1);
    EXPECT_EQ(large.median[at], chiSquareDistribution::x_from_p_k(0.5, k)) << k;
    EXPECT_EQ(large.lowerFive[at], chiSquareDistribution::x_from_p_k(0.05, k)) << k;
  }
  EXPECT_EQ(small.median[49], large.median[49]);
  EXPECT_TRUE(ChiSquareQuantilesUpTo(0).median.empty());
}

}  // namespace
}  // namespace corvane
