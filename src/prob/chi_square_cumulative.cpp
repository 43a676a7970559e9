#include "prob/chi_square_cumulative.h"

#include <cmath>

#include "prob/incomplete_gamma_ratio.h"
#include "prob/monotone_inverse.h"

namespace corvane {
namespace {

constexpr double kEpsilon = 0x1p-52;

// Both tails of a chi-square value: P(df/2, x/2) and Q(df/2, x/2).
ChiSquareStatus Tails(double x, double df, double* p, double* q) {
  const double a = df * 0.5;
  const double y = x * 0.5;
  if (y <= 0.0) {
    *p = 0.0;
    *q = 1.0;
    return kChiSquareOk;
  }
  const GammaRatio ratio = incompleteGammaRatio(a, y);
  if (ratio.IsError()) return kChiSquareIndeterminate;
  *p = ratio.p;
  *q = ratio.q;
  return kChiSquareOk;
}

// The value whose tails are p and q, matching the smaller tail.
ChiSquareStatus Value(double p, double q, double df, double* x) {
  const bool match_p = p <= q;
  monotoneInverse search;
  search.Setup({.small = 0.0,
                .big = 1e100,
                .absstp = 0.5,
                .relstp = 0.5,
                .stpmul = 5.0,
                .abstol = 1e-50,
                .reltol = 1e-8});
  double value = 5.0;
  int status = search.Step(kSearchStart, &value, 0.0);
  while (status == kSearchEvaluate) {
    double tail_p = 0.0;
    double tail_q = 0.0;
    if (Tails(value, df, &tail_p, &tail_q) != kChiSquareOk) return kChiSquareIndeterminate;
    const double f = match_p ? tail_p - p : tail_q - q;
    status = search.Step(kSearchEvaluate, &value, f);
  }
  if (status == kSearchNoRoot) return search.qleft() ? kChiSquareRootBelow : kChiSquareRootAbove;
  *x = value;
  return kChiSquareOk;
}

}  // namespace

ChiSquareStatus chiSquareCumulative(ChiSquareMode mode, double* p, double* q, double* x,
                                    double df) {
  const bool value_mode = mode == ChiSquareMode::kValue;
  if (value_mode && !(*p >= 0.0 && *p <= 1.0)) return kChiSquareBadP;
  if (value_mode && !(*q > 0.0 && *q <= 1.0)) return kChiSquareBadQ;
  if (!value_mode && !(*x >= 0.0)) return kChiSquareBadX;
  if (!(df > 0.0) || std::isinf(df)) return kChiSquareBadDf;
  if (value_mode && std::fabs(*p + *q - 0.5 - 0.5) > 3.0 * kEpsilon) return kChiSquareTailsDiffer;
  if (value_mode) return Value(*p, *q, df, x);
  return Tails(*x, df, p, q);
}

}  // namespace corvane
