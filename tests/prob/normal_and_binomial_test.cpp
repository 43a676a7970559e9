// The normal tail and its inverse, and the binomial upper tail, against
// Boost.Math in 50 digits: across the whole range of doubles, both tails, and
// the limits where a naive formula loses everything.
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/normal.hpp>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "prob/binomial_tail.h"
#include "prob/normal_distribution.h"
#include "prob/reference.h"

namespace corvane {
namespace {

using testing::Precise;
using testing::RelativeError;

constexpr double kInf = std::numeric_limits<double>::infinity();

double ReferenceUpperTail(double z) {
  return static_cast<double>(
      boost::math::cdf(boost::math::complement(boost::math::normal_distribution<Precise>(), z)));
}

double ReferenceUpperQuantile(double q) {
  return static_cast<double>(boost::math::quantile(
      boost::math::complement(boost::math::normal_distribution<Precise>(), Precise(q))));
}

TEST(NormalDistributionTest, UpperTailKeepsItsPrecisionFarOut) {
  // Far out the tail is as sensitive to z as its z^2 condition number says:
  // rounding z / sqrt(2) alone costs that much.
  for (double z = -8.0; z <= 37.5; z += 0.37) {
    EXPECT_LT(RelativeError(NormalUpperTail(z), ReferenceUpperTail(z)), 1e-14 + 4e-16 * z * z) << z;
  }
  EXPECT_EQ(NormalUpperTail(0.0), 0.5);
  EXPECT_EQ(NormalUpperTail(-kInf), 1.0);
  EXPECT_EQ(NormalUpperTail(kInf), 0.0);
}

TEST(NormalDistributionTest, UpperQuantileInvertsTheTailOnBothSides) {
  for (double q : {1e-300, 1e-100, 1e-20, 1e-8, 3.3e-5, 0.001, 0.02425, 0.025, 0.05, 0.3, 0.5, 0.7,
                   0.9, 0.97575, 0.99, 0.999999}) {
    const double z = NormalUpperQuantile(q);
    const double reference = ReferenceUpperQuantile(q);
    EXPECT_LT(std::fabs(z - reference), 1e-13 * std::max(1.0, std::fabs(reference))) << q;
  }
  // The smallest subnormal still has a finite quantile, as close as a tail
  // with a single bit of precision allows.
  EXPECT_NEAR(NormalUpperQuantile(std::numeric_limits<double>::denorm_min()),
              ReferenceUpperQuantile(std::numeric_limits<double>::denorm_min()), 1e-6);
  EXPECT_EQ(NormalUpperQuantile(0.5), 0.0);
  EXPECT_EQ(NormalUpperQuantile(0.0), kInf);
  EXPECT_EQ(NormalUpperQuantile(1.0), -kInf);
  EXPECT_TRUE(std::isnan(NormalUpperQuantile(-1e-300)));
  EXPECT_TRUE(std::isnan(NormalUpperQuantile(1.0000000000000002)));
  EXPECT_TRUE(std::isnan(NormalUpperQuantile(std::nan(""))));
}

// Given both tails exactly, the Z score is precise where the upper tail alone
// has lost its digits to 1.
TEST(NormalDistributionTest, ZFromTailsUsesTheSmallerTail) {
  const double lower = 1e-30;  // the upper tail rounds to 1
  EXPECT_NEAR(ZFromTails(1.0, lower), -ReferenceUpperQuantile(lower), 1e-12);
  EXPECT_NEAR(ZFromTails(1e-30, 1.0), ReferenceUpperQuantile(1e-30), 1e-12);
  EXPECT_EQ(ZFromTails(0.5, 0.5), 0.0);
}

double ReferenceBinomialUpper(long long n, long long k, double p) {
  if (k <= 0) return 1.0;
  const boost::math::binomial_distribution<Precise> binomial(static_cast<Precise>(n), Precise(p));
  return static_cast<double>(
      boost::math::cdf(boost::math::complement(binomial, static_cast<Precise>(k - 1))));
}

TEST(BinomialTailTest, MatchesTheReferenceAcrossCountsAndTails) {
  for (long long n : {1LL, 2LL, 8LL, 20LL, 100LL, 5000LL}) {
    for (long long k = 0; k <= n; k += std::max(1LL, n / 37)) {
      for (double p : {0.05, 0.5, 0.9}) {
        const double reference = ReferenceBinomialUpper(n, k, p);
        if (reference < 1e-300) continue;
        EXPECT_LT(RelativeError(BinomialUpperTail(n, k, p), reference), 1e-11)
            << n << " " << k << " " << p;
      }
    }
  }
  // Every item significant out of 5000: a tail far below a direct product's
  // underflow of 0.05^5000 is still 0, not NaN; 60 of 5000 is tiny, not 0.
  EXPECT_EQ(BinomialUpperTail(5000, 5000, 0.05), 0.0);
  EXPECT_LT(RelativeError(BinomialUpperTail(100, 60, 0.05), ReferenceBinomialUpper(100, 60, 0.05)),
            1e-11);
}

TEST(BinomialTailTest, Limits) {
  EXPECT_EQ(BinomialUpperTail(10, 0, 0.05), 1.0);
  EXPECT_EQ(BinomialUpperTail(10, -3, 0.05), 1.0);
  EXPECT_EQ(BinomialUpperTail(10, 11, 0.05), 0.0);
  EXPECT_EQ(BinomialUpperTail(0, 1, 0.05), 0.0);
  EXPECT_EQ(BinomialUpperTail(10, 10, 1.0), 1.0);
  EXPECT_EQ(BinomialUpperTail(10, 1, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(BinomialUpperTail(10, 10, 0.5), std::ldexp(1.0, -10));
  EXPECT_DOUBLE_EQ(BinomialUpperTail(1, 1, 0.05), 0.05);
  EXPECT_TRUE(std::isnan(BinomialUpperTail(-1, 0, 0.05)));
  EXPECT_TRUE(std::isnan(BinomialUpperTail(10, 1, 1.5)));
}

}  // namespace
}  // namespace corvane
