// A run's values for the results table against Boost.Math: both tails of the
// Stouffer chi-square and its Z, the covariance tail, and the values left
// undefined without degrees of freedom or with n + K not above 0.
#include "output/run_statistics.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>
#include <cmath>

#include <gtest/gtest.h>

#include "prob/reference.h"

namespace corvane {
namespace {

using boost::math::cdf;
using boost::math::complement;
using testing::RelativeError;
using Chi = boost::math::chi_squared_distribution<double>;

TEST(RunStatisticsTest, TailsAndZOfTheFinalSumsAreThoseOfBoost) {
  CompositeSeries series;
  series.useableEggs = 7;
  series.lastCumulativeDeviation = -179.25;
  series.finalStoufferDegrees = 3600;
  series.finalStoufferSum = 3420.0;  // below the median: Z is negative
  series.finalCovarDegrees = 4;
  series.finalCovarSum = 2.5;
  const RunStatistics values = RunStatisticsOf(series, 3599);
  EXPECT_EQ(values.useableEggs, 7);
  EXPECT_EQ(values.samples, 3599);
  EXPECT_EQ(values.stoufferDeviation, -179.25);
  const double lower = cdf(Chi(3600), 3420.0);
  EXPECT_LT(RelativeError(values.stoufferLowerP, lower), 1e-12);
  EXPECT_LT(RelativeError(values.stoufferUpperP, cdf(complement(Chi(3600), 3420.0))), 1e-12);
  EXPECT_LT(RelativeError(values.stoufferZ, quantile(boost::math::normal_distribution<>(), lower)),
            1e-10);
  EXPECT_LT(RelativeError(values.covarUpperP, cdf(complement(Chi(4), 6.5))), 1e-12);

  // n + K = 1 still has a tail; at 0 there is none, nor without degrees.
  series.finalCovarSum = -3.0;
  EXPECT_LT(RelativeError(RunStatisticsOf(series, 1).covarUpperP, cdf(complement(Chi(4), 1.0))),
            1e-12);
  series.finalCovarSum = -4.0;
  series.finalStoufferDegrees = 0;
  const RunStatistics none = RunStatisticsOf(series, 1);
  EXPECT_EQ(none.covarUpperP, 1.0);
  EXPECT_TRUE(std::isnan(none.stoufferUpperP) && std::isnan(none.stoufferLowerP) &&
              std::isnan(none.stoufferZ));
}

}  // namespace
}  // namespace corvane
