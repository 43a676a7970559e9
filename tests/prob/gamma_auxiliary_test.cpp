#include "prob/gamma_auxiliary.h"

#include <cmath>
#include <functional>

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
  const std::function<void(double)> check = [](double a) {
    const double want = static_cast<double>(1 / boost::math::tgamma(1 + Precise(a)) - 1);
    EXPECT_LE(RelativeError(ReciprocalGammaMinusOne(a), want), 4 * kEps) << "a = " << a;
  };
  for (double a = 1e-25; a < 0.01; a *= 7) check(a);
  for (int i = 1; i < 1000; ++i) check(i / 1000.0);
  for (double d = 1e-3; d > 1e-15; d /= 7) check(1 - d);
  // Below 1e-25 it is Euler's constant times a to double precision.
  for (double a : {1e-300, 1e-100, 1e-30}) {
    EXPECT_LE(RelativeError(ReciprocalGammaMinusOne(a), 0.57721566490153286 * a), 2 * kEps);
  }
  EXPECT_EQ(ReciprocalGammaMinusOne(0.0), 0.0);
  EXPECT_EQ(ReciprocalGammaMinusOne(1.0), 0.0);
}

// l - 1 - ln l, in the series range around 1 and in the direct form outside.
TEST(GammaAuxiliaryTest, LogRatioDeviation) {
  const std::function<void(double)> check = [](double l) {
    const double want = static_cast<double>(Precise(l) - 1 - log(Precise(l)));
    EXPECT_LE(RelativeError(LogRatioDeviation(l, l - 1.0), want), 6 * kEps) << "l = " << l;
  };
  for (double l = 1e-300; l < 0.5; l *= 11) check(l);
  for (int i = 1; i < 1500; ++i) {
    if (i != 500) check(0.5 + i / 1000.0);
  }
  for (double d = 1e-2; d > 1e-15; d /= 3) {
    check(1 + d);
    check(1 - d);
  }
  for (double l = 2.0; l < 1e300; l *= 13) check(l);
  EXPECT_EQ(LogRatioDeviation(1.0, 0.0), 0.0);
  // Given u more precisely than l can carry it, the result follows u.
  EXPECT_LE(RelativeError(LogRatioDeviation(1.0, 1e-20), 0.5e-40), 2 * kEps);
}

}  // namespace
}  // namespace corvane
