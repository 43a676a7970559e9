#include "prob/incomplete_gamma_ratio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "prob/reference.h"

namespace corvane {
namespace {

using testing::ReferenceGammaRatio;
using testing::RelativeError;

constexpr double kEps = 0x1p-52;
constexpr double kE0 = 0.25e-3;

struct Point {
  double a;
  double x;
};

// One part of the algorithm, the points that reach it, and the error allowed
// there: k * eps * max(1, |ln m|), m the smaller of P and Q. The ln m factor
// is the rounding of the exponent of x^a e^-x, which no double computation
// escapes and which grows into the far tails.
// The far tails (any method) are one more such part.
struct Branch {
  std::string name;
  std::optional<GammaRatioMethod> method;
  double k;
  std::vector<Point> points;
};

std::vector<Point> Grid(const std::vector<double>& as, const std::vector<double>& xs) {
  std::vector<Point> points;
  for (double a : as)
    for (double x : xs) points.push_back({a, x});
  return points;
}

std::vector<Point> Join(std::vector<Point> points, const std::vector<Point>& more) {
  points.insert(points.end(), more.begin(), more.end());
  return points;
}

// Points with 1 - x/a = s for each a and each signed s; with near, s is
// taken in units of e0 / sqrt(a), the reach of the expansion at x = a.
std::vector<Point> AroundA(const std::vector<double>& as, const std::vector<double>& ss,
                           bool near = false) {
  std::vector<Point> points;
  for (double a : as) {
    for (double s : ss) points.push_back({a, a * (1.0 - (near ? s * kE0 / std::sqrt(a) : s))});
  }
  return points;
}

// For a >= 20: points on both sides of x = a at which y = a (l - 1 - ln l)
// takes each given value, kept where 1 - x/a lies in (lo, hi].
std::vector<Point> TemmePoints(const std::vector<double>& as, const std::vector<double>& ys,
                               double lo_scale, double lo, double hi) {
  std::vector<Point> points;
  for (double a : as) {
    for (double y : ys) {
      const double s = std::sqrt(2.0 * y / a);  // z is about s^2 / 2
      const double low = std::max(lo, lo_scale / std::sqrt(a)) * 1.01;
      if (s <= low || s > hi * 0.99) continue;
      points.push_back({a, a * (1.0 - s)});
      points.push_back({a, a * (1.0 + s)});
    }
  }
  return points;
}

std::vector<Branch> Branches() {
  // clang-format off
  return {
      // a < 1.
      {"SmallATaylor", GammaRatioMethod::kSmallATaylor, 4,
       Grid({1e-10, 1e-3, 0.05, 0.3, 0.7, 0.999}, {1e-8, 0.01, 0.2, 0.26, 0.6, 0.9, 1.09})},
      {"SmallAContinuedFraction", GammaRatioMethod::kContinuedFraction, 20,
       Grid({1e-6, 0.2, 0.7, 0.95}, {1.1, 2.0, 5.0, 20.0, 100.0})},
      {"HalfErrorFunction", GammaRatioMethod::kErrorFunction, 2,
       Grid({0.5}, {1e-6, 0.1, 0.2499, 0.25, 1.0, 9.0, 50.0})},
      // 1 <= a < 20.
      {"FiniteSumWhole", GammaRatioMethod::kFiniteSumInteger, 5,
       Join(Grid({1, 2, 7, 19}, {19.0, 19.5, 22.0, 30.9}),
            {{1, 1}, {2, 2.5}, {7, 7}, {7, 14}, {19, 19}})},
      {"FiniteSumHalf", GammaRatioMethod::kFiniteSumHalf, 20,
       Join(Grid({1.5, 4.5, 12.5, 19.5}, {19.5, 20.0, 25.0, 30.9}),
            {{1.5, 1.5}, {1.5, 2.0}, {4.5, 4.5}, {4.5, 9.0}, {12.5, 12.5}})},
      {"TaylorSeries", GammaRatioMethod::kTaylorSeries, 40,
       Join(Grid({1.0, 1.25, 3.7, 11.0, 19.9}, {1e-6, 0.01, 0.5, 0.999}),
            {{1.25, 1.25}, {1.25, 2.2}, {1.7, 2.3}, {3.7, 3.7}, {11, 10.5}, {19, 18.99},
             {19.9, 19.9}})},
      {"ContinuedFraction", GammaRatioMethod::kContinuedFraction, 32,
       Join(Grid({1.25, 3.7, 11.3, 19.9}, {20.0, 25.0, 30.5}),
            {{1.25, 2.31}, {2.1, 2.31}, {3.7, 3.8}, {11.3, 11.5}, {8.85, 8.88}})},
      {"AsymptoticSeries", GammaRatioMethod::kAsymptoticSeries, 6,
       Grid({1.0, 5.0, 13.3, 19.9}, {31.0, 50.0, 120.0})},
      // a >= 20.
      {"TemmeAtOne", GammaRatioMethod::kTemmeAtOne, 40,
       AroundA({20.0, 500.0, 1e4, 1e6}, {0.0, 0.9, -0.9, 0.09, 0.99, -0.99}, true)},
      {"TemmeShort", GammaRatioMethod::kTemmeShort, 8,
       TemmePoints({25.0, 800.0, 1e5, 2e6}, {1e-7, 1e-4, 1e-2, 1.0, 10.0, 100.0, 450.0}, kE0, 0.0,
                   1e-3)},
      {"TemmeFull", GammaRatioMethod::kTemmeFull, 260,
       Join(TemmePoints({20.0, 64.5, 2000.0, 3e5, 1e8}, {1e-4, 1e-2, 1.0, 10.0, 100.0, 650.0}, 0.0,
                        1e-3, 0.4),
            AroundA({20.0, 20.5, 100.0, 1e3}, {0.399, -0.399, 0.0011, -0.0011}))},
      {"LargeATaylor", GammaRatioMethod::kTaylorSeries, 8,
       Join(AroundA({20.0, 150.0}, {0.41, 0.7, 0.99}), {{1e3, 590}, {5e3, 2950}})},
      {"LargeAContinuedFraction", GammaRatioMethod::kContinuedFraction, 8,
       {{20, 29}, {20, 30.9}, {21.5, 30.5}, {22, 30.9}}},
      {"LargeAAsymptotic", GammaRatioMethod::kAsymptoticSeries, 6,
       Join(AroundA({20.0, 150.0}, {-1.0, -4.0}), {{150, 211.5}, {5e3, 7050}})},
      // The smaller ratio between 1e-300 and 1e-30.
      {"FarTails", std::nullopt, 2,
       {{0.5, 600}, {0.3, 650}, {5, 600}, {19.5, 690}, {150, 2}, {60, 1e-3}, {1e4, 8.2e3},
        {1e4, 1.21e4}, {1e6, 0.964e6}, {1e6, 1.037e6}, {2e3, 1.5e3}, {3.5, 1e-80}, {25, 600},
        {0.2, 1e-300}}},
  };
  // clang-format on
}

class IncompleteGammaBranchTest : public ::testing::TestWithParam<Branch> {};

// Compares both ratios (where not subnormal) with the reference, and prints
// the worst relative error and its size in eps * max(1, |ln m|).
TEST_P(IncompleteGammaBranchTest, MatchesBoostWhereThisBranchRuns) {
  const Branch& branch = GetParam();
  ASSERT_FALSE(branch.points.empty());
  double worst = 0.0, worst_scaled = 0.0;
  Point worst_at{0, 0};
  for (const Point& point : branch.points) {
    SCOPED_TRACE(::testing::Message() << "a = " << point.a << ", x = " << point.x);
    const GammaRatio got = incompleteGammaRatio(point.a, point.x);
    const testing::ReferenceRatio want = ReferenceGammaRatio(point.a, point.x);
    const double smaller = std::min(want.p, want.q);
    if (branch.method) {
      EXPECT_EQ(got.method, *branch.method);
    } else {
      EXPECT_TRUE(smaller < 1e-30 && smaller > 1e-300);
    }
    double error = 0.0;
    if (want.p > 1e-300) error = std::max(error, RelativeError(got.p, want.p));
    if (want.q > 1e-300) error = std::max(error, RelativeError(got.q, want.q));
    const double scaled = error / (kEps * std::max(1.0, -std::log(std::max(smaller, 1e-300))));
    EXPECT_LE(scaled, branch.k) << "P " << got.p << " for " << want.p << ", Q " << got.q << " for "
                                << want.q;
    if (error > worst) worst = error, worst_at = point;
    worst_scaled = std::max(worst_scaled, scaled);
  }
  std::printf("%-26s %3zu points, worst relative error %.2e (a = %g, x = %.10g), %.1f eps*|ln m|\n",
              branch.name.c_str(), branch.points.size(), worst, worst_at.a, worst_at.x,
              worst_scaled);
}

std::string BranchName(const ::testing::TestParamInfo<Branch>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(AllBranches, IncompleteGammaBranchTest, ::testing::ValuesIn(Branches()),
                         BranchName);

TEST(IncompleteGammaRatioTest, LimitsAndErrorIndication) {
  struct Limit {
    double a, x, p, q;
  };
  for (const Limit& l :
       {Limit{3.0, 0.0, 0.0, 1.0}, Limit{0.0, 2.0, 1.0, 0.0}, Limit{3.0, INFINITY, 1.0, 0.0}}) {
    const GammaRatio r = incompleteGammaRatio(l.a, l.x);
    EXPECT_TRUE(r.p == l.p && r.q == l.q) << l.a << " " << l.x;
  }
  // Far beyond any tail a double can hold.
  EXPECT_EQ(incompleteGammaRatio(1e6, 1e5).p, 0.0);
  EXPECT_EQ(incompleteGammaRatio(1e6, 1e7).q, 0.0);
  EXPECT_EQ(incompleteGammaRatio(0.7, 1e4).q, 0.0);

  for (const Point& bad : {Point{-1.0, 1.0}, Point{1.0, -1.0}, Point{0.0, 0.0}, Point{NAN, 1.0},
                           Point{1.0, NAN}, Point{INFINITY, 1.0}}) {
    const GammaRatio r = incompleteGammaRatio(bad.a, bad.x);
    EXPECT_TRUE(r.IsError()) << bad.a << " " << bad.x;
    EXPECT_EQ(r.p, 2.0);
  }
  // x at a for an a so large that the expansion about x = a cannot be formed.
  EXPECT_TRUE(incompleteGammaRatio(1e30, 1e30).IsError());
  EXPECT_TRUE(incompleteGammaRatio(1e30, 1e30 * (1 + 2 * kEps)).IsError());
  EXPECT_FALSE(incompleteGammaRatio(1e30, 1e30 * (1 + 1e-10)).IsError());
  EXPECT_FALSE(incompleteGammaRatio(1e20, 1e20).IsError());
}

}  // namespace
}  // namespace corvane
