// The cumulative chi-square distribution and its inverse, reporting a status
// code instead of throwing.
//
// Mode kProbabilities reads x and df and sets p (lower tail) and q (upper
// tail). Mode kValue reads p, q and df and sets x, the chi-square value whose
// tails are p and q, found by a monotone root search from x = 5 inside
// [0, 1e100] to a relative tolerance of 1e-8; it matches the smaller of the
// two tails, so small upper tails keep their precision.
//
// A non-zero status leaves the outputs unchanged. Keeps nothing between
// calls: calls may run at the same time on any threads.
#pragma once

namespace corvane {

enum ChiSquareStatus : int {
  kChiSquareOk = 0,
  kChiSquareBadP = -2,          // kValue: p outside [0, 1]
  kChiSquareBadQ = -3,          // kValue: q <= 0 or q > 1
  kChiSquareBadX = -4,          // kProbabilities: x < 0
  kChiSquareBadDf = -5,         // df <= 0 or infinite
  kChiSquareRootBelow = 1,      // kValue: the root lies below 0 (see below)
  kChiSquareRootAbove = 2,      // kValue: the root lies above 1e100
  kChiSquareTailsDiffer = 3,    // kValue: |p + q - 1| > 3 eps
  kChiSquareIndeterminate = 10  // the incomplete gamma ratio is indeterminate
};

enum class ChiSquareMode { kProbabilities = 1, kValue = 2 };

// A NaN argument fails its range check; an infinite x has p = 1. The root
// search takes a function that is equal at 0 and at 1e100 as decreasing, so a
// root above 1e100 sought through the lower tail (p <= q), where P is 0 at
// both bounds, is reported as kChiSquareRootBelow.
ChiSquareStatus chiSquareCumulative(ChiSquareMode mode, double* p, double* q, double* x, double df);

}  // namespace corvane
