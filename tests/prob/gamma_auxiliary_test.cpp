#include "prob/gamma_auxiliary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "prob/reference.h"

namespace corvane {
namespace {

using testing::Precise;
using testing::RelativeError;

constexpr double kEps = 0x1p-52;

// 1/Gamma(1 + a) - 1 keeps its relative precision all across (0, 1),
// including next to both ends where it vanishes.
TEST(GammaAuxiliaryTest, ReciprocalGammaMinusOne) {
  double worst = 0.0;
  auto check = [&worst](double a) {
    const double want = static_cast<double>(1 / boost::math::tgamma(1 + Precise(a)) - 1);
    const double error = RelativeError(ReciprocalGammaMinusOne(a), want);
    EXPECT_LE(error, 4 * kEps) << "a = " << a;
    worst = std::max(worst, error);
  };
  for (double a = 1e-25; a < 0.01; a *= 7) check(a);
  // Below that 1/Gamma(1 + a) - 1 is Euler's constant times a to double
  // precision.
  for (double a : {1e-300, 1e-100, 1e-30}) {
    EXPECT_LE(RelativeError(ReciprocalGammaMinusOne(a), 0.57721566490153286 * a), 2 * kEps);
  }
  for (int i = 1; i < 1000; ++i) check(i / 1000.0);
  for (double d = 1e-3; d > 1e-15; d /= 7) check(1 - d);
  EXPECT_EQ(ReciprocalGammaMinusOne(0.0), 0.0);
  EXPECT_EQ(ReciprocalGammaMinusOne(1.0), 0.0);
  std::printf("1/Gamma(1+a) - 1: worst relative error %.2e\n", worst);
}

// l - 1 - ln l, in the series range around 1 and in the direct form outside.
TEST(GammaAuxiliaryTest, LogRatioDeviation) {
  double worst = 0.0;
  auto check = [&worst](double l) {
    const Precise exact = Precise(l) - 1 - log(Precise(l));
    const double want = static_cast<double>(exact);
    const double error = RelativeError(LogRatioDeviation(l, l - 1.0), want);
    EXPECT_LE(error, 6 * kEps) << "l = " << l;
    worst = std::max(worst, error);
  };
  for (double l = 1e-300; l < 0.5; l *= 11) check(l);
  for (int i = 1; i < 1500; ++i) {
    if (i != 500) check(0.5 + i / 1000.0);
  }
  EXPECT_EQ(LogRatioDeviation(1.0, 0.0), 0.0);
  for (double d = 1e-2; d > 1e-15; d /= 3) {
    check(1 + d);
    check(1 - d);
  }
  for (double l = 2.0; l < 1e300; l *= 13) check(l);
  // Given u more precisely than l can carry it, the result follows u.
  const double u = 1e-20;
  EXPECT_LE(RelativeError(LogRatioDeviation(1.0, u), u * u / 2), 2 * kEps);
  std::printf("l - 1 - ln l: worst relative error %.2e\n", worst);
}

}  // namespace
}  // namespace corvane
