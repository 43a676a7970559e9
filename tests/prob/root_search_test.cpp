#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "prob/bracketed_zero.h"
#include "prob/monotone_inverse.h"

namespace corvane {
namespace {

using Function = std::function<double(double)>;

struct ZeroResult {
  int status;
  double x;
  int evaluations;
};

// Runs a search by reverse communication from x = start.
template <class Search>
ZeroResult Solve(Search& search, const Function& f, double start = 0.0) {
  double x = start;
  int evaluations = 0;
  int status = search.Step(kSearchStart, &x, 0.0);
  while (status == kSearchEvaluate) {
    ++evaluations;
    status = search.Step(status, &x, f(x));
  }
  return {status, x, evaluations};
}

// Settings like those of the chi-square quantile search.
const monotoneInverse::Settings kChiSquareLike{0.0, 1e100, 0.5, 0.5, 5.0, 1e-50, 1e-8};

TEST(BracketedZeroTest, NarrowsToTheToleranceAndEndsAtTheBetterPoint) {
  const Function fs[] = {
      [](double x) { return x * x * x - 2.0; },
      [](double x) { return std::exp(x) - 10.0; },
      [](double x) { return 1.0 - x; },               // decreasing
      [](double x) { return std::tanh(x - 3.3); },    // flat far from the root
      [](double x) { return x < 0.3 ? -1.0 : 1.0; },  // a jump through zero
  };
  const double roots[] = {std::cbrt(2.0), std::log(10.0), 1.0, 3.3, 0.3};
  for (int i = 0; i < 5; ++i) {
    bracketedZero zero;
    zero.Setup(0.0, 10.0, 1e-50, 1e-10);
    const ZeroResult r = Solve(zero, fs[i]);
    EXPECT_EQ(r.status, kSearchDone) << i;
    EXPECT_NEAR(zero.xlo(), roots[i], 1e-10 * roots[i]) << i;
    EXPECT_LE(std::fabs(zero.xhi() - zero.xlo()), 1e-10 * std::fabs(zero.xlo()) * 1.0001) << i;
    // [xlo, xhi] is a true bracket, and xlo its end with the smaller |f|.
    EXPECT_NE(zero.xlo(), zero.xhi()) << i;
    EXPECT_LE(fs[i](zero.xlo()) * fs[i](zero.xhi()), 0.0) << i;
    EXPECT_LE(std::fabs(fs[i](zero.xlo())), std::fabs(fs[i](zero.xhi()))) << i;
    if (i < 4) {  // a jump defeats interpolation
      EXPECT_LT(r.evaluations, 60) << i;
    }
  }
}

TEST(MonotoneInverseTest, FindsRootsOfIncreasingAndDecreasingFunctions) {
  struct Case {
    Function f;
    double root;
    double big = 1e100;
  };
  const Case cases[] = {
      {[](double x) { return std::log1p(x) - 3.0; }, std::expm1(3.0)},  // above the start
      {[](double x) { return std::sqrt(x) - 1e-3; }, 1e-6},             // below the start
      {[](double x) { return 1e5 - x; }, 1e5},                          // decreasing
      {[](double x) { return 2.0 - std::exp(-x) * 5.0; }, std::log(2.5)},
      {[](double x) { return x - 5.0; }, 5.0},  // at the start
      // The step-out reaches big, with f already past zero there.
      {[](double x) { return x - 999.0; }, 999.0, 1000.0},
  };
  for (const Case& c : cases) {
    monotoneInverse::Settings settings = kChiSquareLike;
    settings.big = c.big;
    monotoneInverse search;
    search.Setup(settings);
    const ZeroResult r = Solve(search, c.f, 5.0);
    EXPECT_EQ(r.status, kSearchDone) << c.root;
    EXPECT_NEAR(r.x, c.root, 1e-8 * c.root) << c.root;
  }
}

// Where the root lies when the bounds do not bracket it: qleft when it is
// below them, qhi when f is above zero at the end named.
struct Side {
  Function f;
  bool qleft;
  bool qhi;
};

template <class Search>
void ExpectNoRoot(Search& search, const Side& side, double start) {
  EXPECT_EQ(Solve(search, side.f, start).status, kSearchNoRoot);
  EXPECT_EQ(search.qleft(), side.qleft);
  EXPECT_EQ(search.qhi(), side.qhi);
}

TEST(RootSearchTest, RootsOutsideTheBoundsAreReportedWithTheirSide) {
  for (const Side& side : {Side{[](double x) { return x - 5.0; }, false, false},
                           Side{[](double x) { return x + 5.0; }, true, true},
                           Side{[](double x) { return -x - 5.0; }, true, false}}) {
    bracketedZero zero;
    zero.Setup(0.0, 1.0, 1e-50, 1e-8);
    ExpectNoRoot(zero, side, 0.0);
  }
  monotoneInverse::Settings settings = kChiSquareLike;
  settings.small = 1.0;
  settings.big = 100.0;
  for (const Side& side : {Side{[](double x) { return x + 1.0; }, true, true},
                           Side{[](double x) { return x - 500.0; }, false, false},
                           Side{[](double x) { return -x - 1.0; }, true, false},
                           Side{[](double x) { return 500.0 - x; }, false, true}}) {
    monotoneInverse search;
    search.Setup(settings);
    ExpectNoRoot(search, side, 5.0);
  }
}

TEST(MonotoneInverseDeathTest, StartOutsideTheBoundsEndsTheProgram) {
  EXPECT_EXIT(
      {
        monotoneInverse search;
        search.Setup(kChiSquareLike);
        double x = -1.0;
        search.Step(kSearchStart, &x, 0.0);
      },
      ::testing::ExitedWithCode(1), "^ SMALL, X, BIG not monotone in INVR\n$");
}

}  // namespace
}  // namespace corvane
