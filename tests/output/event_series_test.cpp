// The event series against Boost.Math: the Stouffer combination of the items'
// Z scores, the summed chi-square with its exact upper tail, and the count of
// significant items against the binomial tail; and the record and closing
// block that carry them.
#include "output/event_series.h"

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>
#include <cmath>

#include <gtest/gtest.h>

#include "output/csv_table.h"
#include "prob/reference.h"

namespace corvane {
namespace {

using testing::RelativeError;

// An item whose chi-square S has k degrees of freedom, with its p and Z from
// Boost.
SeriesItem Item(double s, long long k) {
  const boost::math::chi_squared_distribution<double> chi(static_cast<double>(k));
  const double p = boost::math::cdf(boost::math::complement(chi, s));
  const double z =
      boost::math::quantile(boost::math::complement(boost::math::normal_distribution<>(), p));
  return {p, z, s, k};
}

TEST(EventSeriesTest, CombinesItemsAsTheReferenceDoes) {
  const std::vector<SeriesItem> items = {Item(3700.0, 3600), Item(3590.0, 3600), Item(3800.0, 3600),
                                         Item(1850.0, 1800), Item(7450.0, 7200)};
  const EventSeries series = CombineEvents(items);
  EXPECT_EQ(series.items, 5);

  double zSum = 0.0, sSum = 0.0;
  long long kSum = 0;
  int significant = 0;
  for (const SeriesItem& item : items) {
    zSum += item.z;
    sSum += item.chisq;
    kSum += item.df;
    significant += item.p < 0.05;
  }
  const double z = zSum / std::sqrt(5.0);
  EXPECT_LT(RelativeError(series.stoufferZ, z), 1e-12);
  EXPECT_LT(RelativeError(series.stoufferP, boost::math::cdf(boost::math::complement(
                                                boost::math::normal_distribution<>(), z))),
            1e-12);
  const boost::math::chi_squared_distribution<double> chi(static_cast<double>(kSum));
  EXPECT_EQ(series.chisqSum, sSum);
  EXPECT_EQ(series.chisqDf, kSum);
  EXPECT_LT(RelativeError(series.chisqP, boost::math::cdf(boost::math::complement(chi, sSum))),
            1e-10);
  EXPECT_LT(std::fabs(series.chisqDeviation - (sSum - boost::math::median(chi))), 1e-6);
  ASSERT_EQ(series.significant, significant);
  ASSERT_GT(significant, 0);
  const boost::math::binomial_distribution<double> binomial(5, 0.05);
  EXPECT_LT(RelativeError(series.countP,
                          boost::math::cdf(boost::math::complement(binomial, significant - 1))),
            1e-12);
  EXPECT_DOUBLE_EQ(series.expected, 0.25);

  // A day's worth of degrees of freedom for each of the batch's 5000 items.
  const EventSeries largest = CombineEvents(std::vector<SeriesItem>(5000, Item(86400.0, 86400)));
  EXPECT_EQ(largest.chisqDf, 432000000LL);
  EXPECT_LT(RelativeError(
                largest.chisqP,
                boost::math::cdf(boost::math::complement(
                    boost::math::chi_squared_distribution<double>(432000000.0), largest.chisqSum))),
            1e-8);
  EXPECT_TRUE(std::isfinite(largest.chisqDeviation));
}

// The record and closing block carry the values; no items give empty
// fields and a block that says so, not a failure.
TEST(EventSeriesTest, RecordAndBlockCarryTheValues) {
  const EventSeries series = CombineEvents({Item(3900.0, 3600), Item(3650.0, 3600)});
  const std::string record = SeriesRecord({"2024-01-02 03:04:05", "my batch,1.ebb", 2}, series);
  EXPECT_EQ(record.rfind("2024-01-02 03:04:05,\"my batch,1.ebb\",2,2,", 0), 0u) << record;
  EXPECT_NE(record.find("," + CsvNumber(series.chisqP) + ","), std::string::npos) << record;
  const std::string block = SeriesClosingBlock(series);
  EXPECT_NE(block.find("Event series of 2 completed items:"), std::string::npos) << block;
  EXPECT_NE(block.find("chi-square 7550 with 7200 df"), std::string::npos) << block;
  EXPECT_NE(block.find("1 items with p < 0.05 (0.1 expected)"), std::string::npos) << block;

  const EventSeries none = CombineEvents({});
  EXPECT_EQ(SeriesRecord({"2024-01-02 03:04:05", "b.ebb", 3}, none),
            "2024-01-02 03:04:05,b.ebb,3,0,,,,0,,,0,0,1");
  EXPECT_EQ(SeriesClosingBlock(none), "Event series: no completed item to combine");
}

}  // namespace
}  // namespace corvane
